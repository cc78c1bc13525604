// Formatting and code-page conversion helpers (see WinFormat.h).
#include "WinFormat.h"

#include <cstdio>
#include <cwchar>
#include <vector>

namespace fx
{

int FormatInto(wchar_t *buffer, size_t count, const wchar_t *format, va_list args) noexcept
{
    if (!buffer || count == 0) return 0;
    int n = _vsnwprintf(buffer, count, format, args);
    if (n < 0 || static_cast<size_t>(n) >= count)
    {
        buffer[count - 1] = L'\0';
        n = static_cast<int>(count - 1);
    }
    return n;
}

int FormatInto(char *buffer, size_t count, const char *format, va_list args) noexcept
{
    if (!buffer || count == 0) return 0;
    int n = _vsnprintf(buffer, count, format, args);
    if (n < 0 || static_cast<size_t>(n) >= count)
    {
        buffer[count - 1] = '\0';
        n = static_cast<int>(count - 1);
    }
    return n;
}

// _vsnwprintf returns -1 when the output does not fit, without telling the
// size needed, so the buffer grows until it does.
template <typename Char, typename Fn>
static std::basic_string<Char> FormatGrowing(const Char *format, va_list args, Fn vsn)
{
    std::vector<Char> buffer(256);
    for (;;)
    {
        va_list copy;
        va_copy(copy, args);
        int n = vsn(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size())
            return std::basic_string<Char>(buffer.data(), n);
        if (buffer.size() > (64u << 20)) return std::basic_string<Char>();
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FormatV(const wchar_t *format, va_list args)
{
    if (!format) return std::wstring();
    return FormatGrowing<wchar_t>(format, args, _vsnwprintf);
}

std::string FormatV(const char *format, va_list args)
{
    if (!format) return std::string();
    return FormatGrowing<char>(format, args, _vsnprintf);
}

std::wstring Format(const wchar_t *format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring s = FormatV(format, args);
    va_end(args);
    return s;
}

std::string Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string s = FormatV(format, args);
    va_end(args);
    return s;
}

std::wstring Widen(const char *text, UINT codePage)
{
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string Narrow(const wchar_t *text, UINT codePage)
{
    if (!text || !*text) return std::string();
    int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

void TrimTrailingLineBreaks(std::wstring &text)
{
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
        text.pop_back();
}

void TrimTrailingLineBreaks(wchar_t *text) noexcept
{
    if (!text) return;
    size_t n = wcslen(text);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n'))
        text[--n] = L'\0';
}

} // namespace fx
