// Line assembly: the gate, the prefixes and their option bits, the message
// cut, the ANSI conversion and the caller's last-error value.
#include "TraceTestSupport.h"

#include "WinFormat.h"

#include <thread>

using namespace tracetest;

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneTraceTest", L"FerrovaneTraceTest.log",
                               true, true};

namespace
{
class TraceLine : public TraceFixture
{
};
} // namespace

TEST_F(TraceLine, EmptyFileNameWritesNothing)
{
    EXPECT_FALSE(IsTraceEnabled(0));
    EXPECT_TRUE(Trace(0, L"nothing"));
    EXPECT_FALSE(FileExists(m_log));
}

TEST_F(TraceLine, GateComparesLowBytes)
{
    Start(0x4002);
    EXPECT_TRUE(IsTraceEnabled(2));
    EXPECT_FALSE(IsTraceEnabled(3));
    EXPECT_TRUE(IsTraceEnabled(0x8002)); // option bits do not count
    Trace(3, L"three");
    Trace(2, L"two");
    Trace(0, L"zero");
    Trace(0x10001, nullptr);
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0], "two");
    EXPECT_EQ(body[1], "zero");
    EXPECT_TRUE(Matches(body[2], R"(\[\d+\] )")); // a null format writes the prefixes alone
}

TEST_F(TraceLine, LevelZeroConfiguredAdmitsOnlyLevelZero)
{
    // No LogLevel in the registry: tracing is off but the name is kept.
    EXPECT_EQ(StartTracing(FALSE, m_log.c_str(), 0), 0u);
    Trace(1, L"one");
    Trace(0x4000, L"zero");
    EXPECT_EQ(ReadAll(m_log), "zero\r\n");
}

TEST_F(TraceLine, StampAndIdentifiers)
{
    Start(0x0004);
    Trace(4, L"plain");
    Trace(0x4001, L"bare");
    Trace(0x5001, L"stamp options");
    Trace(0x6001, L"stamp");
    // Lines of another thread within the same second carry its identifier,
    // and the next line of this one this thread's again.
    DWORD otherThread = 0;
    std::thread other([&] {
        otherThread = GetCurrentThreadId();
        Trace(4, L"other");
    });
    other.join();
    Trace(4, L"again");
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 6u);
    EXPECT_TRUE(Matches(body[0], Pattern(STAMP, IDS, "plain").c_str())) << body[0];
    EXPECT_EQ(body[1], "bare");
    EXPECT_TRUE(Matches(body[2], Pattern(STAMP, "stamp options").c_str())) << body[2];
    EXPECT_TRUE(Matches(body[3], Pattern(STAMP, "stamp").c_str())) << body[3];

    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    std::string ids =
        fx::Format("[%2.2u %4.4u %4.4u] ", session, GetCurrentProcessId(), GetCurrentThreadId());
    EXPECT_NE(body[0].find(ids), std::string::npos) << body[0];
    EXPECT_NE(body[5].find(ids), std::string::npos) << body[5];
    std::string otherIds =
        fx::Format("[%2.2u %4.4u %4.4u] ", session, GetCurrentProcessId(), otherThread);
    EXPECT_NE(body[4].find(otherIds), std::string::npos) << body[4];
}

namespace
{
// "yyyy/MM/dd HH:mm:ss" of a local time: compared as text, it orders as
// the times do.
std::string StampText(const SYSTEMTIME &t)
{
    return fx::Format("%4.4u/%2.2u/%2.2u %2.2u:%2.2u:%2.2u", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
}
} // namespace

TEST_F(TraceLine, StampsFollowTheClockAcrossASecond)
{
    // Lines in a burst reuse the second read last; none may show a second
    // before the one the clock showed when it was traced, or after. The
    // burst starts late in a second so that it crosses into the next one,
    // and ends a while after.
    ASSERT_TRUE(WaitUntil(
        [] {
            SYSTEMTIME t;
            GetLocalTime(&t);
            return t.wMilliseconds >= 900;
        },
        2000));
    Start(0x0001);
    std::vector<std::pair<std::string, std::string>> clock;
    WORD firstSecond = 0;
    for (int i = 0;; ++i)
    {
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        Trace(i % 2 ? 0x8001 : 0x0001, L"line %d", i);
        GetLocalTime(&after);
        clock.emplace_back(StampText(before), StampText(after));
        if (i == 0) firstSecond = before.wSecond;
        if (after.wSecond != firstSecond && after.wMilliseconds >= 100) break;
        ASSERT_LT(i, 10000000);
    }
    FlushTrace();
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), clock.size());
    size_t crossed = 0;
    for (size_t i = 0; i < body.size(); ++i)
    {
        const std::string stamp = body[i].substr(0, 19);
        EXPECT_LE(clock[i].first, stamp) << "line " << i << ": " << body[i];
        EXPECT_LE(stamp, clock[i].second) << "line " << i << ": " << body[i];
        if (i && stamp != body[i - 1].substr(0, 19)) ++crossed;
        if (HasFailure()) break;
    }
    EXPECT_GE(crossed, 1u);
}

