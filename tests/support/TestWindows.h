// This thread's windows in the tests, and windows a test drives: the
// thread's messages handled, a wait on what a step brings (a window, a page,
// a file, a value) instead of a fixed sleep, and a property sheet's button
// pressed as a person presses it.
#pragma once

#include <windows.h>

#include <functional>

// Handles every message queued for this thread (none is left waiting).
void PumpMessages();
// Handles this thread's messages for `milliseconds`: for windows of this
// thread that paint or animate on their timers meanwhile.
void PumpFor(DWORD milliseconds);
// Checks `predicate` until it holds or `timeoutMs` have passed, handling
// this thread's messages between checks so its windows keep answering;
// whether it held. Under load a step takes longer; the wait follows it.
bool WaitUntil(const std::function<bool()> &predicate, DWORD timeoutMs = 10000);

// Presses a property sheet's button (PSBTN_*) with PSM_PRESSBUTTON, which
// the sheet handles before the message returns, then posts an empty message
// to it: a sheet that a press ends leaves its modal loop only once a posted
// message arrives, as a person's click brings one. This thread's messages
// (a sheet of this thread posts to itself) are handled before returning.
void PressButton(HWND sheet, int button);
