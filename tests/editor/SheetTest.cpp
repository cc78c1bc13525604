// The sheet frame in this process: the help-id table, navigation between
// pages with the standard sheet messages, the deferred showing seen in the
// trace, the modal result, and context help reaching HtmlHelpW with the
// help file's popup source and the right id (F1, WM_HELP, "What's This?"),
// for the sheet's buttons and for page controls.
#include "ContextHelp.h"
#include "EngineTestSupport.h"
#include "PropertySheetExEx.h"
#include "SheetTestSupport.h"
#include "TaskelPreferences.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
class CPlainPage : public CPropertyPageExEx
{
  public:
    CPlainPage() : CPropertyPageExEx(IDD_COMMAND_PLACEHOLDER) { SetTitle(L"Command"); }
};

struct HelpCall
{
    std::wstring file;
    UINT command;
    UINT id;
};
std::vector<HelpCall> g_helpCalls;

HWND WINAPI RecordHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR data)
{
    const auto *popup = reinterpret_cast<const HelpPopup *>(data);
    g_helpCalls.push_back({file ? file : L"", command, popup ? popup->idString : 0u});
    return nullptr;
}

class SheetTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_helpCalls.clear();
        SetHtmlHelpSeam(RecordHelp);
        CContextHelp::SetHelpFile(L"C:\\Lib\\Taskel.chm", L"TextPopups.txt");
    }
    void TearDown() override
    {
        SetHtmlHelpSeam(nullptr);
        CContextHelp::SetHelpFile(L"", L"");
    }
};

size_t IndexOf(const std::vector<std::wstring> &lines, const std::wstring &text)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::wstring::npos) return i;
    return lines.size();
}

void SendHelp(HWND sheet, int controlId, DWORD helpId)
{
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = controlId;
    info.hItemHandle = ::GetDlgItem(sheet, controlId);
    info.dwContextId = helpId;
    ::SendMessageW(sheet, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}
} // namespace

TEST(SheetHelpTable, ButtonsHaveFixedHelpIds)
{
    EXPECT_EQ(SheetControlHelpContext(IDCANCEL, false, false, 0), 1004u);
    EXPECT_EQ(SheetControlHelpContext(12323, false, false, 0), 1001u);
    EXPECT_EQ(SheetControlHelpContext(12324, false, false, 0), 1002u);
    EXPECT_EQ(SheetControlHelpContext(12324, true, false, 0), 1003u); // Next acts as Finish
    EXPECT_EQ(SheetControlHelpContext(12324, true, true, 0), 1002u);  // a separate Finish button
    EXPECT_EQ(SheetControlHelpContext(12325, false, true, 0), 1003u);
    EXPECT_EQ(SheetControlHelpContext(12325, false, true, 1005), 1005u); // relabelled "Another"
    EXPECT_EQ(SheetControlHelpContext(IDOK, true, true, 0), 0u);
    EXPECT_EQ(SheetControlHelpContext(0x3021, true, true, 0), 0u); // Apply
    EXPECT_EQ(SheetControlHelpContext(2013, true, true, 0), 0u);
}

TEST(SheetHelpTable, SheetButtonsKeepTheTablePageControlsTheirOwnIds)
{
    // A sheet button's own id does not replace the table's.
    EXPECT_EQ(ChooseControlHelpId(ControlPlace::Sheet, 2, 1004), 1004u);
    EXPECT_EQ(ChooseControlHelpId(ControlPlace::Sheet, 0, 0), 0u); // OK: no help
    // A page control whose id is also a button's id does not get its help.
    EXPECT_EQ(ChooseControlHelpId(ControlPlace::Page, 2031, 0), 2031u);
    EXPECT_EQ(ChooseControlHelpId(ControlPlace::Page, 0, 1004), 0u);
    // A request without a window: its id, else the table's.
    EXPECT_EQ(ChooseControlHelpId(ControlPlace::Unknown, 1002, 1001), 1002u);
    EXPECT_EQ(ChooseControlHelpId(ControlPlace::Unknown, 0, 1001), 1001u);
    // Controls get their id as help id unless they have none or one is set.
    EXPECT_EQ(OwnHelpIdFor(2031, 0), 2031u);
    EXPECT_EQ(OwnHelpIdFor(2031, 1002), 0u);
    EXPECT_EQ(OwnHelpIdFor(0, 0), 0u);
    EXPECT_EQ(OwnHelpIdFor(-1, 0), 0u);
    EXPECT_EQ(OwnHelpIdFor(0xFFFF, 0), 0u);
}

