// The one way the library shows a message to the user: a message box owned
// by the caller's window with the application title as caption. Tests
// replace the box with a sink that records the string number and text.
#pragma once

#include <windows.h>

#include <string>

#include "TaskelStrings.h"
#include "Trace.h"

namespace fx
{
class CException;
}

// Receives (owner, string number or 0 for a text of other origin, final
// text, message box flags) and returns the box's result.
using MessageSink = int (*)(HWND owner, UINT stringId, const std::wstring &text, UINT flags);

// Installs a sink (null restores the message box); returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// Shows `text` through the sink, or else in a message box.
int ShowTaskelMessage(HWND owner, UINT stringId, const std::wstring &text,
                      UINT flags = MB_ICONWARNING | MB_SETFOREGROUND);

// The captions a question shows on its Yes and No buttons in place of the
// system's; the buttons keep their ids (IDYES, IDNO) and results.
struct QuestionButtons
{
    std::wstring yes;
    std::wstring no;
};
// Shows `text` as ShowTaskelMessage does (the sink sees the same), with a
// message box of MB_YESNO relabelled to `buttons` when it appears.
int ShowTaskelQuestion(HWND owner, UINT stringId, const std::wstring &text, UINT flags,
                       const QuestionButtons &buttons);

// A framework exception's message shown to the user (nothing when it has
// none), and the same as the report of a trap (fx::ComMethod) of the
// exports and the flows.
void ShowExceptionMessage(HWND owner, const fx::CException &e);
inline auto ShowExceptionTo(HWND owner)
{
    return [owner](const fx::CException &e) { ShowExceptionMessage(owner, e); };
}

// A failure code turned into a framework exception, traced at level 2 at
// `site` ("Exception [COleException] [...] at ...") and shown to the user.
void ShowFailure(HWND owner, HRESULT failure, const TraceSite &site);

// The message for a command file that could not be created or saved: the
// file's path, then the system's text for the failure.
std::wstring FileFailureText(const std::wstring &path, HRESULT failure);
// The same as ShowFailure, with the file's path in front of the reason.
void ShowFileFailure(HWND owner, const std::wstring &path, HRESULT failure,
                     const TraceSite &site);
