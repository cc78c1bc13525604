// Start-up and configuration: registry settings in the test prefix's HKCU,
// the Desktop placement, tokens, the banners and StopTracing.
#include "TraceTestSupport.h"

#include "WinFormat.h"

using namespace tracetest;

namespace
{
class TraceStart : public TraceFixture
{
  protected:
    void TearDown() override
    {
        StopTracing(0);
        for (const tstring &f : m_extra)
            DeleteFile(f.c_str());
        TraceFixture::TearDown();
    }
    static tstring Desktop()
    {
        TCHAR folder[MAX_PATH] = {};
        DWORD size = sizeof folder;
        RegGetValue(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    L"Desktop", RRF_RT_REG_SZ, nullptr, folder, &size);
        return folder;
    }
    // Starts from the registry and remembers the file for clean-up.
    DWORD StartFromRegistry()
    {
        DWORD size = StartTracing();
        if (GetTraceFileName()[0]) m_extra.push_back(GetTraceFileName());
        return size;
    }
    static std::wstring Picture(LPCWSTR picture, bool date)
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        wchar_t out[64];
        if (date)
            GetDateFormat(LOCALE_USER_DEFAULT, 0, &now, picture, out, 64);
        else
            GetTimeFormat(LOCALE_USER_DEFAULT, 0, &now, picture, out, 64);
        return out;
    }
    std::vector<tstring> m_extra;
};

size_t CountStarts(const std::vector<std::string> &lines)
{
    size_t n = 0;
    for (const std::string &l : lines)
        n += l.find("START Logging") != std::string::npos;
    return n;
}
} // namespace

TEST_F(TraceStart, NoLevelMeansOff)
{
    tstring defaultLog = Desktop() + L"\\" + g_traceProfile.defaultFileName;
    DeleteFile(defaultLog.c_str());
    EXPECT_EQ(StartFromRegistry(), 0u);
    EXPECT_FALSE(IsTraceEnabled(1));
    EXPECT_FALSE(FileExists(defaultLog));
}

TEST_F(TraceStart, LevelAloneLogsToTheDesktopWithBannersWhenDue)
{
    ASSERT_FALSE(Desktop().empty());
    SetLevelValue(4);
    tstring log = Desktop() + L"\\" + g_traceProfile.defaultFileName;
    DeleteFile(log.c_str());
    DWORD size = StartFromRegistry();
    EXPECT_EQ(tstring(GetTraceFileName()), log);
    std::vector<std::string> lines = Lines(ReadAll(log));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(size, ReadAll(log).size());

    EXPECT_TRUE(Matches(
        lines[0],
        Pattern(STAMP, IDS, R"(START Logging \[4\] From \[.*trace_tests\.exe\] Version \[\] to \[)",
                ".*FerrovaneTraceTest\\.log\\]")
            .c_str()))
        << lines[0];
    EXPECT_TRUE(Matches(
        lines[1], Pattern(STAMP, IDS, R"(  .+ \d+\.\d+\.\d+ \(.*\) \(Processor .+\) )",
                          R"(\(Locale System [0-9A-F]{8} User [0-9A-F]{8} Thread [0-9A-F]{8}\))")
                      .c_str()))
        << lines[1];

    StartFromRegistry(); // unchanged settings: no banner
    EXPECT_EQ(Lines(ReadAll(log)).size(), 2u);
    SetLevelValue(2);
    StartFromRegistry();
    EXPECT_EQ(CountStarts(Lines(ReadAll(log))), 2u);
    SetLevelValue(0x1102); // same level byte, other options: no banner
    StartFromRegistry();
    EXPECT_EQ(CountStarts(Lines(ReadAll(log))), 2u);
    StopTracing(1);
    StartFromRegistry(); // a start after a stop always writes one
    EXPECT_EQ(CountStarts(Lines(ReadAll(log))), 3u);
}

TEST_F(TraceStart, BareNamesGoToTheDesktopOthersStayAsTheyAre)
{
    SetLevelValue(1);
    SetStringValue(L"LogFile", L"bare.log");
    StartFromRegistry();
    EXPECT_EQ(tstring(GetTraceFileName()), Desktop() + L"\\bare.log");

    const wchar_t *kept[] = {L"C:rel.log", L"sub\\rel.log", L"sub/rel.log", L"Z:\\tmp\\x.log"};
    for (const wchar_t *name : kept)
    {
        TCHAR file[TRACE_FILE_NAME_CHARS] = {};
        wcscpy(file, name);
        DWORD level = 1;
        ReadTraceSettings(file, level);
        EXPECT_STREQ(file, name);
    }
}

TEST_F(TraceStart, ExpandableNameThenTokens)
{
    SetEnvironmentVariable(L"TRACETESTDIR", TempFolder().c_str());
    SetLevelValue(1);
    SetStringValue(L"LogFile", L"%TRACETESTDIR%\\day%dd.log", REG_EXPAND_SZ);
    StartFromRegistry();
    EXPECT_EQ(tstring(GetTraceFileName()),
              TempFolder() + L"\\day" + Picture(L"dd", true) + L".log");
    EXPECT_TRUE(FileExists(GetTraceFileName()));
}