TEST_F(SheetTest, HiddenUntilTheModalLoopThenNavigatesAndCancels)
{
    CTraceLines trace(4);
    CPlainPage command;
    CTaskelPreferences preferences;
    CPropertySheetExEx sheet(L"backup - Ferrovane", nullptr);
    sheet.AddPage(command);
    sheet.AddPage(preferences);
    bool visibleInLoop = false;
    const INT_PTR result = RunSheet(sheet, [&](HWND window) {
        visibleInLoop = ::IsWindowVisible(window) != FALSE;
        wchar_t caption[64] = {};
        ::GetWindowTextW(window, caption, 64);
        EXPECT_STREQ(caption, L"backup - Ferrovane");
        HWND tabs = reinterpret_cast<HWND>(::SendMessageW(window, PSM_GETTABCONTROL, 0, 0));
        EXPECT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(reinterpret_cast<HWND>(::SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0)),
                  command.Window());
        ::SendMessageW(window, PSM_SETCURSEL, 1, 0);
        EXPECT_EQ(reinterpret_cast<HWND>(::SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0)),
                  preferences.Window());
        ::SendMessageW(window, PSM_SETCURSEL, 0, 0);
        EXPECT_TRUE(command.IsCurrentPage());
        EXPECT_NE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
        EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(visibleInLoop);
    EXPECT_EQ(sheet.Window(), nullptr);

    const auto lines = trace.Lines();
    const size_t create = IndexOf(lines, L"Create PropertySheet");
    const size_t created = IndexOf(lines, L"Created PropertySheet");
    const size_t ignored = std::min(IndexOf(lines, L"PropSheet WM_SHOWWINDOW ignored"),
                                    IndexOf(lines, L"PropSheet SWP_SHOWWINDOW ignored"));
    const size_t run = IndexOf(lines, L"RunModal PropertySheet IsVisible [0]");
    const size_t shown = IndexOf(lines, L"PropSheet WM_SHOWWINDOW");
    const size_t complete = IndexOf(lines, L"RunModal PropertySheet Complete");
    ASSERT_LT(complete, lines.size());
    EXPECT_LT(create, ignored);
    EXPECT_LT(ignored, created);
    EXPECT_LT(created, run);
    EXPECT_LT(run, complete);
    // The first show let through comes after the loop started.
    size_t shownInLoop = lines.size();
    for (size_t i = run; i < lines.size(); ++i)
        if (lines[i].find(L"PropSheet WM_SHOWWINDOW") != std::wstring::npos &&
            lines[i].find(L"ignored") == std::wstring::npos)
        {
            shownInLoop = i;
            break;
        }
    EXPECT_LT(shownInLoop, complete);
    EXPECT_LT(shown, lines.size());
}

TEST_F(SheetTest, OkEndsWithIdOkAfterApplyingEveryPage)
{
    CPlainPage command;
    CTaskelPreferences preferences;
    CPropertySheetExEx sheet(L"ok - Ferrovane", nullptr);
    sheet.AddPage(command);
    sheet.AddPage(preferences);
    EXPECT_EQ(
        RunSheet(sheet, [](HWND window) { ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_OK, 0); }),
        IDOK);
    // The keyboard: Enter presses the default button.
    CPropertySheetExEx again(L"enter - Ferrovane", nullptr);
    again.AddPage(command);
    EXPECT_EQ(RunSheet(again,
                       [](HWND window) {
                           ::SetForegroundWindow(window);
                           ::PostMessageW(::GetDlgItem(window, IDOK), WM_KEYDOWN, VK_RETURN, 0);
                       }),
              IDOK);
}

TEST_F(SheetTest, ContextHelpReachesHtmlHelpWithThePopupSourceAndId)
{
    CTraceLines trace(4);
    CTaskelPreferences preferences;
    CPropertySheetExEx wizard(L"wizard", nullptr);
    wizard.SetWizardMode();
    wizard.AddPage(preferences);
    RunSheet(wizard, [&](HWND window) {
        SendHelp(window, 12323, 0); // Back, through the table
        SendHelp(window, IDCANCEL, 0);
        SendHelp(window, IDOK, 0); // no help id: nothing
        // "What's This?" on the Back button: the menu takes Down and Enter.
        HWND back = ::GetDlgItem(window, 12323);
        RECT rect;
        ::GetWindowRect(back, &rect);
        ::PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
        ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(back),
                       MAKELPARAM(rect.left + 3, rect.top + 3));
        // F1 on a control with a help id: the request goes up to the sheet.
        HWND check = ::GetDlgItem(preferences.Window(), IDC_PREF_SHOW_HIDDEN);
        ::SetWindowContextHelpId(check, 1002);
        ::SetFocus(check);
        EXPECT_TRUE(CContextHelp::RequestHelpForFocus());
        // F1 on one of the sheet's own buttons: its help by the table.
        ::SetFocus(back);
        EXPECT_TRUE(CContextHelp::RequestHelpForFocus());
    });
    ASSERT_EQ(g_helpCalls.size(), 5u);
    for (const HelpCall &call : g_helpCalls)
    {
        EXPECT_EQ(call.file, L"C:\\Lib\\Taskel.chm::/TextPopups.txt");
        EXPECT_EQ(call.command, UINT(HELP_HH_DISPLAY_TEXT_POPUP));
    }
    EXPECT_EQ(g_helpCalls[0].id, 1001u);
    EXPECT_EQ(g_helpCalls[1].id, 1004u); // Cancel has help in a wizard
    EXPECT_EQ(g_helpCalls[2].id, 1001u);
    EXPECT_EQ(g_helpCalls[3].id, 1002u);
    EXPECT_EQ(g_helpCalls[4].id, 1001u);
    EXPECT_FALSE(trace.With(L"GetControlHelpContext [12323]").empty());
    EXPECT_FALSE(trace.With(L"Help [1001]").empty());
}

