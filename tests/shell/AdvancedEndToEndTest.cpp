// "Advanced >>" end to end, as a person uses it: ZELK.EXE /edit with both
// libraries registered, the Preferences page, "Advanced >>", "Detailed" on
// the Trace Log page, Apply. The product's trace level in the registry is
// then 3, and the next run of a command writes a detailed log.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ProcessWindows.h"
#include "TestLauncher.h"
#include "ShellTestSupport.h"
#include "TaskelOptions.h"
#include "TestLines.h"
#include "TestWindows.h"

namespace
{

const wchar_t kTraceKey[] = L"Software\\Veltrac\\Ferrovane";
const int IDC_PREF_ADVANCED = 2035;
const int IDC_JOTWELL_DETAILED = 5108;

class AdvancedEndToEnd : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(Regsvr32(WindowsPathOf(TASKEL_DLL)), 0u);
        ASSERT_EQ(Regsvr32(WindowsPathOf(JOTWELL_DLL)), 0u);
    }
    static void TearDownTestSuite()
    {
        Regsvr32(WindowsPathOf(JOTWELL_DLL), true);
        Regsvr32(WindowsPathOf(TASKEL_DLL), true);
    }
    bool Launch(const std::wstring &arguments, const std::wstring &folder)
    {
        return m_launcher.Start(EditLauncherPath(), arguments, folder);
    }
    bool WaitForExit() { return m_launcher.WaitForExit(30000); }

    CRunningProgram m_launcher;
};

int TabCount(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

size_t Count(const std::wstring &log, const char *marker)
{
    size_t count = 0;
    for (const std::string &line : ReadLines(log))
        count += line.find(marker) != std::string::npos;
    return count;
}

TEST_F(AdvancedEndToEnd, DetailedOnTheTraceLogPageAppliesToTheNextRun)
{
    const std::wstring folder = FreshFolder(CurrentTestName());
    const std::wstring path = folder + L"job.Taskel";
    WriteCommandFile(path, EDIT_ACTION_COPY, {L"*.txt"}, L"out");
    WriteText(folder + L"note.txt", "note");
    const std::wstring log = folder + L"ferrovane.log";
    CSavedValue level(HKEY_CURRENT_USER, kTraceKey, L"LogLevel");
    CSavedValue file(HKEY_CURRENT_USER, kTraceKey, L"LogFile");
    level.SetDword(1);
    file.SetString(log);

    ASSERT_TRUE(Launch(L"/edit \"" + path + L"\"", folder));
    HWND sheet = WaitForProcessWindow(m_launcher.Id(), L"#32770", L"job - Ferrovane", 30000);
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(TabCount(sheet), 2);
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    HWND preferences = CurrentPage(sheet);
    ASSERT_NE(preferences, nullptr);
    HWND advanced = ::GetDlgItem(preferences, IDC_PREF_ADVANCED);
    ::SendMessageW(advanced, BM_CLICK, 0, 0);
    ASSERT_EQ(TabCount(sheet), 3);
    EXPECT_FALSE(::IsWindowEnabled(advanced));
    HWND settings = CurrentPage(sheet);
    ASSERT_NE(settings, preferences);
    HWND detailed = ::GetDlgItem(settings, IDC_JOTWELL_DETAILED);
    ASSERT_NE(detailed, nullptr);
    ::SendMessageW(detailed, BM_CLICK, 0, 0);
    PressButton(sheet, PSBTN_APPLYNOW);
    EXPECT_TRUE(WaitUntil([] { return RegDword(HKEY_CURRENT_USER, kTraceKey, L"LogLevel") == 3u; }))
        << RegDword(HKEY_CURRENT_USER, kTraceKey, L"LogLevel");
    PressButton(sheet, PSBTN_OK);
    ASSERT_TRUE(WaitForExit());
    // The editing session itself ran at level 1: no detail yet.
    EXPECT_EQ(Count(log, "CmdLine ["), 0u);

    ASSERT_TRUE(Launch(L"/run \"" + path + L"\"", folder));
    ASSERT_TRUE(WaitForExit());
    EXPECT_TRUE(Exists(folder + L"out\\note.txt"));
    EXPECT_GE(Count(log, "CmdLine ["), 1u);
    EXPECT_GE(Count(log, "Opened ["), 1u);
}

} // namespace
