// Case-insensitive comparison of names: paths, switches, extensions. Wide
// strings compare ordinally with case folding, as the file system does; the
// narrow form (the ANSI launcher's arguments) uses the system's comparison.
#pragma once

#include <windows.h>

#include <string>

inline bool EqualNoCase(const std::wstring &a, const std::wstring &b)
{
    return a.size() == b.size() &&
           ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

inline bool EqualNoCase(const std::string &a, const std::string &b)
{
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

template <typename Ch>
bool StartsWithNoCase(const std::basic_string<Ch> &text, const std::basic_string<Ch> &prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

inline bool StartsWithNoCase(const std::wstring &text, const wchar_t *prefix)
{
    return StartsWithNoCase(text, std::wstring(prefix));
}