// A person's right click "What's This?" on a page control and F1 on another
// focused one: each shows the popup of the control's own id, which the page
// base gave it; the sheet's Back button keeps its table id.
TEST_F(SheetTest, PageControlsShowTheirOwnPopupByF1AndWhatsThis)
{
    CTraceLines trace(4);
    CTaskelPreferences preferences;
    CPropertySheetExEx wizard(L"wizard", nullptr);
    wizard.SetWizardMode();
    wizard.AddPage(preferences);
    RunSheet(wizard, [&](HWND window) {
        HWND page = preferences.Window();
        HWND hidden = ::GetDlgItem(page, IDC_PREF_SHOW_HIDDEN);
        EXPECT_EQ(::GetWindowContextHelpId(hidden), DWORD(IDC_PREF_SHOW_HIDDEN));
        EXPECT_EQ(::GetWindowContextHelpId(::GetDlgItem(page, IDC_PREF_ADVANCED)),
                  DWORD(IDC_PREF_ADVANCED));
        EXPECT_EQ(::GetWindowContextHelpId(::GetDlgItem(window, IDC_SHEET_BACK)), 0u);

        // Right click on the first radio button, then Down and Enter choose
        // the menu's one item.
        HWND descriptions = ::GetDlgItem(page, IDC_PREF_DESCRIPTIONS);
        ::PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
        ::SendMessageW(descriptions, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(6, 6));
        ::SendMessageW(descriptions, WM_RBUTTONUP, 0, MAKELPARAM(6, 6));
        PumpFor(200);

        // The same on the Back button, where the point finds the button.
        HWND back = ::GetDlgItem(window, IDC_SHEET_BACK);
        RECT rect;
        ::GetWindowRect(back, &rect);
        ::PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
        ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(back),
                       MAKELPARAM(rect.left + 3, rect.top + 3));
        PumpFor(100);

        // F1 goes through the sheet's own message loop: posted last, before
        // the Cancel that ends the run.
        ::SetForegroundWindow(window);
        ::SetFocus(hidden);
        ::PostMessageW(hidden, WM_KEYDOWN, VK_F1, 0);
        ::PostMessageW(hidden, WM_KEYUP, VK_F1, 0);
    });
    std::wstring ids;
    for (const HelpCall &call : g_helpCalls) ids += std::to_wstring(call.id) + L" ";
    ASSERT_EQ(g_helpCalls.size(), 3u) << "popups: " << std::string(ids.begin(), ids.end());
    EXPECT_EQ(g_helpCalls[0].id, UINT(IDC_PREF_DESCRIPTIONS));
    EXPECT_EQ(g_helpCalls[1].id, 1001u);
    EXPECT_EQ(g_helpCalls[2].id, UINT(IDC_PREF_SHOW_HIDDEN));
    EXPECT_FALSE(trace.With(L"OnHelp").empty());
}

TEST_F(SheetTest, PropertySheetCancelHasNoHelpAndNoHelpFileShowsNothing)
{
    CTaskelPreferences preferences;
    CPropertySheetExEx sheet(L"sheet", nullptr);
    sheet.AddPage(preferences);
    RunSheet(sheet, [](HWND window) {
        SendHelp(window, IDCANCEL, 0);
        CContextHelp::SetHelpFile(L"", L"");
        SendHelp(window, 0, 1002);
    });
    EXPECT_TRUE(g_helpCalls.empty());
}

TEST(HelpFile, FoundOnlyBesideTheLibrary)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"helpfile-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_EQ(FindHelpFile(folder, L"Taskel"), L"");
    const std::wstring chm = folder + L"\\Taskel.chm";
    ::CloseHandle(::CreateFileW(chm.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(FindHelpFile(folder, L"Taskel"), chm);
    EXPECT_EQ(FindHelpFile(folder + L"\\", L"Taskel"), chm);
    ::DeleteFileW(chm.c_str());
    ::RemoveDirectoryW(folder.c_str());
}
