// The wizard's Action page: name, action, display preferences, product line.
#define TRACE_SOURCE "Taskel\\TaskelPropAction"
#include "TaskelPropAction.h"

#include <shellapi.h>

#include "AccessibleName.h"
#include "DialogControls.h"
#include "FxException.h"
#include "RichText.h"
#include "ShellDisplayPrefs.h"
#include "TaskelClass.h"
#include "TaskelPreferences.h"
#include "Trace.h"
#include "WizardState.h"
#include "resource.h"

namespace
{
// Source lines the page's exception traces name.
enum : int
{
    LINE_EXCHANGE = 124,
    LINE_ACTIVATE = 185,
};
} // namespace

CTaskelPropAction::CTaskelPropAction(WizardState *state, HINSTANCE resources)
    : CTaskelPropBase(IDD_WIZARD_ACTION, resources), m_state(state)
{
    Trace(4, L"CTaskelPropAction::CTaskelPropAction");
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
        CTaskel *command = Document();
        if (command && command->GetAction() == EDIT_ACTION_NONE) command->SetAction(EDIT_ACTION_COPY);

        AttachRichText(Item(IDC_PREF_DESCRIPTIONS));
        AttachRichText(Item(IDC_PREF_SPECIFICATIONS));
        AttachRichText(Item(IDC_PREF_PRODUCT), ProductLine(Resources()));
        const std::wstring link =
            std::wstring(L"<a href=\"") + kProductWebPage + L"\">" + kProductWebPage + L"</a>";
        CControl(Window(), IDC_PREF_LINK).SetText(link);

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
    catch (const fx::CException &e)
    {
        TraceException(4, e, TRACE_SOURCE, LINE_EXCHANGE);
    }
    catch (...)
    {
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, LINE_EXCHANGE);
    }
    return true;
}

void CTaskelPropAction::OnDestroy()
{
    ClearAccessibleName(Item(IDC_ACTION_NAME));
    ClearAccessibleName(Item(IDC_PREF_LINK));
    CTaskelPropBase::OnDestroy();
}

// The four actions are open with a command; each "and rename" box only
// under its own action.
void CTaskelPropAction::UpdateActionEnabling()
{
    CTaskel *command = m_state ? m_state->Command() : nullptr;
    for (int id : {IDC_ACTION_MOVE, IDC_ACTION_COPY, IDC_ACTION_DELETE, IDC_ACTION_RENAME})
        CButton(Window(), id).Enable(command != nullptr);
    if (!command)
    {
        CButton(Window(), IDC_ACTION_MOVERENAME).Enable(false);
        CButton(Window(), IDC_ACTION_COPYRENAME).Enable(false);
        return;
    }
    UpdateActionControls();
    const uint32_t action = command->GetAction();
    CButton(Window(), IDC_ACTION_MOVERENAME)
        .Enable(action == EDIT_ACTION_MOVE || action == EDIT_ACTION_MOVERENAME);
    CButton(Window(), IDC_ACTION_COPYRENAME)
        .Enable(action == EDIT_ACTION_COPY || action == EDIT_ACTION_COPYRENAME);
}

void CTaskelPropAction::DoDataExchange(bool save)
{
    try
    {
        if (!save)
        {
            const ShellDisplayPrefs &prefs = GetShellDisplayPrefs();
            CButton(Window(), IDC_PREF_DESCRIPTIONS).SetCheck(prefs.showDescriptions);
            CButton(Window(), IDC_PREF_SPECIFICATIONS).SetCheck(!prefs.showDescriptions);
            CButton(Window(), IDC_PREF_SHOW_HIDDEN).SetCheck(prefs.showHiddenFolders);
            return;
        }
        const bool descriptions = CButton(Window(), IDC_PREF_DESCRIPTIONS).IsChecked();
        const bool specifications = CButton(Window(), IDC_PREF_SPECIFICATIONS).IsChecked();
        ShellDisplayPrefs prefs = GetShellDisplayPrefs();
        if (descriptions || specifications) prefs.showDescriptions = descriptions;
        prefs.showHiddenFolders = CButton(Window(), IDC_PREF_SHOW_HIDDEN).IsChecked();
        const ShellDisplayPrefs &current = GetShellDisplayPrefs();
        if (prefs.showDescriptions != current.showDescriptions ||
            prefs.showHiddenFolders != current.showHiddenFolders)
        {
            SetShellDisplayPrefs(prefs);
            SaveShellDisplayPrefs(HKEY_CURRENT_USER, g_traceProfile.registryKey);
        }
        if (m_state)
        {
            m_state->SetName(CEdit(Window(), IDC_ACTION_NAME).GetText());
            m_state->SetButtons(*this);
        }
    }
    catch (const fx::CException &e)
    {
        TraceException(4, e, TRACE_SOURCE, LINE_EXCHANGE);
    }
    catch (...)
    {
        Trace(2, L"*** Exception *** at %hs %d", TRACE_SOURCE, LINE_EXCHANGE);
    }
}

void CTaskelPropAction::ChangeAction(uint32_t editorAction, bool)
{
    CTaskelPropBase::ChangeAction(editorAction, false);
    UpdateActionEnabling();
    DoDataExchange(true);
}

bool CTaskelPropAction::OnCommand(WORD code, WORD id, HWND control)
{
    try
    {
        switch (id)
        {
        case IDC_ACTION_NAME:
            if (code == EN_CHANGE && !m_loading)
            {
                SetModified(true);
                DoDataExchange(true);
            }
            return true;
        case IDC_PREF_DESCRIPTIONS:
        case IDC_PREF_SPECIFICATIONS:
        case IDC_PREF_SHOW_HIDDEN:
            if (code == BN_CLICKED) DoDataExchange(true);
            return true;
        default:
            break;
        }
    }
    TRACE_CATCH_ALL(4)
    return CTaskelPropBase::OnCommand(code, id, control);
}

bool CTaskelPropAction::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    if (id == IDC_PREF_LINK && header && (header->code == NM_CLICK || header->code == NM_RETURN))
    {
        ::ShellExecuteW(Window(), L"open", kProductWebPage, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
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
    TRACE_CATCH_ALL_AT(4, LINE_ACTIVATE)
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
