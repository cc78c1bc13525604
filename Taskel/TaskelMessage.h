// The one way the library shows a message to the user: a message box owned
// by the caller's window with the application title as caption. Tests
// replace the box with a sink that records the string number and text.
#pragma once

#include <windows.h>

#include <string>

enum : UINT
{
    IDS_APP_TITLE = 57344, // "Ferrovane", the caption of every message box
};

// Module whose string table the library's texts come from (the library).
void SetTaskelResourceModule(HINSTANCE module);
std::wstring LoadTaskelString(UINT id);

// Receives (owner, string number or 0 for a text of other origin, final
// text, message box flags) and returns the box's result.
using MessageSink = int (*)(HWND owner, UINT stringId, const std::wstring &text, UINT flags);

// Installs a sink (null restores the message box); returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

int ShowTaskelMessage(HWND owner, UINT stringId, const std::wstring &text,
                      UINT flags = MB_ICONWARNING | MB_SETFOREGROUND);
