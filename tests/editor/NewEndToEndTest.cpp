// ZELK.EXE /new under Xvfb, driven from this process as a person would:
// the wizard window of the launcher's process is found by its caption, the
// name and files typed into edits (WM_SETTEXT), actions and boxes clicked
// (BM_CLICK), pages turned with PSM_PRESSBUTTON. Each created command file
// is read back with the library's own code and run with ZELK /run /s to see
// the files on disk. Creating over an existing file shows message 3066 and
// the wizard again at its first page with the name kept.
#include "FlowTestSupport.h"
#include "ProcessWindows.h"
#include "TestLauncher.h"
#include "TestWindows.h"

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelFlows.h"
#include "WizardState.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace
{
// Control ids of the wizard's pages, as a test tool sees them.
enum : int
{
    ID_NAME = 2003,
    ID_MOVE = 2033,
    ID_COPY = 2008,
    ID_DELETE = 2012,
    ID_MOVE_AND_RENAME = 2034,
    ID_FOLDER_EDIT = 3912,
    ID_FILE_EDIT = 3903,
    ID_NEW_NAME_EDIT = 2040,
    ID_CONFIRM = 2006,
    ID_RECYCLE = 2002,
    ID_NEXT = 12324,
    ID_FINISH = 12325,
};

class NewLauncher : public ::testing::Test
{
  protected:
    void SetUp() override { m_folder = FreshFolder(CurrentTestName()); }

    // `args` after "/new"; the wizard's window once it shows.
    HWND StartNew(const std::wstring &args)
    {
        if (!m_wizard.Start(EditLauncherPath(), L"/new" + args, m_folder)) return nullptr;
        return WaitForProcessWindow(m_wizard.Id(), L"#32770", L"New File Command", 30000);
    }
    HWND StartNewWithPath(const std::wstring &path) { return StartNew(L" \"" + path + L"\""); }

    bool WaitForExit(DWORD timeoutMs = 20000) { return m_wizard.WaitForExit(timeoutMs); }

    static HWND Page(HWND sheet)
    {
        return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

    // The current page once it has control `id` (the page a step shows).
    static HWND WaitPageWith(HWND sheet, int id, DWORD timeoutMs = 10000)
    {
        HWND page = nullptr;
        WaitUntil(
            [&] {
                page = Page(sheet);
                return page && ::GetDlgItem(page, id);
            },
            timeoutMs);
        return page && ::GetDlgItem(page, id) ? page : nullptr;
    }

    static void Press(HWND sheet, int button) { PressButton(sheet, button); }

    // Sent messages: the wizard has handled them when they return.
    static void Type(HWND page, int id, const std::wstring &text)
    {
        ::SendMessageW(::GetDlgItem(page, id), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(text.c_str()));
    }

    static void Click(HWND page, int id) { ::SendMessageW(::GetDlgItem(page, id), BM_CLICK, 0, 0); }

    static void SetBox(HWND page, int id, bool checked)
    {
        HWND box = ::GetDlgItem(page, id);
        if (box && ::IsWindowVisible(box) &&
            (::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked)
            Click(page, id);
    }

    static bool Enabled(HWND sheet, int id)
    {
        return ::IsWindowEnabled(::GetDlgItem(sheet, id)) != FALSE;
    }

    // The Action page: the name, then the action (clicked on its radio).
    void ChooseAction(HWND sheet, int radio, bool andRename = false)
    {
        HWND page = WaitPageWith(sheet, ID_NAME);
        ASSERT_NE(page, nullptr);
        Click(page, radio);
        if (andRename) Click(page, radio == ID_MOVE ? ID_MOVE_AND_RENAME : 2009);
        Press(sheet, PSBTN_NEXT);
    }

    // A Folder page: the folder typed into its edit, then Next.
    void ChooseFolder(HWND sheet, const std::wstring &folder)
    {
        HWND page = WaitPageWith(sheet, ID_FOLDER_EDIT);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(::GetDlgItem(page, ID_FILE_EDIT), nullptr); // not the File page
        Type(page, ID_FOLDER_EDIT, folder);
        ASSERT_TRUE(Enabled(sheet, ID_NEXT));
        Press(sheet, PSBTN_NEXT);
    }

    // A File page: the file name (and new name), then Next or "Another".
    void ChooseFiles(HWND sheet, const std::wstring &file, const std::wstring &newName,
                     bool another)
    {
        HWND page = WaitPageWith(sheet, ID_FILE_EDIT);
        ASSERT_NE(page, nullptr);
        Type(page, ID_FILE_EDIT, file);
        if (!newName.empty()) Type(page, ID_NEW_NAME_EDIT, newName);
        if (another)
        {
            EXPECT_EQ(WindowText(::GetDlgItem(sheet, ID_FINISH)), L"Another");
            Press(sheet, PSBTN_FINISH);
        }
        else
        {
            Press(sheet, PSBTN_NEXT);
        }
    }

    // The Options page: no confirmations and no recycle bin, then Finish.
    void Finish(HWND sheet)
    {
        HWND page = WaitPageWith(sheet, ID_CONFIRM);
        ASSERT_NE(page, nullptr);
        SetBox(page, ID_CONFIRM, false);
        SetBox(page, ID_RECYCLE, false);
        ASSERT_TRUE(Enabled(sheet, ID_FINISH));
        EXPECT_NE(WindowText(::GetDlgItem(sheet, ID_FINISH)), L"Another");
        Press(sheet, PSBTN_FINISH);
    }

    // The command in a created file, read with the library's code.
    CommandSpec ReadBack(const std::wstring &path)
    {
        CommandSpec spec{};
        fx::ComPtr<IDispatch> dispatch;
        CTaskel *command = nullptr;
        if (FAILED(CreateCommandObject(dispatch, command))) return spec;
        if (FAILED(LoadCommandFile(path, *command))) return spec;
        spec.editorAction = command->GetAction();
        spec.options = command->GetOptions();
        spec.sources = command->GetSources();
        spec.target = command->GetTarget();
        return spec;
    }

    // A Delete command of *.tmp files in a folder "work", created through
    // the wizard as `path`, where the creation is refused: the message it
    // showed (then closed with OK) and the wizard shown again at its first
    // page, which must still hold the name "made" and the action.
    struct RefusedCreation
    {
        std::wstring message;
        HWND sheet = nullptr;
        HWND page = nullptr;
    };
    RefusedCreation CreateRefused(const std::wstring &path)
    {
        RefusedCreation refused;
        const std::wstring work = m_folder + L"work";
        ::CreateDirectoryW(work.c_str(), nullptr);
        HWND sheet = StartNewWithPath(path);
        EXPECT_NE(sheet, nullptr);
        if (!sheet) return refused;
        ChooseAction(sheet, ID_DELETE);
        ChooseFolder(sheet, work);
        ChooseFiles(sheet, L"*.tmp", L"", false);
        Finish(sheet);
        HWND box = WaitForProcessWindow(m_wizard.Id(), L"#32770", L"Ferrovane", 20000);
        EXPECT_NE(box, nullptr);
        if (!box) return refused;
        refused.message = WindowText(::GetDlgItem(box, 0xFFFF));
        ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        refused.sheet = WaitForProcessWindow(m_wizard.Id(), L"#32770", L"New File Command", 20000);
        HWND page = refused.sheet ? WaitPageWith(refused.sheet, ID_NAME) : nullptr;
        EXPECT_NE(page, nullptr);
        if (!page) return refused;
        EXPECT_EQ(WindowText(::GetDlgItem(page, ID_NAME)), L"made");
        EXPECT_EQ(::SendMessageW(::GetDlgItem(page, ID_DELETE), BM_GETCHECK, 0, 0), BST_CHECKED);
        refused.page = page;
        return refused;
    }

    ProcessRun RunSilently(const std::wstring &path)
    {
        return RunProgram(EditLauncherPath(), L"/run /s \"" + path + L"\"", m_folder);
    }

    std::wstring m_folder;
    CRunningProgram m_wizard;
};

bool FileExists(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool EndsWith(const std::wstring &text, const std::wstring &end)
{
    return text.size() >= end.size() &&
           ::CompareStringOrdinal(text.c_str() + text.size() - end.size(), -1, end.c_str(), -1,
                                  TRUE) == CSTR_EQUAL;
}
} // namespace

TEST_F(NewLauncher, DeleteOfTmpFilesInOneFolder)
{
    const std::wstring work = m_folder + L"work";
    ::CreateDirectoryW(work.c_str(), nullptr);
    WriteText(work + L"\\a.tmp");
    WriteText(work + L"\\b.tmp");
    WriteText(work + L"\\keep.txt");
    const std::wstring path = m_folder + L"made.Taskel";
    CLauncherTrace trace(m_folder + L"new.log", 4);

    HWND sheet = StartNewWithPath(path);
    ASSERT_NE(sheet, nullptr);
    {
        HWND page = WaitPageWith(sheet, ID_NAME);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(WindowText(::GetDlgItem(page, ID_NAME)), L"made");
        EXPECT_EQ(::SendMessageW(::GetDlgItem(page, ID_COPY), BM_GETCHECK, 0, 0), BST_CHECKED);
    }
    ChooseAction(sheet, ID_DELETE);
    ChooseFolder(sheet, work);
    ChooseFiles(sheet, L"*.tmp", L"", false);
    Finish(sheet);
    ASSERT_TRUE(WaitForExit());

    const CommandSpec made = ReadBack(path);
    EXPECT_EQ(made.editorAction, 4u);
    ASSERT_EQ(made.sources.size(), 1u);
    EXPECT_TRUE(EndsWith(made.sources[0], L"work\\*.tmp")) << Narrow(made.sources[0]);
    EXPECT_EQ(made.options & FOF_ALLOWUNDO, 0u);
    const Lines lines = trace.Read();
    bool created = false;
    for (const std::string &line : lines)
        created =
            created || line.find("  File [" + Narrow(path) + "] Created") != std::string::npos;
    EXPECT_TRUE(created);
    bool result = false;
    for (const std::string &line : lines)
        result = result || line.find("Wizard Result [12325]") != std::string::npos;
    EXPECT_TRUE(result);

    const ProcessRun run = RunSilently(path);
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(FileExists(work + L"\\a.tmp"));
    EXPECT_FALSE(FileExists(work + L"\\b.tmp"));
    EXPECT_TRUE(FileExists(work + L"\\keep.txt"));
}

TEST_F(NewLauncher, CopyWithTwoSourceFoldersThroughAnother)
{
    const std::wstring one = m_folder + L"one", two = m_folder + L"two", to = m_folder + L"to";
    ::CreateDirectoryW(one.c_str(), nullptr);
    ::CreateDirectoryW(two.c_str(), nullptr);
    WriteText(one + L"\\a.txt");
    WriteText(one + L"\\skip.dat");
    WriteText(two + L"\\b.txt");
    const std::wstring path = m_folder + L"copy.Taskel";

    HWND sheet = StartNewWithPath(path);
    ASSERT_NE(sheet, nullptr);
    ChooseAction(sheet, ID_COPY);
    ChooseFolder(sheet, one);
    ChooseFiles(sheet, L"*.txt", L"", true); // "Another": a second source folder
    ChooseFolder(sheet, two);
    ChooseFiles(sheet, L"*.txt", L"", false);
    ChooseFolder(sheet, to); // the target
    Finish(sheet);
    ASSERT_TRUE(WaitForExit());

    const CommandSpec made = ReadBack(path);
    EXPECT_EQ(made.editorAction, 2u);
    ASSERT_EQ(made.sources.size(), 2u);
    EXPECT_TRUE(EndsWith(made.sources[0], L"one\\*.txt")) << Narrow(made.sources[0]);
    EXPECT_TRUE(EndsWith(made.sources[1], L"two\\*.txt")) << Narrow(made.sources[1]);
    EXPECT_TRUE(EndsWith(made.target, L"to\\") || EndsWith(made.target, L"to"))
        << Narrow(made.target);

    const ProcessRun run = RunSilently(path);
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(FileExists(to + L"\\a.txt"));
    EXPECT_TRUE(FileExists(to + L"\\b.txt"));
    EXPECT_FALSE(FileExists(to + L"\\skip.dat"));
    EXPECT_TRUE(FileExists(one + L"\\a.txt")); // copied, not moved
}

TEST_F(NewLauncher, MoveRenameWithANewNamePattern)
{
    const std::wstring from = m_folder + L"from", to = m_folder + L"to";
    ::CreateDirectoryW(from.c_str(), nullptr);
    WriteText(from + L"\\report.txt");
    WriteText(from + L"\\notes.txt");
    const std::wstring path = m_folder + L"archive.Taskel";

    HWND sheet = StartNewWithPath(path);
    ASSERT_NE(sheet, nullptr);
    ChooseAction(sheet, ID_MOVE, true);
    ChooseFolder(sheet, from);
    ChooseFiles(sheet, L"*.txt", L"*.bak", false);
    ChooseFolder(sheet, to);
    Finish(sheet);
    ASSERT_TRUE(WaitForExit());

    const CommandSpec made = ReadBack(path);
    EXPECT_EQ(made.editorAction, 5u);
    ASSERT_EQ(made.sources.size(), 1u);
    EXPECT_TRUE(EndsWith(made.sources[0], L"from\\*.txt>*.bak")) << Narrow(made.sources[0]);

    const ProcessRun run = RunSilently(path);
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(FileExists(to + L"\\report.bak"));
    EXPECT_TRUE(FileExists(to + L"\\notes.bak"));
    EXPECT_FALSE(FileExists(from + L"\\report.txt"));
}

TEST_F(NewLauncher, ExistingFileShowsMessage3066AndTheFirstPageAgain)
{
    const std::wstring path = m_folder + L"made.Taskel";
    WriteText(path, "already here");
    const RefusedCreation refused = CreateRefused(path);
    ASSERT_NE(refused.page, nullptr);
    EXPECT_EQ(refused.message, L"File command \"made\" already exists.");
    // A new name creates the file.
    Type(refused.page, ID_NAME, L"other");
    Press(refused.sheet, PSBTN_NEXT);
    Press(refused.sheet, PSBTN_NEXT);
    ChooseFiles(refused.sheet, L"*.tmp", L"", false);
    Finish(refused.sheet);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(ReadText(path), "already here");
    EXPECT_EQ(ReadBack(m_folder + L"other.Taskel").editorAction, 4u);
}

// A creation that fails for another reason (here: the folder is not there)
// says why, with the file's name, and gives the wizard back with all that
// was entered; nothing is left on disk.
TEST_F(NewLauncher, AFailedCreationSaysWhyAndKeepsTheWizard)
{
    const std::wstring path = m_folder + L"missing\\made.Taskel";
    const RefusedCreation refused = CreateRefused(path);
    ASSERT_NE(refused.page, nullptr);
    EXPECT_EQ(refused.message.rfind(path, 0), 0u) << refused.message;
    EXPECT_GT(refused.message.size(), path.size() + 4) << refused.message;
    Press(refused.sheet, PSBTN_CANCEL);
    ASSERT_TRUE(WaitForExit());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(NewLauncher, WithoutAPathTheLocationPageFollowsAndCancelWritesNothing)
{
    HWND sheet = StartNew(L"");
    ASSERT_NE(sheet, nullptr);
    HWND page = WaitPageWith(sheet, ID_NAME);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(page, ID_NAME)), L"");
    EXPECT_FALSE(Enabled(sheet, ID_NEXT)); // a command needs a name
    Type(page, ID_NAME, L"located");
    EXPECT_TRUE(Enabled(sheet, ID_NEXT));
    Press(sheet, PSBTN_NEXT);
    // The Location page: the folder tree without the relative-mode button.
    HWND location = WaitPageWith(sheet, 3915);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(::GetDlgItem(location, 3914), nullptr);
    EXPECT_TRUE(Enabled(sheet, ID_NEXT)); // the current directory to begin with
    Press(sheet, PSBTN_CANCEL);
    ASSERT_TRUE(WaitForExit());
    EXPECT_FALSE(FileExists(m_folder + L"located.Taskel"));
}

TEST(NewCommandPath, FolderAndNameFromTheGivenPath)
{
    NewCommandTarget target = SplitNewCommandPath(L"C:\\Jobs\\made.Taskel");
    EXPECT_EQ(target.folder, L"C:\\Jobs\\");
    EXPECT_EQ(target.name, L"made");
    EXPECT_FALSE(target.withLocation);
    target = SplitNewCommandPath(L"C:\\Jobs\\");
    EXPECT_EQ(target.folder, L"C:\\Jobs\\");
    EXPECT_EQ(target.name, L"");
    EXPECT_FALSE(target.withLocation);
    // No path: the current directory, no name, and the Location page.
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    const std::wstring work = FreshFolder(CurrentTestName());
    ASSERT_TRUE(::SetCurrentDirectoryW(work.c_str()));
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    target = SplitNewCommandPath(L"");
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(target.folder, current);
    EXPECT_EQ(target.name, L"");
    EXPECT_TRUE(target.withLocation);

    // Started in the program's own folder (the Start menu's shortcut), the
    // new command goes to the remembered folder, else to the documents.
    EXPECT_EQ(NewCommandStartFolder(L"C:\\Jobs", L"C:\\Program Files\\Ferrovane", L"D:\\Mine",
                                    true, L"C:\\Users\\me\\Documents"),
              L"C:\\Jobs");
    EXPECT_EQ(NewCommandStartFolder(L"c:\\program files\\ferrovane\\",
                                    L"C:\\Program Files\\Ferrovane", L"D:\\Mine", true,
                                    L"C:\\Users\\me\\Documents"),
              L"D:\\Mine");
    EXPECT_EQ(NewCommandStartFolder(L"C:\\Program Files\\Ferrovane",
                                    L"C:\\Program Files\\Ferrovane", L"D:\\Gone", false,
                                    L"C:\\Users\\me\\Documents"),
              L"C:\\Users\\me\\Documents");
    EXPECT_EQ(NewCommandStartFolder(L"", L"C:\\P", L"", false, L"C:\\Docs"), L"C:\\Docs");

    // The file the wizard names has the extension forced.
    WizardState state;
    state.SetFolder(L"C:\\Jobs");
    state.SetName(L"made.old");
    EXPECT_EQ(NewCommandFilePath(state), L"C:\\Jobs\\made.old.Taskel");
    state.SetName(L"made");
    EXPECT_EQ(NewCommandFilePath(state), L"C:\\Jobs\\made.Taskel");
}
