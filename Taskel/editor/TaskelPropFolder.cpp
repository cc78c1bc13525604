// The Folder page: activation from the step's folder (or the default, the
// command file's folder), the tree's and the edit's changes, relative mode,
// Next and Back.
#define TRACE_SOURCE "Taskel\\TaskelPropFolder"
#include "TaskelPropFolder.h"

#include "DialogControls.h"
#include "TaskelExecPath.h"
#include "TaskelStrings.h"
#include "TaskelTargetRules.h"
#include "TaskelTraceSites.h"
#include "resource.h"

namespace
{

// Sets a flag for the length of a scope (the page's own control updates).
class CUpdating
{
  public:
    explicit CUpdating(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~CUpdating() { m_flag = m_was; }

  private:
    bool &m_flag;
    bool m_was;
};
} // namespace

CTaskelPropFolder::CTaskelPropFolder(IWizardSteps &steps)
    : CTaskelPropTarget(IDD_TARGET_FOLDER, steps)
{
    Trace(4, L"CTaskelPropFolder::CTaskelPropFolder");
    SetTrapSite({TRACE_SOURCE, __LINE__});
}

bool CTaskelPropFolder::OnInitDialog()
{
    m_tree.Attach(Item(IDC_TARGET_TREE));
    m_tree.SetShowHiddenQuery(ShowsHiddenEntries);
    NameControls();
    return true;
}

bool CTaskelPropFolder::OnSetActive()
{
    Guarded(sites::kFolderActivate, [this] { Activate(); });
    return true;
}

void CTaskelPropFolder::Activate()
{
    CUpdating updating(m_updating);
    std::wstring folder, file;
    Steps().SplitCurrentSpec(folder, file);
    m_settingsKey = TargetSettingsKey(Steps().CurrentIndex());
    m_relative = ReadRelativeSetting(ProfileKey(), m_settingsKey);
    m_base = BaseFolder();
    // A source step with nothing yet is a new slot ("Another").
    const bool newSlot = Steps().CurrentIndex() >= 0 && folder.empty() && file.empty();
    m_folder = ResolveStepFolder(folder, m_base);
    const bool hadFolder = !m_folder.empty();
    if (!hadFolder) m_folder = m_base;
    m_tree.SetBaseFolder(m_base, m_relative);
    m_tree.SelectFolder(m_folder);
    if (!hadFolder)
    {
        // The default folder becomes the step's, as the tree has it.
        const std::wstring selected = m_tree.SelectedFolder();
        if (!selected.empty()) m_folder = selected;
    }
    // The step's file name is cleared: the File page chooses it again.
    StoreFolder(m_folder);
    if (newSlot && !hadFolder) Steps().MarkOfferedFolder();
    ShowFolder();
    ShowRelativeButton();
    Activated();
}

void CTaskelPropFolder::StoreFolder(const std::wstring &folder)
{
    m_folder = folder;
    Steps().StoreCurrentSpec(folder.empty() ? folder : StoredStepFolder(folder, m_base, m_relative),
                             std::wstring());
}

void CTaskelPropFolder::ShowFolder()
{
    CUpdating updating(m_updating);
    CEdit(Window(), IDC_TARGET_FOLDER_NAME)
        .SetText(DisplayStepFolder(m_folder, m_base, m_relative));
}

void CTaskelPropFolder::ShowRelativeButton()
{
    CButton button(Window(), IDC_TARGET_RELATIVE);
    const std::wstring base = execpath::RemoveBackslash(m_base);
    button.SetText(
        FormatTaskelString(m_relative ? IDS_TARGET_RELATIVE_START : IDS_TARGET_RELATIVE_TO, base));
    button.SetCheck(m_relative);
    button.Enable(!m_base.empty());
}

bool CTaskelPropFolder::OnKillActive()
{
    WriteRelativeSetting(ProfileKey(), m_settingsKey, m_relative);
    return true;
}

bool CTaskelPropFolder::OnCommand(WORD code, WORD id, HWND)
{
    if (id == IDC_TARGET_RELATIVE && code == BN_CLICKED)
    {
        m_relative = CButton(Window(), IDC_TARGET_RELATIVE).IsChecked();
        Trace(3, L"Relative [%u]", m_relative ? 1u : 0u);
        m_tree.SetBaseFolder(m_base, m_relative);
        StoreFolder(m_folder);
        ShowFolder();
        ShowRelativeButton();
        UpdateButtons();
        return true;
    }
    if (id == IDC_TARGET_FOLDER_NAME && code == EN_CHANGE)
    {
        if (!m_updating) OnFolderTyped();
        return true;
    }
    return false;
}

// A typed folder is the step's folder, whether it exists or not (a target
// folder is created by the run); the tree follows where it exists.
void CTaskelPropFolder::OnFolderTyped()
{
    const std::wstring typed = CEdit(Window(), IDC_TARGET_FOLDER_NAME).GetText();
    const std::wstring folder = ResolveStepFolder(typed, m_base);
    StoreFolder(folder);
    if (!folder.empty())
    {
        CUpdating updating(m_updating);
        m_tree.SelectFolder(folder);
    }
    UpdateButtons();
}

bool CTaskelPropFolder::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    bool changed = false;
    if (id == IDC_TARGET_TREE && m_tree.HandleNotify(header, result, changed))
    {
        if (changed && !m_updating)
        {
            const std::wstring selected = m_tree.SelectedFolder();
            if (!selected.empty())
            {
                StoreFolder(selected);
                ShowFolder();
                UpdateButtons();
            }
        }
        return true;
    }
    return CTaskelPropTarget::OnNotify(id, header, result);
}

LRESULT CTaskelPropFolder::OnWizardNext()
{
    StoreFolder(m_folder);
    return Steps().GoNext(*this);
}

LRESULT CTaskelPropFolder::OnWizardBack()
{
    StoreFolder(m_folder);
    return Steps().GoBack(*this);
}
