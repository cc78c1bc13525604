// The wizard's target pages in a real Wizard97 sheet under Xvfb, over a
// recording wizard state, driven with the messages a person's actions send
// (BM_CLICK, WM_SETTEXT on an edit, a tree or list selection, the sheet's
// buttons): the Folder page's default folder, relative mode and typed
// folders; the File page's filtered list, picked files, rename parts, the
// whole folder and Finish/"Another"; the Location page's folder and the
// profile value. A picture of the File page goes to screenshots/.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <shlwapi.h>

#include <cwctype>
#include <map>

#include <string>
#include <vector>

#include "AccessibleName.h"
#include "DialogControls.h"
#include "PropertySheetExEx.h"
#include "ShellDisplayPrefs.h"
#include "SheetTestSupport.h"
#include "TaskelOptions.h"
#include "TaskelPropFile.h"
#include "TaskelPropFolder.h"
#include "TaskelPropLocation.h"
#include "TaskelTargetRules.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Trace.h"
#include "resource.h"

namespace
{

// A wizard state that keeps one command's sources and target and records
// what the pages ask of it.
class CFakeSteps : public IWizardSteps
{
  public:
    long index = 0;
    uint32_t action = EDIT_ACTION_COPY;
    std::wstring folder;
    std::vector<std::wstring> sources{L""};
    std::wstring target;
    bool again = false;
    std::vector<std::string> calls;

    std::wstring &Spec() { return index == -1 ? target : sources[static_cast<size_t>(index)]; }

    long CurrentIndex() const override { return index; }
    uint32_t Action() const override { return action; }
    std::wstring Folder() const override { return folder; }
    void SetFolder(const std::wstring &f) override { folder = f; }
    bool SplitCurrentSpec(std::wstring &f, std::wstring &file) override
    {
        const std::wstring spec = Spec();
        const std::wstring last = ::PathFindFileNameW(spec.c_str());
        const bool named = !spec.empty() && spec.back() != L'\\' &&
                           (*::PathFindExtensionW(spec.c_str()) || last.find_first_of(L"*?>") != std::wstring::npos ||
                            ::PathFileExistsW(spec.c_str()));
        if (named)
        {
            file = last;
            f = spec.substr(0, spec.size() - last.size());
        }
        else
        {
            file.clear();
            f = spec.empty() || spec.back() == L'\\' ? spec : spec + L"\\";
        }
        return true;
    }
    bool StoreCurrentSpec(const std::wstring &f, const std::wstring &file) override
    {
        std::wstring joined = f;
        if (!joined.empty() && joined.back() != L'\\') joined += L'\\';
        Spec() = f.empty() ? file : joined + file;
        return true;
    }
    bool CanGoNext(CPropertyPageExEx &page) override
    {
        if (std::string(page.ClassName()) == "CTaskelPropLocation") return !folder.empty();
        std::wstring f, file;
        SplitCurrentSpec(f, file);
        return std::string(page.ClassName()) == "CTaskelPropFile" || !f.empty();
    }
    bool CanFinish(CPropertyPageExEx &page) override
    {
        return std::string(page.ClassName()) == "CTaskelPropFile";
    }
    LRESULT GoNext(CPropertyPageExEx &page) override
    {
        calls.push_back(std::string("GoNext ") + page.ClassName());
        return 0;
    }
    LRESULT GoBack(CPropertyPageExEx &page) override
    {
        calls.push_back(std::string("GoBack ") + page.ClassName());
        return 0;
    }
    bool GoAgain(CPropertyPageExEx &page) override
    {
        calls.push_back(std::string("GoAgain ") + page.ClassName());
        return again;
    }
    void PageActivated(CPropertyPageExEx &page, std::wstring &, std::wstring &) override
    {
        calls.push_back(std::string("PageActivated ") + page.ClassName());
    }
};

const std::wstring kProfile = L"Software\\Veltrac\\FerrovaneEngineTest";

// The accessible names the pages give their controls, by control id.
std::map<int, std::pair<std::wstring, DWORD>> g_names;
bool RecordName(HWND control, const std::wstring &name, DWORD role)
{
    g_names[::GetDlgCtrlID(control)] = {name, role};
    return true;
}

void Press(HWND sheet, int button)
{
    PressButton(sheet, button);
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void SetEditText(HWND page, int id, const std::wstring &text)
{
    ::SendMessageW(::GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PumpFor(20);
}

std::wstring Text(HWND page, int id)
{
    return CControl(page, id).GetText();
}

class TargetPages : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        DeleteTree(HKEY_CURRENT_USER, kProfile + L"\\ToPath");
        DeleteTree(HKEY_CURRENT_USER, kProfile + L"\\FromPath");
        DeleteTree(HKEY_CURRENT_USER, kProfile + L"\\Settings");
        m_savedPrefs = GetShellDisplayPrefs();
        SetShellDisplayPrefs({false, false});
        m_base = FreshFolder(CurrentTestName());
        m_steps.folder = m_base;
    }
    void TearDown() override { SetShellDisplayPrefs(m_savedPrefs); }

    // The wizard with `pages`, run modally while `during` drives it.
    INT_PTR RunWizard(std::vector<CPropertyPageExEx *> pages, const std::function<void(HWND)> &during)
    {
        CPropertySheetExEx sheet(L"New File Command", nullptr);
        sheet.SetWizardMode();
        for (CPropertyPageExEx *page : pages)
            sheet.AddPage(*page);
        return RunSheet(sheet, during);
    }

    CFakeSteps m_steps;
    std::wstring m_base;
    ShellDisplayPrefs m_savedPrefs;
};

} // namespace

