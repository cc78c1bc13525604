// Message pumps: all pending messages, paint and timer messages only, or
// idle pumping through a window.
#define TRACE_SOURCE "INCLUDE\\MessagePump"
#include "MessagePump.h"

#include "FxException.h"
#include "Trace.h"

namespace fx
{

namespace
{

PreTranslateFn g_preTranslate = nullptr;

void Deliver(MSG &msg)
{
    if (g_preTranslate && g_preTranslate(&msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

} // namespace

void SetPreTranslateMessage(PreTranslateFn preTranslate)
{
    g_preTranslate = preTranslate;
}

bool PumpAll(int count)
{
    bool handled = false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
    {
        if (--count <= 0 || msg.message == WM_QUIT) break;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
        Deliver(msg);
        handled = true;
    }
    return handled;
}

namespace
{
// Removes one pending `message`. PeekMessage hands out a pending quit
// message whatever the filter, so the message is looked at first and a quit
// message is left where it is (put back should it arrive in between); it
// sets `quit` and ends the pump.
bool TakeMessage(MSG &msg, UINT message, bool &quit)
{
    if (!::PeekMessageW(&msg, nullptr, message, message, PM_NOREMOVE)) return false;
    if (msg.message == WM_QUIT)
    {
        quit = true;
        return false;
    }
    if (!::PeekMessageW(&msg, nullptr, message, message, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT)
    {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        quit = true;
        return false;
    }
    return true;
}
} // namespace

// Where the pumps report an exception. The numbers are part of the log
// text, not lines of this file.
constexpr TraceSite kPumpPaintSite{TRACE_SOURCE, 170};
constexpr TraceSite kPumpIdleSite{TRACE_SOURCE, 98};

int PumpPaint(int count)
{
    int handled = 0;
    try
    {
        MSG msg;
        bool quit = false;
        while (handled < count)
        {
            // One message number per filter: the range from paint to
            // non-client paint would also take close and end-session
            // queries, which belong to the thread's own loop.
            if (!TakeMessage(msg, WM_PAINT, quit) && !quit && !TakeMessage(msg, WM_NCPAINT, quit) &&
                !quit && !TakeMessage(msg, WM_TIMER, quit))
                break;
            if (quit) break;
            Deliver(msg);
            ++handled;
        }
    }
    TRACE_CATCH_SITE(2, kPumpPaintSite)
    return handled;
}

int PumpIdle(HWND window, int count)
{
    int pumped = 0;
    try
    {
        MSG msg;
        while (pumped < count && ::IsWindow(window) &&
               ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT)
        {
            if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
            Deliver(msg);
            ++pumped;
        }
    }
    TRACE_CATCH_SITE(2, kPumpIdleSite)
    return pumped;
}

int PumpWaiting(HWND mainWindow)
{
    if (mainWindow && ::IsWindow(mainWindow)) return PumpIdle(mainWindow);
    return PumpPaint();
}

} // namespace fx
