// ZELK.EXE /edit under Xvfb, driven from this process the way a person or a
// test tool would: the sheet window of the launcher's process is found by
// its caption, pages are switched with PSM_SETCURSEL, buttons pressed with
// PSM_PRESSBUTTON and BM_CLICK. Cancel leaves the command file as it was;
// a damaged file shows the load error and no sheet; a missing file shows
// message 3069, read from the box as the user sees it.
#include "FlowTestSupport.h"
#include "ProcessWindows.h"
#include "TestLauncher.h"
#include <shellapi.h>

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace
{
class EditLauncher : public ::testing::Test
{
  protected:
    void SetUp() override { m_folder = FreshFolder(CurrentTestName()); }

    void StartEdit(const std::wstring &path)
    {
        ASSERT_TRUE(m_editor.Start(EditLauncherPath(), L"/edit \"" + path + L"\"", m_folder));
    }

    bool WaitForExit(DWORD timeoutMs = 20000) { return m_editor.WaitForExit(timeoutMs); }

    // Closes the launcher's message box with OK and returns its text.
    std::wstring CloseMessageBox()
    {
        HWND box = WaitForProcessWindow(m_editor.Id(), L"#32770", L"Ferrovane", 20000);
        if (!box) return L"<no message box>";
        std::wstring text = WindowText(::GetDlgItem(box, 0xFFFF));
        HWND ok = ::GetDlgItem(box, IDOK);
        if (ok)
            ::SendMessageW(ok, BM_CLICK, 0, 0);
        else
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return text;
    }

    std::wstring m_folder;
    CRunningProgram m_editor;
};
} // namespace

TEST_F(EditLauncher, CancelShowsBothPagesAndWritesNothing)
{
    const std::wstring path = m_folder + L"backup.Taskel";
    ASSERT_EQ(WriteCommandFile(path, {2, FOF_NOCONFIRMATION, {L"logs\\*.log"}, L"backup"}), S_OK);
    // An hour back: a write would stamp the file with the time now.
    ASSERT_TRUE(SetWriteTimeBack(path));
    const FileStamp before = StampOf(path);

    const std::wstring log = m_folder + L"edit.log";
    CSavedValue level(HKEY_CURRENT_USER, L"Software\\Veltrac\\Ferrovane", L"LogLevel");
    CSavedValue file(HKEY_CURRENT_USER, L"Software\\Veltrac\\Ferrovane", L"LogFile");
    level.SetDword(2);
    file.SetString(log);

    StartEdit(path);
    HWND sheet = WaitForProcessWindow(m_editor.Id(), L"#32770", L"backup - Ferrovane", 30000);
    ASSERT_NE(sheet, nullptr);
    HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
    HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    // The Preferences page answers like any dialog: its check box by id.
    HWND hidden = ::GetDlgItem(page, 2031);
    ASSERT_NE(hidden, nullptr);
    ::SendMessageW(hidden, BM_CLICK, 0, 0);
    ::SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(WaitForExit());

    const FileStamp after = StampOf(path);
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(::CompareFileTime(&after.written, &before.written), 0);

    // The flow's landmarks, in order: the sheet stayed hidden until its loop ran.
    const Lines lines = ReadLines(log);
    const char *expected[] = {"Show PropSheet",
                              "Create PropertySheet",
                              "Created PropertySheet",
                              "RunModal PropertySheet IsVisible [0]",
                              "RunModal PropertySheet Complete",
                              "PropSheet Result [2]"};
    size_t at = 0;
    for (const char *text : expected)
    {
        while (at < lines.size() && lines[at].find(text) == std::string::npos)
            ++at;
        EXPECT_LT(at, lines.size()) << "missing in order: " << text;
    }
}

TEST_F(EditLauncher, DamagedFileShowsTheLoadErrorAndNoSheet)
{
    const std::wstring path = m_folder + L"damaged.Taskel";
    WriteText(path, "this is not a command file");
    StartEdit(path);
    const std::wstring text = CloseMessageBox();
    EXPECT_NE(text, L"<no message box>");
    EXPECT_FALSE(HasProcessWindow(m_editor.Id(), L"#32770", L"damaged - Ferrovane"));
    EXPECT_FALSE(text.empty());
    // One message, then the launcher ends.
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(ReadBytes(path),
              std::vector<BYTE>({'t', 'h', 'i', 's', ' ', 'i', 's', ' ', 'n', 'o', 't', ' ', 'a',
                                 ' ', 'c', 'o', 'm', 'm', 'a', 'n', 'd', ' ', 'f', 'i', 'l', 'e'}));
}

TEST_F(EditLauncher, MissingFileShowsMessage3069)
{
    const std::wstring path = m_folder + L"missing.Taskel";
    StartEdit(path);
    const std::wstring text = CloseMessageBox();
    EXPECT_NE(text.find(L"doesn't exist"), std::wstring::npos) << Narrow(text);
    EXPECT_EQ(text, L"File command \"" + path + L"\" doesn't exist.");
    ASSERT_TRUE(WaitForExit());
}
