// The trace-log settings page: reading the definitions and desktop folders
// at initialisation, the component list, the level buttons and the two
// edits with their browse and reset buttons, and writing on Apply.
#define TRACE_SOURCE "Jotwell\\JotwellPage"
#include "JotwellPage.h"

#include "ActivationContext.h"
#include "DialogControls.h"
#include "FxException.h"
#include "JotwellBrowse.h"
#include "JotwellSettings.h"
#include "JotwellStrings.h"
#include "JotwellTraceSites.h"
#include "Trace.h"
#include "resource.h"

namespace
{
const wchar_t kComponentEntry[] = L"Component";

// The level buttons and their levels, highest first.
struct LevelButton
{
    int id;
    int level;
};
const LevelButton kLevelButtons[] = {{IDC_JOTWELL_VERBOSE, 4},
                                     {IDC_JOTWELL_DETAILED, 3},
                                     {IDC_JOTWELL_NORMAL, 2},
                                     {IDC_JOTWELL_MINIMAL, 1},
                                     {IDC_JOTWELL_DISABLED, 0}};

bool IsLevelButton(WORD id)
{
    for (const LevelButton &button : kLevelButtons)
        if (button.id == id) return true;
    return false;
}
} // namespace

CJotwellPage::CJotwellPage()
    : CPropertyPageExEx(IDD_JOTWELL_PAGE), m_pageObject(*this, [this] { delete this; })
{
    Trace(3, L"CJotwellPage::CJotwellPage");
    SetTitle(LoadJotwellString(IDS_JOTWELL_PAGE_TITLE));
    SetActivationContext(LibraryActivationContext());
    SetTrapSite({TRACE_SOURCE, __LINE__});
}

CJotwellPage::~CJotwellPage()
{
    Trace(3, L"CJotwellPage::~CJotwellPage");
}

CJotwellDef *CJotwellPage::Current()
{
    return m_current < m_defs.size() ? &m_defs[m_current] : nullptr;
}

std::wstring CJotwellPage::CurrentDefaultLocation() const
{
    if (m_current >= m_defs.size()) return m_userDesktop;
    return DefaultLocation(m_defs[m_current], m_userDesktop, m_commonDesktop);
}

void CJotwellPage::ReadSettings()
{
    ReadDefinitions(m_defs, LoadJotwellString(IDS_JOTWELL_ALL));
    if (m_userDesktop.empty()) m_userDesktop = ReadDesktopFolder(HKEY_CURRENT_USER, L"Desktop");
    if (m_commonDesktop.empty())
        m_commonDesktop = ReadDesktopFolder(HKEY_LOCAL_MACHINE, L"Common Desktop");
}

bool CJotwellPage::OnInitDialog()
{
    ReadSettings();
    LoadControls();
    CControl(Window(), IDC_JOTWELL_INTRO)
        .SetText(FormatJotwellString(LoadJotwellString(IDS_JOTWELL_INTRO), m_appTitle));
    return true;
}

// Loading the controls: the component list (once) and the current
// definition. An exception here leaves the controls as far as they got.
void CJotwellPage::LoadControls()
{
    try
    {
        FillComponentList();
    }
    TRACE_CATCH_SITE(4, sites::kPageExchange)
}

void CJotwellPage::FillComponentList()
{
    CControl list(Window(), IDC_JOTWELL_COMPONENT);
    if (list.Send(CB_GETCOUNT) > 0)
    {
        ShowCurrent();
        return;
    }
    const bool several = m_defs.size() > 1;
    const std::wstring remembered =
        several ? ReadJotwellProfile(kJotwellUiSection, kComponentEntry) : std::wstring();
    bool found = false;
    for (size_t i = 0; i < m_defs.size(); ++i)
    {
        list.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_defs[i].title.c_str()));
        if (several && !found && SameText(m_defs[i].title, remembered))
        {
            m_current = i;
            found = true;
        }
    }
    list.Send(CB_SETCURSEL, m_current);
    list.Enable(several);
    CControl(Window(), IDC_JOTWELL_COMPONENT_LABEL).Enable(several);
    ShowCurrent();
}

void CJotwellPage::ShowCurrent()
{
    CJotwellDef *def = Current();
    if (!def) return;
    const int level = RadioLevel(def->logLevel);
    for (const LevelButton &button : kLevelButtons)
        CButton(Window(), button.id).SetCheck(button.level == level);
    m_view = ShowDefinition(*def, CurrentDefaultLocation());
    RefreshFileControls();
    if (m_defs.size() >= 2)
        WriteJotwellProfile(kJotwellUiSection, kComponentEntry, def->title);
    else
        DeleteJotwellProfile(kJotwellUiSection, kComponentEntry);
}

