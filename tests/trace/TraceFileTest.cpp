// The file writer against real files: held-mode handle reuse and its release
// 100 ms after the last line, normal mode, and the sharing-violation retries.
#include "TraceTestSupport.h"

using namespace tracetest;

namespace
{
class TraceFile : public TraceFixture
{
  protected:
    // A second handle with write access and no sharing, as another process
    // would open the log; fails while the writer holds the file.
    fx::unique_file OpenExclusive() const
    {
        return fx::unique_file(CreateFile(m_log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    }

    // The held file is closed on a timer of this thread.
    static bool WaitUntilReleased(DWORD timeoutMs)
    {
        return WaitUntil([] { return tracelog::g_state.heldFile == INVALID_HANDLE_VALUE; },
                         timeoutMs);
    }
};

DWORD WINAPI TraceHeldAndEnd(LPVOID)
{
    Trace(0x8001, L"from a short thread");
    return tracelog::g_state.closeArmed ? 0 : 1;
}

DWORD WINAPI TraceTwo(LPVOID)
{
    Trace(0x8001, L"two");
    return 0;
}

double SecondsSince(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}
} // namespace

TEST_F(TraceFile, HeldLinesShareOneHandleThenRelease)
{
    Start(0x4004);
    Trace(0x8001, L"first");
    HANDLE held = tracelog::g_state.heldFile;
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (int i = 0; i < 20; ++i)
        Trace(0x8001, L"burst %d", i);
    EXPECT_EQ(tracelog::g_state.heldFile, held);
    EXPECT_FALSE(OpenExclusive()) << "the writer holds the file between held lines";

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ASSERT_TRUE(WaitUntilReleased(3000));
    EXPECT_GE(SecondsSince(start), 0.05);
    EXPECT_TRUE(OpenExclusive()) << "released after the last held line";
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 21u);
    EXPECT_EQ(body[20], "burst 19");
}

TEST_F(TraceFile, LateHeldLineKeepsTheFileOpenLonger)
{
    Start(0x4004);
    Trace(0x8001, L"one");
    Sleep(60);
    Trace(0x8001, L"two"); // within 100 ms of the first: the close moves on
    Sleep(60);
    EXPECT_NE(tracelog::g_state.heldFile, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WaitUntilReleased(3000));
}

TEST_F(TraceFile, NormalLineClosesTheHeldHandle)
{
    Start(0x4004);
    Trace(0x8001, L"held");
    ASSERT_NE(tracelog::g_state.heldFile, INVALID_HANDLE_VALUE);
    Trace(1, L"normal");
    EXPECT_EQ(tracelog::g_state.heldFile, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(OpenExclusive());
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 2u);
    EXPECT_EQ(body[1], "normal");
}

TEST_F(TraceFile, ConfiguredHeldModeAppliesToEveryLine)
{
    Start(0xC004);
    Trace(2, L"held by configuration");
    EXPECT_NE(tracelog::g_state.heldFile, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WaitUntilReleased(3000));
}

// The held file's close is a thread pool timer: it comes on time even when
// the thread that wrote the line ended at once and no thread serves
// messages, and it holds no thread timer.
TEST_F(TraceFile, HeldFileClosesOnAPoolTimerAfterItsThreadEnded)
{
    Start(0x4004);
    HANDLE thread = CreateThread(nullptr, 0, TraceHeldAndEnd, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD armed = 1;
    GetExitCodeThread(thread, &armed);
    CloseHandle(thread);
    EXPECT_EQ(armed, 0u) << "a close was armed after the held line";
    EXPECT_EQ(tracelog::g_state.closeTimer, 0u);
    EXPECT_TRUE(WaitUntilReleased(3000));
    EXPECT_FALSE(tracelog::g_state.closeArmed);
    EXPECT_EQ(BodyLines().at(0), "from a short thread");
}

// Another program holding the log never holds up the tracing thread: the
// retries run on a worker, 71 attempts 20 ms apart, and the line is lost.
TEST_F(TraceFile, RetriesOnAWorkerThenDropsWhileHeldWithoutReadSharing)
{
    Start(0x4004);
    std::string before = ReadAll(m_log);
    fx::unique_file other(CreateFile(m_log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    SetLastError(77);
    Trace(1, L"lost");
    EXPECT_LE(SecondsSince(start), 0.1) << "the caller waited for the file";
    EXPECT_EQ(GetLastError(), 77u);
    EXPECT_TRUE(FlushTrace(10000));
    double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 5.0);
    other.reset();
    EXPECT_EQ(ReadAll(m_log), before);
}

TEST_F(TraceFile, SharesWritingAfterTheFirstFiftyRetries)
{
    Start(0x4004);
    fx::unique_file other(CreateFile(m_log.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    ASSERT_TRUE(other);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Trace(1, L"shared");
    EXPECT_LE(SecondsSince(start), 0.1);
    EXPECT_TRUE(FlushTrace(10000));
    double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 0.7);
    EXPECT_LE(seconds, 5.0);
    other.reset();
    EXPECT_EQ(BodyLines().at(0), "shared");
}

// Lines traced while the worker waits for the file, from this thread and
// others, join the backlog behind it and reach the file in their order.
TEST_F(TraceFile, LinesWaitingForAHeldFileKeepTheirOrder)
{
    Start(0x4004);
    fx::unique_file other(CreateFile(m_log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    Trace(1, L"one");
    HANDLE thread = CreateThread(nullptr, 0, TraceTwo, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    Trace(1, L"three");
    other.reset(); // the worker's next attempt gets the file
    EXPECT_TRUE(FlushTrace(10000));
    std::vector<std::string> body = BodyLines();
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0], "one");
    EXPECT_EQ(body[1], "two");
    EXPECT_EQ(body[2], "three");
}

TEST(TraceFileNames, SharesAndNetworkDrivesAreSlow)
{
    EXPECT_TRUE(tracelog::IsSlowLogFile(L"\\\\server\\share\\ferrovane.log"));
    EXPECT_TRUE(tracelog::IsSlowLogFile(L"\\\\?\\UNC\\server\\share\\ferrovane.log"));
    EXPECT_FALSE(tracelog::IsSlowLogFile(L"\\\\?\\C:\\ferrovane.log"));
    EXPECT_FALSE(tracelog::IsSlowLogFile(L"C:\\ferrovane.log"));
    EXPECT_FALSE(tracelog::IsSlowLogFile(L"ferrovane.log"));
}

TEST_F(TraceFile, UnopenableFileDropsSilently)
{
    tstring missing = TempFolder() + _T("\\no such folder\\x.log");
    EXPECT_EQ(StartTracing(FALSE, missing.c_str(), 0x4004), 0u);
    SetLastError(55);
    EXPECT_TRUE(Trace(1, L"nowhere"));
    EXPECT_TRUE(Trace(0x8001, L"nowhere held"));
    EXPECT_EQ(GetLastError(), 55u);
    EXPECT_EQ(tracelog::g_state.heldFile, INVALID_HANDLE_VALUE);
}
