// CClipboard: paths on the clipboard as text (CF_UNICODETEXT, one path a
// line) and as a file list (CF_HDROP), and paths read back from either.
// What the editor puts there is also kept as it was written, in a format
// of its own, so that pasting it back gives the same text and not the file
// list's resolved path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CClipboard
{
  public:
    // Puts `texts` as lines of text and `files` (fully qualified) as a file
    // list; either may be empty. False when the clipboard cannot be written.
    static bool SetPaths(HWND owner, const std::vector<std::wstring> &texts,
                         const std::vector<std::wstring> &files);
    // The texts as they were put by SetPaths when the clipboard still holds
    // them (`verbatim`); else the paths of the file list when there is one,
    // else the non-empty lines of the text. `hasText` tells whether plain
    // text was there.
    static bool GetPaths(HWND owner, std::vector<std::wstring> &paths, bool &hasText);
    static bool GetPaths(HWND owner, std::vector<std::wstring> &paths, bool &hasText,
                         bool &verbatim);
    // The name of the format that keeps the texts as written.
    static const wchar_t *VerbatimFormatName();
};