TEST_F(TargetPages, TargetWithoutFolderStoresTheDefaultFolder)
{
    m_steps.index = -1;
    CTaskelPropFolder folderPage(m_steps);
    RunWizard({&folderPage}, [&](HWND) {
        HWND page = folderPage.Window();
        EXPECT_EQ(m_steps.target, m_base);
        EXPECT_EQ(folderPage.Tree().SelectedFolder(), m_base);
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), m_base.substr(0, m_base.size() - 1));
        EXPECT_EQ(Text(page, IDC_TARGET_RELATIVE),
                  L"Relative to " + m_base.substr(0, m_base.size() - 1));
        EXPECT_FALSE(CButton(page, IDC_TARGET_RELATIVE).IsChecked());
        EXPECT_EQ(m_steps.calls, (std::vector<std::string>{"PageActivated CTaskelPropFolder"}));
    });
}

TEST_F(TargetPages, FolderPageRelativeModeTreeAndTypedFolders)
{
    MakeFolder(m_base + L"out\\deep");
    m_steps.sources = {m_base + L"out\\report.txt"};
    CTaskelPropFolder folderPage(m_steps);
    CTaskelPropFile filePage(m_steps);
    RunWizard({&folderPage, &filePage}, [&](HWND sheet) {
        HWND page = folderPage.Window();
        // The step's file name is cleared; the folder stays.
        EXPECT_EQ(m_steps.sources[0], m_base + L"out\\");
        EXPECT_EQ(folderPage.Tree().SelectedFolder(), m_base + L"out\\");

        // Relative mode stores and shows the folder from the command's folder.
        CButton(page, IDC_TARGET_RELATIVE).Click();
        PumpFor(20);
        EXPECT_TRUE(folderPage.IsRelative());
        EXPECT_EQ(m_steps.sources[0], L"out\\");
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), L"out");
        EXPECT_EQ(Text(page, IDC_TARGET_RELATIVE),
                  L"The path to this folder starts at folder:  " + m_base.substr(0, m_base.size() - 1));

        // Selecting in the tree stores the selected folder.
        ASSERT_TRUE(folderPage.Tree().SelectFolder(m_base + L"out\\deep"));
        PumpFor(20);
        EXPECT_EQ(m_steps.sources[0], L"out\\deep\\");
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), L"out\\deep");

        // A typed folder is stored even where it does not exist yet; the
        // tree stays at the deepest folder that does.
        SetEditText(page, IDC_TARGET_FOLDER_NAME, L"new\\place");
        EXPECT_EQ(m_steps.sources[0], L"new\\place\\");
        EXPECT_EQ(folderPage.Tree().SelectedFolder(), m_base);
        // Nothing typed: no folder, and Next is not offered.
        SetEditText(page, IDC_TARGET_FOLDER_NAME, L"");
        EXPECT_EQ(m_steps.sources[0], L"");
        SetEditText(page, IDC_TARGET_FOLDER_NAME, L"out");
        EXPECT_EQ(m_steps.sources[0], L"out\\");

        // Back to absolute mode: the same folder, absolute.
        CButton(page, IDC_TARGET_RELATIVE).Click();
        PumpFor(20);
        EXPECT_EQ(m_steps.sources[0], m_base + L"out\\");
        CButton(page, IDC_TARGET_RELATIVE).Click();
        PumpFor(20);

        // Next stores, moves through the state and keeps the mode.
        Press(sheet, PSBTN_NEXT);
        EXPECT_EQ(CurrentPage(sheet), filePage.Window());
        EXPECT_EQ(m_steps.calls[1], "GoNext CTaskelPropFolder");
        EXPECT_EQ(RegDword(HKEY_CURRENT_USER, kProfile + L"\\FromPath", L"Relative"), 1u);
    });
    // The target step reads its own key.
    EXPECT_FALSE(ReadRelativeSetting(kProfile, L"ToPath"));
}

