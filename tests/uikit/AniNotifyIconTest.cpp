// The notify icon: the record it hands the shell, retries and their error
// traces through a recording seam, then the real notification area.
#include "AniNotifyIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AniRes.h"
#include "AniTimer.h"
#include "TaskelIcons.h"
#include "TestTrace.h"
#include "TestWindows.h"

namespace
{
struct Call
{
    DWORD message;
    NOTIFYICONDATAW data;
};
std::vector<Call> g_calls;
int g_failures = 0; // calls still to fail
DWORD g_error = ERROR_TIMEOUT;

BOOL WINAPI RecordingNotify(DWORD message, PNOTIFYICONDATAW data)
{
    g_calls.push_back({message, *data});
    if (g_failures > 0)
    {
        --g_failures;
        SetLastError(g_error);
        return FALSE;
    }
    return TRUE;
}

HWND IconWindow()
{
    static HWND window =
        CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    return window;
}

class NotifySeam : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_calls.clear();
        g_failures = 0;
        g_error = ERROR_TIMEOUT;
        SetNotifyIconSeam(RecordingNotify);
        ASSERT_TRUE(m_move.Load(GetModuleHandleW(nullptr), IDA_MOVE + 1));
        ASSERT_TRUE(m_copy.Load(GetModuleHandleW(nullptr), IDA_COPY + 1));
    }
    void TearDown() override { SetNotifyIconSeam(nullptr); }

    CAniRes m_move, m_copy;
};
} // namespace

TEST_F(NotifySeam, AddHandsTheShellTheVersion2Record)
{
    CAniNotifyIcon icon;
    icon.SetDepthLimit(4);
    ASSERT_TRUE(icon.Add(IconWindow(), &m_move, L"Moving"));
    ASSERT_EQ(1u, g_calls.size());
    const NOTIFYICONDATAW &data = g_calls[0].data;
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_calls[0].message);
    EXPECT_EQ(static_cast<DWORD>(sizeof(void *) == 8 ? 952 : 936), data.cbSize);
    EXPECT_EQ(IconWindow(), data.hWnd);
    EXPECT_EQ(static_cast<UINT>(reinterpret_cast<UINT_PTR>(&icon)), data.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), data.uFlags);
    EXPECT_EQ(RegisterWindowMessageW(L"27B21270-AC9E-472D-B436-06B79253DF0A"),
              data.uCallbackMessage);
    EXPECT_NE(nullptr, data.hIcon);
    EXPECT_STREQ(L"Moving", data.szTip);
    EXPECT_TRUE(icon.Clock()->IsTimerSet());

    EXPECT_TRUE(icon.Remove());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), g_calls.back().message);
    EXPECT_FALSE(icon.Remove());
}

TEST_F(NotifySeam, TooltipIsCutAndOptional)
{
    CAniNotifyIcon icon;
    icon.SetDepthLimit(4);
    ASSERT_TRUE(icon.Add(IconWindow(), &m_move, std::wstring(200, L'x').c_str()));
    EXPECT_EQ(std::wstring(127, L'x'), g_calls[0].data.szTip);

    ASSERT_TRUE(icon.Add(IconWindow(), &m_move, nullptr));
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON), g_calls.back().data.uFlags);
}

TEST_F(NotifySeam, AddRefusesWhatCannotBeShown)
{
    CAniNotifyIcon icon;
    EXPECT_FALSE(icon.Add(nullptr, &m_move, L"x"));
    EXPECT_FALSE(icon.Add(IconWindow(), nullptr, L"x"));
    CAniRes empty;
    EXPECT_FALSE(icon.Add(IconWindow(), &empty, L"x"));
    // Only full-colour images, but the classic look admits 16 colours.
    CAniRes colour;
    ASSERT_TRUE(colour.Load(GetModuleHandleW(nullptr), IDA_MOVE));
    icon.SetDepthLimit(4);
    EXPECT_FALSE(icon.Add(IconWindow(), &colour, L"x"));
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(icon.IsShown());
}

TEST_F(NotifySeam, ZeroRateFailsAddAndTakesTheIconAway)
{
    CAniRes still = m_move;
    const_cast<AniHeader &>(still.Header()).rate = 0;
    CAniNotifyIcon icon;
    icon.SetDepthLimit(4);
    EXPECT_FALSE(icon.Add(IconWindow(), &still, L"x"));
    EXPECT_FALSE(icon.IsShown());
    ASSERT_EQ(2u, g_calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), g_calls[1].message);
}

