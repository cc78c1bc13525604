// The message pumps: message limits, the pending quit message, paint
// selection and the combined pump's choice.
#include "MessagePump.h"

#include <gtest/gtest.h>

namespace
{

int g_received = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP || message == WM_TIMER) ++g_received;
    return DefWindowProcW(window, message, wParam, lParam);
}

class MessagePump : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SpinePumpTest";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowW(L"SpinePumpTest", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
        ASSERT_NE(nullptr, m_window);
        Drain();
        g_received = 0;
    }
    void TearDown() override
    {
        ::DestroyWindow(m_window);
        Drain();
    }
    static void Drain()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
    }
    void Post(int n)
    {
        for (int i = 0; i < n; ++i)
            ::PostMessageW(m_window, WM_APP, 0, 0);
    }
    HWND m_window = nullptr;
};

} // namespace

TEST_F(MessagePump, PumpAllHandlesAtMostCountMinusOne)
{
    Post(5);
    EXPECT_TRUE(fx::PumpAll(3));
    EXPECT_EQ(2, g_received);
    EXPECT_TRUE(fx::PumpAll(10));
    EXPECT_EQ(5, g_received);
    EXPECT_FALSE(fx::PumpAll(10)); // nothing pending
    EXPECT_FALSE(fx::PumpAll(1));
}

TEST_F(MessagePump, PumpAllStopsAtPendingQuitWithoutRemovingIt)
{
    ::PostQuitMessage(7);
    EXPECT_FALSE(fx::PumpAll(10));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(MessagePump, PumpPaintTakesOnlyPaintAndTimerMessages)
{
    Post(2);
    ::SetTimer(m_window, 1, 50, nullptr);
    ::Sleep(100);
    EXPECT_EQ(1, fx::PumpPaint());
    ::KillTimer(m_window, 1);
    EXPECT_EQ(1, g_received); // the timer, not the posted ones
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, m_window, WM_APP, WM_APP, PM_NOREMOVE));
}

// Messages numbered between paint and non-client paint are no paint: a
// close request and an end-session query stay queued for the thread's own
// loop, while a non-client paint is handled. A pending quit message (which
// the system hands out whatever the filter) ends the pump and stays.
TEST_F(MessagePump, PumpPaintLeavesCloseEndSessionAndQuitQueued)
{
    ::PostMessageW(m_window, WM_CLOSE, 0, 0);
    ::PostMessageW(m_window, WM_QUERYENDSESSION, 0, 0);
    ::PostMessageW(m_window, WM_NCPAINT, 1, 0);
    EXPECT_EQ(1, fx::PumpPaint());
    EXPECT_EQ(0, fx::PumpPaint());
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, m_window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_TRUE(::PeekMessageW(&msg, m_window, WM_QUERYENDSESSION, WM_QUERYENDSESSION, PM_REMOVE));

    ::PostMessageW(m_window, WM_NCPAINT, 1, 0);
    ::PostQuitMessage(3);
    EXPECT_EQ(0, fx::PumpPaint());
    EXPECT_EQ(0, fx::PumpPaint());
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_TRUE(::PeekMessageW(&msg, m_window, WM_NCPAINT, WM_NCPAINT, PM_REMOVE));
}

TEST_F(MessagePump, PumpIdleNeedsAWindowAndStopsAtQuit)
{
    Post(15);
    EXPECT_EQ(10, fx::PumpIdle(m_window));
    EXPECT_EQ(0, fx::PumpIdle(nullptr));
    EXPECT_EQ(3, fx::PumpIdle(m_window, 3));
    ::PostQuitMessage(0);
    EXPECT_EQ(2, fx::PumpIdle(m_window)); // the two left, then the quit message stays
}

TEST_F(MessagePump, WaitingPumpPicksByMainWindow)
{
    Post(3);
    EXPECT_EQ(0, fx::PumpWaiting(nullptr)); // paint pump: the posted ones are no paint
    EXPECT_EQ(3, fx::PumpWaiting(m_window));
}
