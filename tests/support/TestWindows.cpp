// This thread's windows and waits of the tests (see TestWindows.h).
#include "TestWindows.h"

#include <commctrl.h>

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do
    {
        PumpMessages();
        const DWORD passed = ::GetTickCount() - start;
        if (passed >= milliseconds) break;
        // Wakes for the next message or the end of the time, whichever is first.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
    } while (true);
}

bool WaitUntil(const std::function<bool()> &predicate, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        PumpMessages();
        if (predicate()) return true;
        if (::GetTickCount() - start >= timeoutMs) return predicate();
        // What another process does sends no message here: look again soon,
        // or at once when a message for this thread arrives.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PressButton(HWND sheet, int button)
{
    ::SendMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    ::PostMessageW(sheet, WM_NULL, 0, 0);
    PumpMessages();
}
