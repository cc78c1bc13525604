// The wizard's Action page: name, action, display preferences, product line.
#define TRACE_SOURCE "Taskel\\TaskelPropAction"
#include "TaskelPropAction.h"

#include "AccessibleName.h"
#include "DialogControls.h"
#include "FxException.h"
#include "TaskelClass.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "WizardState.h"
#include "resource.h"

CTaskelPropAction::CTaskelPropAction(WizardState *state, HINSTANCE resources)
    : CTaskelPropBase(IDD_WIZARD_ACTION, resources), m_state(state)
{
    Trace(4, L"CTaskelPropAction::CTaskelPropAction");
    SetTrapSite({TRACE_SOURCE, __LINE__});
    if (m_state) SetDocument(m_state->Command());
}

CTaskelPropAction::~CTaskelPropAction()
{
    Trace(4, L"CTaskelPropAction::~CTaskelPropAction");
}

bool CTaskelPropAction::OnInitDialog()
{
    try
    {
        CTaskelPropBase::OnInitDialog();
        CTaskel *command = Document();
        if (command && command->GetAction() == EDIT_ACTION_NONE)
            command->SetAction(EDIT_ACTION_COPY);

        m_prefs.Attach(Window(), Resources());
        // What a screen reader announces for the edit and the link.
        SetAccessibleName(Item(IDC_ACTION_NAME), L"Command Name");
        SetAccessibleName(Item(IDC_PREF_LINK), L"Web Link");

        CEdit name(Window(), IDC_ACTION_NAME);
        name.SetLimit(MAX_PATH);
        m_loading = true;
        name.SetText(m_state ? m_state->Name() : std::wstring());
        m_loading = false;
        name.Enable(m_state != nullptr);
        UpdateActionEnabling();
        DoDataExchange(false);
    }
    TRACE_CATCH_SITE(4, sites::kActionExchange)
    return true;
}

void CTaskelPropAction::OnDestroy()
{
    ClearAccessibleName(Item(IDC_ACTION_NAME));
    ClearAccessibleName(Item(IDC_PREF_LINK));
    m_prefs.Detach();
    CTaskelPropBase::OnDestroy();
}

void CTaskelPropAction::UpdateActionEnabling()
{
    CTaskel *command = m_state ? m_state->Command() : nullptr;
    if (command) UpdateActionControls();
    ActionGroup().EnableFor(command != nullptr, command ? command->GetAction() : 0);
}

void CTaskelPropAction::DoDataExchange(bool save)
{
    try
    {
        if (!save)
        {
            m_prefs.Load();
            return;
        }
        m_prefs.Save();
        if (m_state)
        {
            m_state->SetName(CEdit(Window(), IDC_ACTION_NAME).GetText());
            m_state->SetButtons(*this);
        }
    }
    TRACE_CATCH_SITE(4, sites::kActionExchange)
}

void CTaskelPropAction::ChangeAction(uint32_t editorAction, bool)
{
    CTaskelPropBase::ChangeAction(editorAction, false);
    UpdateActionEnabling();
    DoDataExchange(true);
}

bool CTaskelPropAction::OnCommand(WORD code, WORD id, HWND control)
{
    if (id == IDC_ACTION_NAME)
    {
        if (code == EN_CHANGE && !m_loading)
        {
            SetModified(true);
            DoDataExchange(true);
        }
        return true;
    }
    if (CDisplayPrefsGroup::IsPreferenceControl(id))
    {
        if (code == BN_CLICKED) DoDataExchange(true);
        return true;
    }
    return CTaskelPropBase::OnCommand(code, id, control);
}

bool CTaskelPropAction::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    if (m_prefs.OnLinkNotify(id, header)) return true;
    return CTaskelPropBase::OnNotify(id, header, result);
}

bool CTaskelPropAction::OnSetActive()
{
    try
    {
        Trace(4, L"CTaskelPropAction::OnSetActive");
        DoDataExchange(false);
        if (m_state) m_state->Activated(*this);
    }
    TRACE_CATCH_SITE(4, sites::kActionActivate)
    return true;
}

bool CTaskelPropAction::OnKillActive()
{
    DoDataExchange(true);
    return true;
}

LRESULT CTaskelPropAction::OnWizardNext()
{
    DoDataExchange(true);
    return m_state ? m_state->GoNext(*this) : -1;
}

LRESULT CTaskelPropAction::OnWizardBack()
{
    return m_state ? m_state->GoBack(*this) : -1;
}
