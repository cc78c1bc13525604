// The wizard's Options page: the whole command shown again for checking,
// the option boxes stored into it, and the buttons after every change.
#define TRACE_SOURCE "Taskel\\TaskelPropOptions"
#include "TaskelPropOptions.h"

#include "FxException.h"
#include "ShellDisplayPrefs.h"
#include "ShellFolderCache.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "WizardState.h"
#include "resource.h"

CTaskelPropOptions::CTaskelPropOptions(WizardState *state, HINSTANCE resources)
    : CTaskelPropBase(IDD_TASKEL_PROPPAGE, resources), m_state(state)
{
    Trace(4, L"CTaskelPropOptions::CTaskelPropOptions");
}

CTaskelPropOptions::~CTaskelPropOptions()
{
    Trace(4, L"CTaskelPropOptions::~CTaskelPropOptions");
}

// The command being built has no file yet: the template's Preview... button
// belongs to the edit sheet's page only.
bool CTaskelPropOptions::OnInitDialog()
{
    if (HWND preview = ::GetDlgItem(Window(), IDC_PREVIEW_COMMAND))
    {
        ::ShowWindow(preview, SW_HIDE);
        ::EnableWindow(preview, FALSE);
    }
    return CTaskelPropBase::OnInitDialog();
}

bool CTaskelPropOptions::OnSetActive()
{
    try
    {
        Trace(4, L"CTaskelPropOptions::OnSetActive");
        SetDocument(m_state ? m_state->Command() : nullptr);
        if (m_state && m_state->Command()) SetCommandFolder(m_state->Folder());
        CTaskelPropBase::OnSetActive();
        if (Document())
        {
            if (GetShellDisplayPrefs().showDescriptions) shellfolders::Refresh();
            UpdateActionControls();
            UpdateOptionControls();
            FillSources();
            FillTarget();
        }
        if (m_state) m_state->Activated(*this);
    }
    TRACE_CATCH_SITE(4, sites::kOptionsActivate)
    return true;
}

bool CTaskelPropOptions::OnKillActive()
{
    StoreOptions();
    return true;
}

LRESULT CTaskelPropOptions::OnWizardNext()
{
    return m_state ? m_state->GoNext(*this) : -1;
}

LRESULT CTaskelPropOptions::OnWizardBack()
{
    StoreOptions();
    return m_state ? m_state->GoBack(*this) : -1;
}

// Finishing stores the boxes as they are shown; the flow then saves. Should
// that throw, the page base's trap keeps the wizard open: a command whose
// boxes were not stored is not saved as if they were.
bool CTaskelPropOptions::OnWizardFinish()
{
    StoreOptions();
    return !m_state || m_state->CanFinish(*this);
}

// Every edit of the command (action, lists, boxes) may change what the
// buttons allow.
bool CTaskelPropOptions::OnCommand(WORD code, WORD id, HWND control)
{
    const bool handled = CTaskelPropBase::OnCommand(code, id, control);
    if (m_state && Window()) m_state->SetButtons(*this);
    return handled;
}