void CJotwellPage::RefreshFileControls()
{
    const CJotwellDef *def = Current();
    if (!def) return;
    m_settingText = true;
    CControl(Window(), IDC_JOTWELL_FILE_NAME).SetText(m_view.fileName);
    CControl(Window(), IDC_JOTWELL_LOCATION).SetText(m_view.location);
    m_settingText = false;
    m_nameTyped = false;
    const std::wstring defaultLocation = CurrentDefaultLocation();
    CControl(Window(), IDC_JOTWELL_LOCATION_RESET)
        .Enable(LocationResetEnabled(m_view, defaultLocation));
    CControl(Window(), IDC_JOTWELL_FILE_RESET).Enable(FileResetEnabled(m_view, *def));
}

bool CJotwellPage::OnCommand(WORD code, WORD id, HWND)
{
    if (IsLevelButton(id))
    {
        if (code == BN_CLICKED) OnLevelChanged();
        return true;
    }
    switch (id)
    {
    case IDC_JOTWELL_FILE_NAME:
        // The name is handed to the change handler when the user leaves
        // the field (or applies), not at every keystroke.
        if (code == EN_CHANGE && !m_settingText)
        {
            m_nameTyped = true;
            SetModified(true);
        }
        else if (code == EN_KILLFOCUS)
            CommitTypedName();
        return true;
    case IDC_JOTWELL_COMPONENT:
        if (code == CBN_SELENDOK) OnSelectComponent();
        return true;
    case IDC_JOTWELL_LOCATION_BROWSE:
        if (code == BN_CLICKED) OnBrowseFolder();
        return true;
    case IDC_JOTWELL_LOCATION_RESET:
        if (code == BN_CLICKED) OnResetLocation();
        return true;
    case IDC_JOTWELL_FILE_BROWSE:
        if (code == BN_CLICKED) OnBrowseFile();
        return true;
    case IDC_JOTWELL_FILE_RESET:
        if (code == BN_CLICKED) OnResetFileName();
        return true;
    default:
        return false;
    }
}

void CJotwellPage::OnLevelChanged()
{
    CJotwellDef *def = Current();
    if (!def) return;
    int level = 0;
    for (const LevelButton &button : kLevelButtons)
        if (CButton(Window(), button.id).IsChecked())
        {
            level = button.level;
            break;
        }
    if (ApplyLevel(*def, level)) SetModified(true);
}

void CJotwellPage::OnFileChanged()
{
    CJotwellDef *def = Current();
    if (!def) return;
    if (ApplyFileChange(*def, m_view, CurrentDefaultLocation())) SetModified(true);
    RefreshFileControls();
}

void CJotwellPage::CommitTypedName()
{
    if (!m_nameTyped) return;
    m_view.fileName = CControl(Window(), IDC_JOTWELL_FILE_NAME).GetText();
    OnFileChanged();
}

void CJotwellPage::OnSelectComponent()
{
    CommitTypedName();
    CControl list(Window(), IDC_JOTWELL_COMPONENT);
    const LRESULT selection = list.Send(CB_GETCURSEL);
    if (selection < 0 || static_cast<size_t>(selection) >= m_defs.size() ||
        static_cast<size_t>(selection) == m_current)
    {
        list.Send(CB_SETCURSEL, m_current);
        return;
    }
    m_current = static_cast<size_t>(selection);
    ShowCurrent();
}

void CJotwellPage::OnBrowseFolder()
{
    try
    {
        CommitTypedName();
        std::wstring chosen;
        if (!BrowseForFolder(Window(), MakeFolderRequest(m_view.location), chosen)) return;
        m_view.location = chosen;
        OnFileChanged();
    }
    TRACE_CATCH_SITE(4, sites::kBrowseFolder)
}

void CJotwellPage::OnResetLocation()
{
    CommitTypedName();
    m_view.location.clear();
    OnFileChanged();
}

void CJotwellPage::OnBrowseFile()
{
    CommitTypedName();
    std::wstring chosen;
    if (!BrowseForFile(Window(), MakeFileRequest(m_view.location, m_view.fileName), chosen)) return;
    m_view.fileName = chosen;
    OnFileChanged();
}

void CJotwellPage::OnResetFileName()
{
    m_nameTyped = false;
    m_view.fileName.clear();
    OnFileChanged();
}

bool CJotwellPage::OnKillActive()
{
    CommitTypedName();
    return true;
}

bool CJotwellPage::OnApply()
{
    Trace(2, L"CJotwellPage::OnApply");
    CommitTypedName();
    WriteDefinitions(m_defs);
    return true;
}
