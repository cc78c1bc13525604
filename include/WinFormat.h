// printf-style formatting into std::wstring / std::string with the Microsoft
// conventions the whole system uses: in a wide format %s is a wide string and
// %hs a narrow one, %I64d a 64-bit integer. MinGW's C99 stdio would read %s
// as narrow, so these go through the CRT's _vsnwprintf / _vsnprintf.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

namespace fx
{

// Formats into a caller's buffer of `count` characters; the result is always
// terminated and cut at count - 1 characters. Returns the characters written.
int FormatInto(wchar_t *buffer, size_t count, const wchar_t *format, va_list args) noexcept;
int FormatInto(char *buffer, size_t count, const char *format, va_list args) noexcept;

std::wstring FormatV(const wchar_t *format, va_list args);
std::string FormatV(const char *format, va_list args);
std::wstring Format(const wchar_t *format, ...);
std::string Format(const char *format, ...);

// Conversions through a Windows code page (CP_ACP by default).
std::wstring Widen(const char *text, UINT codePage = CP_ACP);
std::string Narrow(const wchar_t *text, UINT codePage = CP_ACP);

// Removes trailing CR and LF characters in place.
void TrimTrailingLineBreaks(std::wstring &text);
void TrimTrailingLineBreaks(wchar_t *text) noexcept;

} // namespace fx
