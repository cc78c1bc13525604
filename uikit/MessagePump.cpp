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

int PumpPaint(int count)
{
    int handled = 0;
    try
    {
        MSG msg;
        while (handled < count)
        {
            if (!::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) &&
                !::PeekMessageW(&msg, nullptr, WM_PAINT, WM_NCPAINT, PM_REMOVE) &&
                !::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
                break;
            Deliver(msg);
            ++handled;
        }
    }
    TRACE_CATCH_ALL(2)
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
    TRACE_CATCH_ALL(2)
    return pumped;
}

int PumpWaiting(HWND mainWindow)
{
    if (mainWindow && ::IsWindow(mainWindow)) return PumpIdle(mainWindow);
    return PumpPaint();
}

} // namespace fx
