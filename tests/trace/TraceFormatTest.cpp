// The trace log's own message formatter beside the CRT's: each format comes
// out exactly as the CRT prints it, whole and cut short, whether the
// formatter takes it on or hands it to the CRT.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <string>

#include "TraceInternal.h"
#include "WinFormat.h"

namespace
{

// The message both ways into a buffer of `count` characters.
struct Both
{
    std::wstring own;
    std::wstring crt;
    size_t ownLength;
};

Both Format(size_t count, const wchar_t *format, ...)
{
    std::wstring own(count, L'#'), crt(count, L'#');
    va_list args;
    va_start(args, format);
    const size_t ownLength = tracelog::FormatMessageText(&own[0], count, format, args);
    va_end(args);
    va_start(args, format);
    fx::FormatInto(&crt[0], count, format, args);
    va_end(args);
    own.resize(own.find(L'\0') == std::wstring::npos ? count : own.find(L'\0'));
    crt.resize(crt.find(L'\0') == std::wstring::npos ? count : crt.find(L'\0'));
    return {own, crt, ownLength};
}

// Each buffer size, from roomy to a single character.
#define EXPECT_AS_CRT(format, ...)                                                                 \
    for (size_t count : {size_t(512), size_t(9), size_t(4), size_t(2), size_t(1)})                 \
    {                                                                                              \
        const Both both = Format(count, format, __VA_ARGS__);                                      \
        EXPECT_EQ(both.own, both.crt)                                                              \
            << "format " << testing::PrintToString(format) << " in " << count;                     \
        EXPECT_EQ(both.ownLength, both.own.size()) << testing::PrintToString(format);              \
    }

} // namespace

TEST(TraceFormat, StringsAsTheCrtPrintsThem)
{
    EXPECT_AS_CRT(L"[%s] for [%s]", L"C:\\Jobs\\a.txt", L"");
    EXPECT_AS_CRT(L"%ls|%hs|%S", L"wide", "narrow", "capital");
    EXPECT_AS_CRT(L"%5s|%-5s|%.2s|%8.3s|%-8.3s|", L"ab", L"ab", L"abcdef", L"abcdef", L"abcdef");
    EXPECT_AS_CRT(L"%*s|%-*s|%.*s", 6, L"ab", 4, L"x", 2, L"abcdef");
    EXPECT_AS_CRT(L"100%% [%s]", L"done");
    // Handed to the CRT: null strings, narrow text beyond ASCII, characters.
    EXPECT_AS_CRT(L"[%s] [%hs]", static_cast<const wchar_t *>(nullptr),
                  static_cast<const char *>(nullptr));
    EXPECT_AS_CRT(L"[%hs]", "\xe9t\xe9");
    EXPECT_AS_CRT(L"%c%c", L'a', L'b');
}

TEST(TraceFormat, NumbersAsTheCrtPrintsThem)
{
    EXPECT_AS_CRT(L"%d %i %u", 0, -1, 4294967295u);
    EXPECT_AS_CRT(L"%d|%d", INT_MIN, INT_MAX);
    EXPECT_AS_CRT(L"%x|%X|%08X|%08x", 0xdeadbeefu, 0xdeadbeefu, 0x2au, 0u);
    EXPECT_AS_CRT(L"%5d|%-5d|%05d|%05d|%-05d", 42, 42, 42, -42, 7);
    EXPECT_AS_CRT(L"%.3d|%5.3d|%-6.2u|%.0d|%.0u|%.0x", 7, -7, 3u, 0, 0u, 0u);
    EXPECT_AS_CRT(L"%lu|%ld|%lx", 123456ul, -5l, 0xabcul);
    EXPECT_AS_CRT(L"Result [%u] Line [%d] in [%s]", 1u, 412, L"Taskel\\TaskelPropPage");
    // Handed to the CRT: 64-bit sizes, signs, alternate forms, pointers.
    EXPECT_AS_CRT(L"%I64u|%I64d|%I64X", 18446744073709551615ull, -1ll, 0x1234ull);
    EXPECT_AS_CRT(L"%+d|% d|%#x", 5, 5, 255u);
    EXPECT_AS_CRT(L"%p", reinterpret_cast<void *>(0x1234));
    EXPECT_AS_CRT(L"%Iu", static_cast<size_t>(77));
}
