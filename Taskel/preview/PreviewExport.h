// The preview's rows leaving the window: tab-separated text on the
// clipboard, and a CSV file written whole or not at all.
#pragma once

#include <windows.h>

#include <string>

// Puts `text` on the clipboard as CF_UNICODETEXT; 0, or the system's error.
DWORD CopyTextToClipboard(HWND owner, const std::wstring &text);

// Writes `bytes` to a temporary file beside `path`, then moves it over
// `path`: a reader never sees a half-written file, and a failure leaves
// whatever was at `path` as it was. 0, or the system's error.
DWORD WriteFileWhole(const std::wstring &path, const std::string &bytes);

// The system's text for an error code (without the line break at its end).
std::wstring SystemErrorText(DWORD error);

// Asks for the CSV file's name with the system's save dialog, starting with
// `suggested`; false when the user cancels.
bool AskCsvPath(HWND owner, const std::wstring &suggested, std::wstring &path);

// A file name for the preview of `name`: the name without its extension
// and without characters a file name may not hold, plus ".csv".
std::wstring SuggestedCsvName(const std::wstring &name);