TEST_F(TraceLine, ConfiguredOptionsApplyToEveryLine)
{
    Start(0x4104); // milliseconds asked for, but without 0x1000 only the banners get them
    Trace(1, L"ordinary");
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(
        Matches(lines[0], R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3} START Logging \[4104\] .*)"))
        << lines[0];
    EXPECT_EQ(lines[2], "ordinary");
    StopTracing(0);

    Start(0x5104);
    Trace(1, L"ordinary");
    EXPECT_TRUE(Matches(BodyLines().at(0),
                        Pattern(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d{3} )", "ordinary").c_str()))
        << BodyLines().at(0);
    StopTracing(0);

    Start(0x5204);
    Trace(1, L"counter");
    EXPECT_TRUE(
        Matches(BodyLines().at(0), R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d \(\d{6,}\.\d{6}\) counter)"))
        << BodyLines().at(0);
}

TEST_F(TraceLine, LongMessageIsCut)
{
    Start(0x4001);
    std::wstring big(9000, L'x');
    Trace(1, L"%s", big.c_str());
    EXPECT_EQ(BodyLines().at(0), std::string(8189, 'x'));
    EXPECT_EQ(ReadAll(m_log).substr(ReadAll(m_log).size() - 2), "\r\n");
    StopTracing(0);

    // With prefixes the line keeps 8191 characters and loses its line break.
    Start(0x0001);
    std::string before = ReadAll(m_log);
    Trace(1, L"%s", big.c_str());
    std::string line = ReadAll(m_log).substr(before.size());
    EXPECT_EQ(line.size(), 8191u);
    EXPECT_EQ(line.back(), 'x');
}

TEST_F(TraceLine, TextGoesOutInTheAnsiCodePage)
{
    Start(0x4001);
    Trace(1, L"caf\u00e9 %hs %I64d", "narrow", 1ll << 40);
    std::string expected = fx::Narrow(L"caf\u00e9 narrow 1099511627776\r\n");
    EXPECT_EQ(ReadAll(m_log).substr(ReadAll(m_log).size() - expected.size()), expected);
    EXPECT_NE(ReadAll(m_log).substr(0, 3), "\xEF\xBB\xBF");
}

TEST_F(TraceLine, LastErrorIsKept)
{
    Start(0x0004);
    SetLastError(1234);
    Trace(1, L"line");
    Trace(0x8001, L"held line");
    Trace(9, L"dropped");
    LogWinErr(2, 5, L"x");
    LogComErr(2, E_FAIL, L"x");
    SetTraceLocation("a\\b", 1);
    StartTracing(FALSE, m_log.c_str(), 2);
    StopTracing(1);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST(TracePrefix, IdentifierPrefixPadsWithZeros)
{
    wchar_t out[64];
    tracelog::FormatIdentifierPrefix(out, 64, 1, 612, 3092);
    EXPECT_STREQ(out, L"[01 0612 3092] ");
    tracelog::FormatIdentifierPrefix(out, 64, 12, 123456, 7);
    EXPECT_STREQ(out, L"[12 123456 0007] ");
}

// The prefixes are put together without printf; every width and carry of
// the numbers must come out as "[%2.2u %4.4u %4.4u] " and ".%3.3u" print them.
TEST(TracePrefix, HandFormattedNumbersMatchPrintf)
{
    const unsigned values[] = {0u,    1u,    9u,     10u,    99u,        100u,        999u,
                               1000u, 9999u, 10000u, 65535u, 123456789u, 0x7FFFFFFFu, 0xFFFFFFFFu};
    for (unsigned a : values)
        for (unsigned b : values)
        {
            wchar_t mine[64], theirs[64];
            tracelog::FormatIdentifierPrefix(mine, 64, a, b, a ^ b);
            _snwprintf(theirs, 64, L"[%2.2u %4.4u %4.4u] ", a, b, a ^ b);
            theirs[63] = 0;
            ASSERT_STREQ(mine, theirs);
        }
    SYSTEMTIME t = {2008, 5, 3, 14, 13, 45, 7, 0};
    for (WORD ms : {0, 7, 42, 999})
    {
        t.wMilliseconds = ms;
        wchar_t mine[80], theirs[80];
        tracelog::FormatTimeStamp(mine, 80, 0x1101, t, nullptr, 0);
        _snwprintf(theirs, 80, L"2008/05/14 13:45:07.%3.3u ", ms);
        theirs[79] = 0;
        ASSERT_STREQ(mine, theirs);
    }
    // Cut at the buffer's end like the formatted text, always terminated.
    wchar_t small[8];
    EXPECT_EQ(tracelog::FormatIdentifierPrefix(small, 8, 1, 612, 3092), 7u);
    EXPECT_STREQ(small, L"[01 061");
}

TEST(TracePrefix, TimeStampOptions)
{
    SYSTEMTIME t = {2008, 5, 3, 14, 13, 45, 7, 42};
    LARGE_INTEGER counter;
    counter.QuadPart = 12345678901ll; // 1234.5678901 s at 10 MHz
    wchar_t out[80];
    tracelog::FormatTimeStamp(out, 80, 0x0001, t, &counter, 10000000);
    EXPECT_STREQ(out, L"2008/05/14 13:45:07 ");
    tracelog::FormatTimeStamp(out, 80, 0x0101, t, &counter, 10000000); // 0x100 needs 0x1000
    EXPECT_STREQ(out, L"2008/05/14 13:45:07 ");
    tracelog::FormatTimeStamp(out, 80, 0x1301, t, &counter, 10000000);
    EXPECT_STREQ(out, L"2008/05/14 13:45:07.042 (001234.567890) ");
    tracelog::FormatTimeStamp(out, 80, 0x1201, t, nullptr, 10000000); // counter unreadable
    EXPECT_STREQ(out, L"2008/05/14 13:45:07 ");

    // A long uptime whose product with 1000000 would overflow 64 bits.
    counter.QuadPart = 40000000000000000ll + 5;
    tracelog::FormatTimeStamp(out, 80, 0x1201, t, &counter, 10000000);
    EXPECT_STREQ(out, L"2008/05/14 13:45:07 (4000000000.000000) ");
}