TEST_F(TargetPages, FilePageListsPicksAndStores)
{
    for (const wchar_t *name : {L"report.txt", L"rep2.txt", L"notes.log", L"readme"})
        WriteText(m_base + L"in\\" + name);
    m_steps.sources = {m_base + L"in\\report.txt", m_base + L"second\\"};
    m_steps.index = 0;
    CTaskelPropFile filePage(m_steps);
    const INT_PTR result = RunWizard({&filePage}, [&](HWND sheet) {
        HWND page = filePage.Window();
        EXPECT_FALSE(filePage.IsRenaming());
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_TARGET_NEW_NAME)));
        EXPECT_EQ(Text(page, IDC_TARGET_FILE_NAME), L"report.txt");
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), L"in");
        // A name without wildcard lists every file of the type (all files).
        EXPECT_EQ(filePage.Files().Count(), 4);
        EXPECT_EQ(filePage.Files().Filter(), L"*.*");

        // A wildcard narrows the list.
        SetEditText(page, IDC_TARGET_FILE_NAME, L"rep*");
        EXPECT_EQ(m_steps.sources[0], m_base + L"in\\rep*");
        EXPECT_EQ(filePage.Files().Filter(), L"rep*.*");
        EXPECT_EQ(filePage.Files().Count(), 2);
        // A type narrows it to its extension and becomes the name's.
        filePage.Types().SelectExtension(L".log");
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TARGET_TYPE, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_TARGET_TYPE)));
        PumpFor(20);
        EXPECT_EQ(Text(page, IDC_TARGET_FILE_NAME), L"rep*.log");
        EXPECT_EQ(filePage.Files().Count(), 0);
        SetEditText(page, IDC_TARGET_FILE_NAME, L"whatever.txt");
        EXPECT_EQ(filePage.Files().Filter(), L"*.log");
        EXPECT_EQ(filePage.Files().Count(), 1);
        filePage.Types().SelectExtension(L".*");
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TARGET_TYPE, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_TARGET_TYPE)));
        PumpFor(20);

        // Picking a file in the list puts its name into the edit and the step.
        ASSERT_TRUE(filePage.Files().SelectName(L"notes.log"));
        PumpFor(20);
        EXPECT_EQ(Text(page, IDC_TARGET_FILE_NAME), L"notes.log");
        EXPECT_EQ(m_steps.sources[0], m_base + L"in\\notes.log");

        // An empty name means the whole folder: the folder with its backslash.
        SetEditText(page, IDC_TARGET_FILE_NAME, L"");
        EXPECT_EQ(m_steps.sources[0], m_base + L"in\\");
        EXPECT_EQ(filePage.Files().Count(), 4);

        MakeFolder(BuildFolder() + L"screenshots");
        SetEditText(page, IDC_TARGET_FILE_NAME, L"rep*");
        SaveWindowPicture(sheet, BuildFolder() + L"screenshots\\target-file-page.png");

        // Finish at a source before the last finishes when the state says so;
        // "Another" (GoAgain true) keeps the wizard open.
        m_steps.again = true;
        Press(sheet, PSBTN_FINISH);
        EXPECT_TRUE(::IsWindow(sheet) && CurrentPage(sheet) != nullptr);
        EXPECT_EQ(m_steps.calls.back(), "GoAgain CTaskelPropFile");
        m_steps.again = false;
        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        PumpFor(100);
    });
    EXPECT_EQ(result, IDC_SHEET_FINISH);
    EXPECT_EQ(m_steps.sources[0], m_base + L"in\\rep*");
}