TEST_F(TraceStart, TokensLongestFirst)
{
    TCHAR file[TRACE_FILE_NAME_CHARS] = L"C:\\x\\%ddd%d %yyyy-%MM %HH.%mm.%ss %dddd.log";
    ExpandLogFileTokens(file);
    std::wstring expected = L"C:\\x\\" + Picture(L"ddd", true) + Picture(L"d", true) + L" " +
                            Picture(L"yyyy", true) + L"-" + Picture(L"MM", true) + L" " +
                            Picture(L"HH", false) + L".";
    EXPECT_EQ(std::wstring(file).substr(0, expected.size()), expected);
    EXPECT_EQ(
        std::wstring(file).substr(std::wstring(file).size() - 4 - Picture(L"dddd", true).size()),
        Picture(L"dddd", true) + L".log");

    std::vector<tracelog::NamePart> parts = tracelog::SplitLogFileTokens(L"a%ddd%db%s");
    ASSERT_EQ(parts.size(), 7u); // empty literals stay between tokens
    EXPECT_EQ(parts[1].text, L"%ddd");
    EXPECT_EQ(parts[3].text, L"%d");
    EXPECT_EQ(parts[4].text, L"b");
    EXPECT_TRUE(parts[5].token && !parts[5].date);

    TCHAR plain[TRACE_FILE_NAME_CHARS] = L"100% sure.log";
    ExpandLogFileTokens(plain);
    EXPECT_STREQ(plain, L"100% sure.log");
}

TEST_F(TraceStart, TokenResultIsCutAtTheBuffer)
{
    TCHAR file[TRACE_FILE_NAME_CHARS + 8];
    std::wstring name(TRACE_FILE_NAME_CHARS - 6, L'a');
    name += L"%MMMM";
    wcscpy(file, name.c_str());
    for (int i = 0; i < 8; ++i)
        file[TRACE_FILE_NAME_CHARS + i] = L'#';
    ExpandLogFileTokens(file);
    EXPECT_EQ(wcslen(file), TRACE_FILE_NAME_CHARS - 1);
    EXPECT_EQ(file[TRACE_FILE_NAME_CHARS], L'#');
}

TEST_F(TraceStart, WrongTypesAreIgnored)
{
    SetStringValue(L"LogLevel", L"4");
    SetStringValue(L"LogFile", (TempFolder() + L"\\typed.log").c_str());
    EXPECT_EQ(StartFromRegistry(), 0u);
    EXPECT_FALSE(IsTraceEnabled(1));
    DWORD number = 5;
    RegSetValueEx(Key().get(), L"LogFile", 0, REG_DWORD, reinterpret_cast<BYTE *>(&number),
                  sizeof number);
    SetLevelValue(1);
    StartFromRegistry();
    EXPECT_EQ(tstring(GetTraceFileName()), Desktop() + L"\\" + g_traceProfile.defaultFileName);
}

TEST_F(TraceStart, FileWithoutLevelStaysAsRead)
{
    tstring name = TempFolder() + L"\\raw%dd.log";
    SetStringValue(L"LogFile", name);
    EXPECT_EQ(StartFromRegistry(), 0u);
    EXPECT_EQ(tstring(GetTraceFileName()), name);
    Trace(0x4000, L"level zero");
    EXPECT_EQ(ReadAll(name), "level zero\r\n");
}

TEST_F(TraceStart, TruncateEmptiesAndReturnsTheSize)
{
    Start(0x4001);
    Trace(1, L"old");
    DWORD size = StartTracing(TRUE, m_log.c_str(), 0x4001);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(CountStarts(lines), 1u);
    EXPECT_EQ(size, ReadAll(m_log).size());
}

TEST_F(TraceStart, StopBannerFollowsTheGivenLevel)
{
    Start(0x0002);
    StopTracing(4);
    EXPECT_EQ(LogLines().size(), 2u);
    EXPECT_FALSE(IsTraceEnabled(0));
    EXPECT_EQ(GetTraceLevel(), 0u);
    EXPECT_STREQ(GetTraceFileName(), L"");

    Start(0x0002);
    StopTracing(1);
    EXPECT_TRUE(
        Matches(LogLines().back(),
                Pattern(STAMP, IDS, R"(STOP Logging \[2\] From \[.*trace_tests\.exe\])").c_str()))
        << LogLines().back();
}

TEST_F(TraceStart, RestartLineRepeatsTheStartBanner)
{
    Start(0x4001);
    tstring other = TempFolder() + L"\\continued.log";
    m_extra.push_back(other);
    DeleteFile(other.c_str());
    SetTraceFileName(L"*");
    SetTraceLevel(0x4001);
    StartTracing(FALSE, other.c_str(), 0x4001);
    TraceRestartLine(0x4001);
    std::vector<std::string> lines = Lines(ReadAll(other));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Matches(lines[0],
                        R"(START Logging \[4001\] From \[.*\] Version \[\] to \[.*case\d+\.log\])"))
        << lines[0];
}

TEST(TracePlacement, DesktopDecision)
{
    TCHAR name[TRACE_FILE_NAME_CHARS] = L"x.log";
    tracelog::PlaceLogFile(name, L"C:\\Desk\\", L"Default.log");
    EXPECT_STREQ(name, L"C:\\Desk\\x.log");
    name[0] = 0;
    tracelog::PlaceLogFile(name, L"C:\\Desk\\", L"Default.log");
    EXPECT_STREQ(name, L"C:\\Desk\\Default.log");
    // Without a Desktop folder a configured name is kept, relative to the
    // current directory; with none the default name is used.
    wcscpy(name, L"x.log");
    tracelog::PlaceLogFile(name, nullptr, L"Default.log");
    EXPECT_STREQ(name, L"x.log");
    name[0] = 0;
    tracelog::PlaceLogFile(name, nullptr, L"Default.log");
    EXPECT_STREQ(name, L"Default.log");
}

TEST(TraceSystem, FileVersions)
{
    EXPECT_EQ(tracelog::ExecutableVersion(), L""); // the test program has no version resource
    TCHAR system[MAX_PATH];
    GetSystemDirectory(system, MAX_PATH);
    std::string version = fx::Narrow(
        tracelog::FileVersionText((tstring(system) + L"\\kernel32.dll").c_str()).c_str());
    EXPECT_TRUE(Matches(version, R"(\d+\.\d+\.\d+\.\d+)")) << version;
}
