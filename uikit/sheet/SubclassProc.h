// One shape for the window subclass procedures of the libraries' pages: a
// subclass is a boundary Windows calls, so its handling runs inside the
// trap (framework exceptions traced at level 4 as the including file, any
// other at level 2); it removes itself when its window goes, and every
// message it does not answer goes on to the next procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "FxException.h"
#include "Trace.h"

// `handle(result)` returns true when it answered the message with `result`.
template <class Handle>
LRESULT TrappedSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               SUBCLASSPROC self, UINT_PTR id, Handle &&handle)
{
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, self, id);
    try
    {
        LRESULT result = 0;
        if (handle(result)) return result;
    }
    TRACE_CATCH_ALL(4)
    return ::DefSubclassProc(window, message, wParam, lParam);
}
