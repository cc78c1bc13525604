// The command page in ZELK.EXE /edit, driven from this process as a person
// would: the page's controls clicked with BM_CLICK, Apply and OK pressed
// with PSM_PRESSBUTTON. A toggled option and OK change exactly that bit in
// the file; Apply writes once and a following OK without changes does not
// write again; a read-only file's page never writes.
#include "FlowTestSupport.h"
#include "ProcessWindows.h"
#include "TestLauncher.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelOptions.h"
#include "TaskelPropBase.h"
#include "resource.h"

namespace
{

// A Copy command whose options are all applicable and so shown as stored:
// the page writes back exactly what it loaded.
CommandSpec CopySpec()
{
    return {EDIT_ACTION_COPY,
            OPT_NOCONFIRMMKDIR | OPT_X_COMPLETE_SOUND | OPT_RENAMEONCOLLISION,
            {L"logs\\*.log", L"C:\\data\\"},
            L"backup\\"};
}

class PageLauncher : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_folder = FreshFolder(CurrentTestName());
        m_path = m_folder + L"job.Taskel";
        ASSERT_EQ(WriteCommandFile(m_path, CopySpec()), S_OK);
    }
    void TearDown() override { ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL); }

    // Starts ZELK.EXE /edit and returns the command page's window.
    HWND OpenPage()
    {
        if (!m_editor.Start(EditLauncherPath(), L"/edit \"" + m_path + L"\"", m_folder))
            return nullptr;
        m_sheet = WaitForProcessWindow(m_editor.Id(), L"#32770", L"job - Ferrovane", 30000);
        if (!m_sheet) return nullptr;
        return reinterpret_cast<HWND>(::SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

    void Press(int button) { PressButton(m_sheet, button); }

    bool WaitForExit() { return m_editor.WaitForExit(20000); }

    uint32_t StoredOptions()
    {
        CTaskelRef command(new CTaskel);
        EXPECT_EQ(LoadCommandFile(m_path, *command.Get()), S_OK);
        EXPECT_EQ(command->GetSources(), CopySpec().sources);
        EXPECT_EQ(command->GetTarget(), CopySpec().target);
        EXPECT_EQ(command->GetAction(), EDIT_ACTION_COPY);
        return command->GetOptions();
    }

    std::wstring m_folder;
    std::wstring m_path;
    HWND m_sheet = nullptr;
    CRunningProgram m_editor;
};

} // namespace

TEST_F(PageLauncher, ToggledOptionAndOkChangeExactlyThatBit)
{
    const uint32_t before = StoredOptions();
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    HWND ignore = ::GetDlgItem(page, IDC_OPT_IGNORE_ERRORS);
    ASSERT_NE(ignore, nullptr);
    EXPECT_EQ(::SendMessageW(ignore, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ::SendMessageW(ignore, BM_CLICK, 0, 0);
    Press(PSBTN_OK);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(StoredOptions(), before ^ OPT_X_IGNORE_ERRORS);
}

TEST_F(PageLauncher, ApplyWritesOnceAndOkAfterItDoesNotWriteAgain)
{
    const FileStamp original = StampOf(m_path);
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    ::SendMessageW(::GetDlgItem(page, IDC_OPT_SOUND), BM_CLICK, 0, 0);
    Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(WaitUntil([&] { return !SameStamp(StampOf(m_path), original); }));
    // An hour back: a second write would stamp the file with the time now.
    ASSERT_TRUE(SetWriteTimeBack(m_path));
    const FileStamp applied = StampOf(m_path);
    Press(PSBTN_OK);
    ASSERT_TRUE(WaitForExit());
    EXPECT_TRUE(SameStamp(StampOf(m_path), applied));
    EXPECT_EQ(StoredOptions() & OPT_X_COMPLETE_SOUND, 0u);
}

TEST_F(PageLauncher, ReadOnlyFileIsNeverWritten)
{
    ASSERT_TRUE(SetWriteTimeBack(m_path));
    ASSERT_TRUE(::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
    const FileStamp original = StampOf(m_path);
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    ::SendMessageW(::GetDlgItem(page, IDC_OPT_SOUND), BM_CLICK, 0, 0);
    // The page is locked: the box keeps the stored state.
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, IDC_OPT_SOUND), BM_GETCHECK, 0, 0), BST_CHECKED);
    Press(PSBTN_APPLYNOW);
    Press(PSBTN_OK);
    ASSERT_TRUE(WaitForExit());
    EXPECT_TRUE(SameStamp(StampOf(m_path), original));
}
