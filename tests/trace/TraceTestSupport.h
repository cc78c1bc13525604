// Helpers of the trace log tests: a log file in the test folder of the Wine
// prefix, the test profile's registry key (removed after every case), file
// reading and line matching. Built both wide and narrow; the files and
// folders come from tests/support, which takes wide paths.
#pragma once

#include "Trace.h"
#include "TraceInternal.h"
#include "UniqueHandle.h"
#include "WinFormat.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestWindows.h"

namespace tracetest
{

using tracelog::tstring;

#ifdef UNICODE
inline const std::wstring &WidePath(const tstring &path)
{
    return path;
}
inline tstring TempFolder()
{
    return TestFolder();
}
#else
inline std::wstring WidePath(const tstring &path)
{
    return fx::Widen(path.c_str());
}
inline tstring TempFolder()
{
    return fx::Narrow(TestFolder().c_str());
}
#endif

inline bool FileExists(const tstring &path)
{
    return Exists(WidePath(path));
}

// The file's bytes (the log is ANSI text); empty when it cannot be read.
inline std::string ReadAll(const tstring &path)
{
    return ReadText(WidePath(path));
}

// Lines with their "\r\n" removed; a last piece without a line break counts.
inline std::vector<std::string> Lines(const std::string &text)
{
    return SplitLines(text);
}

inline bool Matches(const std::string &line, const char *pattern)
{
    return std::regex_match(line, std::regex(pattern));
}

// The stamp and identifier prefix of the build, as a regex.
#ifdef UNICODE
constexpr const char *STAMP = R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d )";
constexpr const char *IDS = R"(\[\d\d+ \d\d\d\d+ \d\d\d\d+\] )";
#else
constexpr const char *STAMP = R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d )";
constexpr const char *IDS = R"(\[[0-9A-F]{6} [0-9A-F]{6}\] )";
#endif

inline std::string Pattern(const char *a, const char *b = "", const char *c = "",
                           const char *d = "")
{
    return std::string(a) + b + c + d;
}

// A fresh log file per case and the profile's registry key cleared before
// and after it; tracing is stopped at the end.
class TraceFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        StopTracing(0);
        ClearKey();
        static int counter = 0;
        TCHAR name[64];
        wsprintf(name, _T("\\case%d.log"), ++counter);
        m_log = TempFolder() + name;
        DeleteFile(m_log.c_str());
    }
    void TearDown() override
    {
        StopTracing(0);
        ClearKey();
        DeleteFile(m_log.c_str());
    }

    static void ClearKey() { RegDeleteKey(HKEY_CURRENT_USER, g_traceProfile.registryKey); }
    static fx::unique_hkey Key()
    {
        fx::unique_hkey key;
        RegCreateKeyEx(HKEY_CURRENT_USER, g_traceProfile.registryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                       nullptr, key.put(), nullptr);
        return key;
    }
    static void SetLevelValue(DWORD level)
    {
        RegSetValueEx(Key().get(), _T("LogLevel"), 0, REG_DWORD,
                      reinterpret_cast<const BYTE *>(&level), sizeof level);
    }
    static void SetStringValue(LPCTSTR name, const tstring &value, DWORD type = REG_SZ)
    {
        RegSetValueEx(Key().get(), name, 0, type, reinterpret_cast<const BYTE *>(value.c_str()),
                      static_cast<DWORD>((value.size() + 1) * sizeof(TCHAR)));
    }

    // Starts on this case's file with `level` (no registry involved).
    void Start(DWORD level, BOOL truncate = TRUE) { StartTracing(truncate, m_log.c_str(), level); }
    std::vector<std::string> LogLines() const { return Lines(ReadAll(m_log)); }
    // The lines after the two START banner lines.
    std::vector<std::string> BodyLines() const
    {
        std::vector<std::string> lines = LogLines();
        return lines.size() > 2 ? std::vector<std::string>(lines.begin() + 2, lines.end())
                                : std::vector<std::string>();
    }

    tstring m_log;
};

} // namespace tracetest
