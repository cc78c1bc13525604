// Message pumps that keep windows painted and the tray icon animated while
// long work runs on the calling thread.
#pragma once

#include <windows.h>

namespace fx
{

// The application's pre-translation of a message (accelerators, dialog
// navigation); returns TRUE when it handled the message.
using PreTranslateFn = BOOL (*)(MSG *msg);
void SetPreTranslateMessage(PreTranslateFn preTranslate);

// Dispatches pending messages; stops when none is pending, before a quit
// message (which stays in the queue) or after count - 1 messages. Returns
// whether any message was handled.
bool PumpAll(int count);

// Dispatches up to `count` pending paint, non-client paint or timer
// messages. Returns the number handled.
int PumpPaint(int count = 20);

// While `window` exists and a message other than quit is pending, pumps one
// message; at most `count` times. Returns the number pumped.
int PumpIdle(HWND window, int count = 10);

// The pump used while work waits: pump paint when `mainWindow` is not a
// window, pump idle through it otherwise.
int PumpWaiting(HWND mainWindow);

} // namespace fx