TEST_F(NotifySeam, TenAttemptsEachDistinctErrorTracedOnce)
{
    CTraceLines trace(2);
    CAniNotifyIcon icon;
    icon.SetDepthLimit(4);
    g_failures = 10;
    EXPECT_FALSE(icon.Add(IconWindow(), &m_move, L"x"));
    EXPECT_EQ(10u, g_calls.size());
    EXPECT_EQ(1u, trace.With(L"Shell_NotifyIcon [").size());
    EXPECT_FALSE(icon.IsShown());

    // Fails twice, then the notification area takes it.
    g_calls.clear();
    g_failures = 2;
    EXPECT_TRUE(icon.Add(IconWindow(), &m_move, L"x"));
    EXPECT_EQ(3u, g_calls.size());
    std::vector<std::wstring> lines = trace.With(L"Shell_NotifyIcon [");
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::wstring::npos, lines[1].find(L"] [9]"));
}

TEST_F(NotifySeam, ModifyReplacesAnimationOrKeepsTheOld)
{
    CAniNotifyIcon icon;
    icon.SetDepthLimit(4);
    ASSERT_TRUE(icon.Add(IconWindow(), &m_move, L"Moving"));
    const CAniTimer *oldClock = icon.Clock();
    ASSERT_TRUE(icon.Modify(&m_copy, L"Copying"));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), g_calls.back().message);
    EXPECT_STREQ(L"Copying", g_calls.back().data.szTip);
    EXPECT_NE(oldClock, icon.Clock());

    HICON shown = icon.Data()->hIcon;
    g_failures = 10;
    EXPECT_FALSE(icon.Modify(&m_move, nullptr));
    EXPECT_EQ(shown, icon.Data()->hIcon);

    EXPECT_TRUE(icon.Modify(nullptr, L"Tip only"));
    EXPECT_STREQ(L"Tip only", icon.Data()->szTip);
    EXPECT_EQ(shown, icon.Data()->hIcon);
}

TEST_F(NotifySeam, TimerStepsTheIconAndKeepsItOnFailure)
{
    CAniNotifyIcon icon;
    icon.SetDepthLimit(4);
    ASSERT_TRUE(icon.Add(IconWindow(), &m_move, L"Moving"));
    icon.OnTimer(12345);
    EXPECT_EQ(1u, g_calls.size());

    icon.OnTimer(icon.Clock()->Id());
    ASSERT_EQ(2u, g_calls.size());
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), g_calls[1].data.uFlags);
    EXPECT_EQ(1u, icon.Clock()->StepIndex());
    EXPECT_EQ(g_calls[1].data.hIcon, icon.Data()->hIcon);

    HICON kept = icon.Data()->hIcon;
    g_failures = 1;
    icon.OnTimer(icon.Clock()->Id());
    EXPECT_EQ(kept, icon.Data()->hIcon);
}

// The real notification area (the tests run under Xvfb).
TEST(NotifyArea, AddAnimateModifyRemove)
{
    CAniRes prepare, move;
    ASSERT_TRUE(prepare.Load(GetModuleHandleW(nullptr), IDA_PREPARE + 1));
    ASSERT_TRUE(move.Load(GetModuleHandleW(nullptr), IDA_MOVE + 1));

    struct Forward
    {
        static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        {
            if (message == WM_TIMER)
            {
                reinterpret_cast<CAniNotifyIcon *>(GetWindowLongPtrW(window, GWLP_USERDATA))
                    ->OnTimer(wParam);
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
    };
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Forward::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TrayTestWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"TrayTestWindow", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);

    CAniNotifyIcon icon;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&icon));
    ASSERT_TRUE(icon.Add(window, &prepare, L"Ferrovane is preparing to move files"));
    // The clock steps on its timer while this thread handles its messages.
    EXPECT_TRUE(WaitUntil([&] { return icon.Clock()->StepIndex() > 0; }, 5000));
    EXPECT_TRUE(icon.Modify(&move, L"Ferrovane is moving files"));
    EXPECT_TRUE(icon.Remove());
    DestroyWindow(window);
}