TEST_F(TargetPages, RenamingFilePageKeepsTheRenamePart)
{
    for (const wchar_t *name : {L"a.txt", L"b.txt"})
        WriteText(m_base + name);
    m_steps.action = EDIT_ACTION_COPYRENAME;
    m_steps.sources = {m_base + L"a.txt>*.bak"};
    CTaskelPropFile filePage(m_steps);
    RunWizard({&filePage}, [&](HWND) {
        HWND page = filePage.Window();
        EXPECT_TRUE(filePage.IsRenaming());
        EXPECT_FALSE(filePage.IsRenameOnly());
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, IDC_TARGET_NEW_NAME)));
        EXPECT_EQ(Text(page, IDC_TARGET_FILE_NAME), L"a.txt");
        EXPECT_EQ(Text(page, IDC_TARGET_NEW_NAME), L"*.bak");
        // Absolute mode shows the command's own folder in full.
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), m_base.substr(0, m_base.size() - 1));
        ASSERT_TRUE(filePage.Files().SelectName(L"b.txt"));
        PumpFor(20);
        EXPECT_EQ(m_steps.sources[0], m_base + L"b.txt>*.bak");
        SetEditText(page, IDC_TARGET_NEW_NAME, L"c.txt");
        EXPECT_EQ(m_steps.sources[0], m_base + L"b.txt>c.txt");
        SetEditText(page, IDC_TARGET_NEW_NAME, L"");
        EXPECT_EQ(m_steps.sources[0], m_base + L"b.txt");
    });
    m_steps.action = EDIT_ACTION_RENAME;
    CTaskelPropFile renamePage(m_steps);
    RunWizard({&renamePage}, [&](HWND sheet) {
        EXPECT_TRUE(renamePage.IsRenameOnly());
        // Every Alt+letter of the page and the sheet's buttons is its own.
        std::map<wchar_t, std::wstring> keys;
        auto collect = [&](HWND parent) {
            for (HWND child = ::GetWindow(parent, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT))
            {
                if (!::IsWindowVisible(child)) continue;
                wchar_t text[128] = {};
                ::GetWindowTextW(child, text, 128);
                const wchar_t *amp = wcschr(text, L'&');
                if (!amp || !amp[1] || amp[1] == L'&') continue;
                const wchar_t key = static_cast<wchar_t>(towupper(amp[1]));
                EXPECT_EQ(keys.count(key), 0u)
                    << "Alt+" << char(key) << ": " << std::string(text, text + wcslen(text));
                keys[key] = text;
            }
        };
        collect(renamePage.Window());
        collect(sheet);
        EXPECT_GT(keys.size(), 3u);
    });
}

TEST_F(TargetPages, LocationPageSetsTheFolderAndRemembersIt)
{
    MakeFolder(m_base + L"jobs");
    m_steps.folder = m_base;
    CTaskelPropLocation locationPage(m_steps);
    CTaskelPropFolder folderPage(m_steps);
    RunWizard({&locationPage, &folderPage}, [&](HWND sheet) {
        HWND page = locationPage.Window();
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), m_base.substr(0, m_base.size() - 1));
        EXPECT_EQ(locationPage.Tree().SelectedFolder(), m_base);
        ASSERT_TRUE(locationPage.Tree().SelectFolder(m_base + L"jobs"));
        PumpFor(20);
        EXPECT_EQ(m_steps.folder, m_base + L"jobs\\");
        EXPECT_EQ(Text(page, IDC_TARGET_FOLDER_NAME), m_base + L"jobs");
        SetEditText(page, IDC_TARGET_FOLDER_NAME, m_base);
        EXPECT_EQ(m_steps.folder, m_base);
        SetEditText(page, IDC_TARGET_FOLDER_NAME, m_base + L"jobs\\");
        Press(sheet, PSBTN_NEXT);
        EXPECT_EQ(CurrentPage(sheet), folderPage.Window());
        // The Folder page's default is the new location.
        EXPECT_EQ(m_steps.sources[0], m_base + L"jobs\\");
    });
    EXPECT_EQ(ReadNewCommandPath(kProfile), m_base + L"jobs\\");

    // A wizard without a folder opens at the remembered one.
    m_steps.folder.clear();
    CTaskelPropLocation again(m_steps);
    RunWizard({&again}, [&](HWND) { EXPECT_EQ(m_steps.folder, m_base + L"jobs\\"); });
}

TEST_F(TargetPages, ControlsCarryTheirAccessibleNames)
{
    g_names.clear();
    SetAccessibleNameHook(RecordName);
    CTaskelPropFolder folderPage(m_steps);
    CTaskelPropFile filePage(m_steps);
    RunWizard({&folderPage, &filePage}, [&](HWND sheet) { Press(sheet, PSBTN_NEXT); });
    SetAccessibleNameHook(nullptr);
    using Name = std::pair<std::wstring, DWORD>;
    EXPECT_EQ(g_names[IDC_TARGET_FOLDER_NAME], Name(L"Folder Name", ROLE_SYSTEM_STATICTEXT));
    EXPECT_EQ(g_names[IDC_TARGET_TREE], Name(L"Folders", 0));
    EXPECT_EQ(g_names[IDC_TARGET_FILE_NAME], Name(L"File Name", 0));
    EXPECT_EQ(g_names[IDC_TARGET_NEW_NAME], Name(L"New File Name", 0));
    EXPECT_EQ(g_names[IDC_TARGET_TYPE], Name(L"File Type", 0));
}
