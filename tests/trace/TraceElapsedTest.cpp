// The elapsed-time prefix from given clock readings, and once through Trace.
#include "TraceTestSupport.h"

using namespace tracetest;
using tracelog::ElapsedState;
using tracelog::FormatElapsedPrefix;

namespace
{
const DWORD REL = TRACE_ELAPSED | TRACE_RELATIVE;

std::wstring Prefix(ElapsedState &s, DWORD level, DWORD tick, LONGLONG counter)
{
    wchar_t out[320];
    FormatElapsedPrefix(out, 320, level, s, tick, counter);
    return out;
}

ElapsedState WithCounter(LONGLONG frequency)
{
    ElapsedState s;
    s.hasCounter = true;
    s.frequency = frequency;
    return s;
}
} // namespace

TEST(TraceElapsed, AbsoluteForms)
{
    ElapsedState s = WithCounter(1000);
    EXPECT_EQ(Prefix(s, TRACE_ELAPSED, 5000, 12345), L"[000000012345] ");
    ElapsedState ticks;
    EXPECT_EQ(Prefix(ticks, TRACE_ELAPSED, 5000, 0), L"[5000] ");
    EXPECT_EQ(Prefix(ticks, REL, 5250, 0), L"[000250 (000250)] "); // absolute lines keep the base
}

TEST(TraceElapsed, RelativeAndRestart)
{
    ElapsedState s = WithCounter(1000);
    Prefix(s, REL, 0, 1000);
    EXPECT_EQ(Prefix(s, REL, 0, 3500), L"[2.5000000000] ");
    EXPECT_EQ(Prefix(s, REL | TRACE_RESTART, 0, 9000), L"[0.0000000000] ");

    ElapsedState t;
    Prefix(t, REL, 100, 0);
    EXPECT_EQ(Prefix(t, REL, 130, 0), L"[000030 (000030)] ");
    EXPECT_EQ(Prefix(t, REL, 200, 0), L"[000070 (000100)] ");
    EXPECT_EQ(Prefix(t, REL | TRACE_RESTART, 900, 0), L"[000000 (000000)] ");
    // Restart needs the relative bit too.
    EXPECT_EQ(Prefix(t, TRACE_ELAPSED | TRACE_RESTART, 950, 0), L"[950] ");
    EXPECT_EQ(Prefix(t, REL, 1000, 0), L"[000100 (000100)] ");
}

TEST(TraceElapsed, ScopesIndentAndPopShowsTheWholeScope)
{
    ElapsedState t;
    Prefix(t, REL, 0, 0);
    EXPECT_EQ(Prefix(t, REL | TRACE_PUSH, 100, 0),
              L"[000100 (000100)] "); // printed before the push
    EXPECT_EQ(t.depth, 1);
    EXPECT_EQ(Prefix(t, REL, 150, 0), L"  [000050 (000150)] ");
    EXPECT_EQ(Prefix(t, REL | TRACE_POP, 300, 0), L"[000200 (000300)] "); // since the opening line
    EXPECT_EQ(t.depth, 0);
    EXPECT_EQ(Prefix(t, REL | TRACE_POP, 310, 0), L"[000010 (000310)] "); // nothing to pop
}

TEST(TraceElapsed, DepthStopsAt99)
{
    ElapsedState t;
    for (int i = 0; i < 100; ++i)
        Prefix(t, REL | TRACE_PUSH, 10 * i, 0);
    EXPECT_EQ(t.depth, 99);
    std::wstring line = Prefix(t, REL, 2000, 0);
    EXPECT_EQ(line, std::wstring(198, L' ') + L"[001010 (002000)] ");
    Prefix(t, REL | TRACE_POP, 2000, 0);
    EXPECT_EQ(t.depth, 98);
    Prefix(t, REL | TRACE_RESTART, 2000, 0);
    EXPECT_EQ(t.depth, 0);
}

class TraceElapsedLines : public TraceFixture
{
};

TEST_F(TraceElapsedLines, RestartThroughTrace)
{
    Start(0x4004);
    Trace(REL | TRACE_RESTART | 1, L"first");
    Trace(REL | TRACE_RESTART | 1, L"restarted");
    for (int i = 0; i < 100; ++i)
        Trace(REL | TRACE_PUSH | 1, nullptr);
    Trace(REL | 1, L"deep");
    Trace(REL | TRACE_RESTART | 1, L"top");
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 4u);
    EXPECT_EQ(body[1], "[0.0000000000] restarted");
    // The prefix-only lines run into the next one; the last indent is 198.
    ASSERT_GT(body[2].size(), 230u);
    EXPECT_TRUE(Matches(body[2].substr(body[2].size() - 230), R"(.*\] {199}\[\d+\.\d{10}\] deep)"));
    EXPECT_EQ(body[3], "[0.0000000000] top");
}
