// CClipboard: paths on the clipboard as text (CF_UNICODETEXT, one path a
// line) and as a file list (CF_HDROP), and paths read back from either.
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
    // The paths of the file list when there is one, else the non-empty lines
    // of the text. `hasText` tells whether plain text was there.
    static bool GetPaths(HWND owner, std::vector<std::wstring> &paths, bool &hasText);
};
