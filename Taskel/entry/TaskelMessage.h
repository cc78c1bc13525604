// The one way the library shows a message to the user: a message box owned
// by the caller's window with the application title as caption. Tests
// replace the box with a sink that records the string number and text.
#pragma once

#include <windows.h>

#include <string>

#include "TaskelStrings.h"

// Receives (owner, string number or 0 for a text of other origin, final
// text, message box flags) and returns the box's result.
using MessageSink = int (*)(HWND owner, UINT stringId, const std::wstring &text, UINT flags);

// Installs a sink (null restores the message box); returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// When the environment variable FERROVANE_MESSAGE_LOG names a file, every
// message shown without a sink is also appended to it as one UTF-8 line
// "<string number>|<text>", so tests of whole processes can read what the
// user was told.
int ShowTaskelMessage(HWND owner, UINT stringId, const std::wstring &text,
                      UINT flags = MB_ICONWARNING | MB_SETFOREGROUND);
