// The Location page: the title text, activation at the wizard's folder (or
// the remembered one), the tree's and the edit's changes, and the profile
// value written when the page is left.
#define TRACE_SOURCE "Taskel\\TaskelPropLocation"
#include "TaskelPropLocation.h"

#include "DialogControls.h"
#include "TaskelExecPath.h"
#include "TaskelStrings.h"
#include "TaskelTargetRules.h"
#include "TaskelTraceSites.h"
#include "resource.h"

namespace
{

class CWaitCursor
{
  public:
    CWaitCursor() : m_old(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_old); }

  private:
    HCURSOR m_old;
};

bool IsFolder(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

CTaskelPropLocation::CTaskelPropLocation(IWizardSteps &steps)
    : CTaskelPropTarget(IDD_TARGET_LOCATION, steps)
{
    Trace(4, L"CTaskelPropLocation::CTaskelPropLocation");
    SetTrapSite({TRACE_SOURCE, __LINE__});
}

bool CTaskelPropLocation::OnInitDialog()
{
    CWaitCursor wait;
    ::SetWindowTextW(Window(), LoadTaskelString(IDS_WIZ_LOCATION_SUBTITLE).c_str());
    m_tree.Attach(Item(IDC_TARGET_TREE));
    m_tree.SetShowHiddenQuery(ShowsHiddenEntries);
    NameControls();
    return true;
}

bool CTaskelPropLocation::OnSetActive()
{
    Guarded(sites::kLocationActivate, [this] { Activate(); });
    return true;
}

void CTaskelPropLocation::Activate()
{
    std::wstring folder = Steps().Folder();
    if (folder.empty())
    {
        const std::wstring remembered = ReadNewCommandPath(ProfileKey());
        if (!remembered.empty() && IsFolder(remembered)) folder = remembered;
    }
    folder = ResolveStepFolder(folder.empty() ? CurrentFolder() : folder, CurrentFolder());
    {
        m_updating = true;
        m_tree.SelectFolder(folder);
        m_updating = false;
    }
    SetLocation(folder, true);
    Activated();
}

void CTaskelPropLocation::SetLocation(const std::wstring &folder, bool showInEdit)
{
    Steps().SetFolder(folder);
    if (showInEdit)
    {
        m_updating = true;
        CEdit(Window(), IDC_TARGET_FOLDER_NAME).SetText(execpath::RemoveBackslash(folder));
        m_updating = false;
    }
}

bool CTaskelPropLocation::OnKillActive()
{
    const std::wstring folder = Steps().Folder();
    if (!folder.empty()) WriteNewCommandPath(ProfileKey(), folder);
    return true;
}

bool CTaskelPropLocation::OnCommand(WORD code, WORD id, HWND)
{
    if (id != IDC_TARGET_FOLDER_NAME || code != EN_CHANGE) return false;
    if (m_updating) return true;
    // A typed folder is taken as it is (relative to the current folder);
    // the tree follows where it exists.
    const std::wstring typed = CEdit(Window(), IDC_TARGET_FOLDER_NAME).GetText();
    const std::wstring folder = ResolveStepFolder(typed, CurrentFolder());
    SetLocation(folder, false);
    if (!folder.empty())
    {
        m_updating = true;
        m_tree.SelectFolder(folder);
        m_updating = false;
    }
    UpdateButtons();
    return true;
}

bool CTaskelPropLocation::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    bool changed = false;
    if (id == IDC_TARGET_TREE && m_tree.HandleNotify(header, result, changed))
    {
        if (changed && !m_updating)
        {
            const std::wstring selected = m_tree.SelectedFolder();
            if (!selected.empty()) SetLocation(selected, true);
            UpdateButtons();
        }
        return true;
    }
    return CTaskelPropTarget::OnNotify(id, header, result);
}
