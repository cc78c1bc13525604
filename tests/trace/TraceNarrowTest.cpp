// The narrow copy of the trace log: its identifier prefix, milliseconds
// rule, thread-timer close, unconverted text and no file-name tokens.
#include "TraceTestSupport.h"

#include "FxException.h"

using namespace tracetest;

TraceProfile g_traceProfile = {"Software\\Veltrac\\FerrovaneTraceTestA", "FerrovaneTraceTestA.log",
                               false, false};

namespace
{
class TraceNarrow : public TraceFixture
{
};
} // namespace

TEST(TraceNarrowPrefix, HexIdentifiersMaskedTo24Bits)
{
    char out[64];
    tracelog::FormatIdentifierPrefix(out, 64, 5, 0x12345678, 0xABC);
    EXPECT_STREQ(out, "[345678 000ABC] ");
}

TEST(TraceNarrowPrefix, HandFormattedHexMatchesPrintf)
{
    for (unsigned long v : {0ul, 0xFul, 0x10ul, 0xABCDEFul, 0xFFFFFFul, 0x1000000ul, 0xFFFFFFFFul})
    {
        char mine[64], theirs[64];
        tracelog::FormatIdentifierPrefix(mine, 64, 0, v, ~v);
        _snprintf(theirs, 64, "[%6.6lX %6.6lX] ", v & 0xFFFFFFul, ~v & 0xFFFFFFul);
        theirs[63] = 0;
        ASSERT_STREQ(mine, theirs);
    }
}

TEST(TraceNarrowPrefix, MillisecondsWithEitherOptionNoCounter)
{
    SYSTEMTIME t = {2008, 5, 3, 14, 13, 45, 7, 42};
    LARGE_INTEGER counter;
    counter.QuadPart = 12345;
    char out[80];
    tracelog::FormatTimeStamp(out, 80, 0x1201, t, &counter, 1000);
    EXPECT_STREQ(out, "2008/05/14 13:45:07.042 ");
    tracelog::FormatTimeStamp(out, 80, 0x1101, t, &counter, 1000);
    EXPECT_STREQ(out, "2008/05/14 13:45:07.042 ");
    tracelog::FormatTimeStamp(out, 80, 0x0301, t, &counter, 1000);
    EXPECT_STREQ(out, "2008/05/14 13:45:07 ");
}

TEST_F(TraceNarrow, LineShape)
{
    Start(0x0004);
    Trace(1, "narrow %s %d", "text", 5);
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 1u);
    EXPECT_TRUE(Matches(body[0], Pattern(STAMP, IDS, "narrow text 5").c_str())) << body[0];
    char ids[32];
    wsprintfA(ids, "[%6.6lX %6.6lX] ", GetCurrentProcessId() & 0xFFFFFF,
              GetCurrentThreadId() & 0xFFFFFF);
    EXPECT_NE(body[0].find(ids), std::string::npos);
}

TEST_F(TraceNarrow, TextIsWrittenUnchanged)
{
    Start(0x4001);
    Trace(1, "bytes \xE9\xFF");
    EXPECT_EQ(BodyLines().at(0), "bytes \xE9\xFF");
}

TEST_F(TraceNarrow, HeldFileClosesThroughTheThreadTimer)
{
    Start(0x4004);
    Trace(0x8001, "held");
    Trace(0x8001, "held again");
    EXPECT_NE(tracelog::g_state.heldFile, INVALID_HANDLE_VALUE);
    EXPECT_NE(tracelog::g_state.closeTimer, 0u);
    EXPECT_EQ(tracelog::g_state.closeTimerThread, GetCurrentThreadId());
    EXPECT_TRUE(WaitUntil([] { return tracelog::g_state.heldFile == INVALID_HANDLE_VALUE; }, 3000));
    EXPECT_EQ(BodyLines().size(), 2u);
}

TEST_F(TraceNarrow, NoTokensAndSystemProcessor)
{
    tstring name = TempFolder() + "\\narrow%dd.log";
    SetLevelValue(4);
    SetStringValue("LogFile", name);
    StartTracing();
    EXPECT_EQ(tstring(GetTraceFileName()), name);
    std::vector<std::string> lines = Lines(ReadAll(name));
    StopTracing(1);
    DeleteFile(name.c_str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(
        Matches(lines[0],
                Pattern(STAMP, IDS, R"(START Logging \[4\] From \[.*trace_narrow_tests\.exe\] .*)")
                    .c_str()))
        << lines[0];
    EXPECT_TRUE(Matches(lines[1], R"(.*\(Processor (I386|I486|Pentium|Unknown)\) \(Locale .*)"))
        << lines[1];
}

TEST_F(TraceNarrow, ExceptionLine)
{
    Start(0x4004);
    TraceException(2, fx::CNotSupportedException(), "ZELK\\TaskelRun", 12);
    EXPECT_EQ(BodyLines().at(0),
              "Exception [CNotSupportedException] [Not supported.] at ZELK\\TaskelRun 12");
}
