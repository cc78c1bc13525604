// Held-mode throughput of the trace log against a bare WriteFile loop on one
// held handle writing the same bytes line by line. Both sides run in this one
// process, in five interleaved pairs (the side that goes first alternates),
// each side for at least a second; prints every pair, the median ratio of
// the five with its spread (min-max) and each side's cost per line, in
// processor time (the figure to compare) and in wall time.
// Usage: trace_bench [folder]
// "trace_bench --pieces" instead times the system calls a line is made of,
// one by one, to see where the time of a line goes.
#include "Trace.h"
#include "UniqueHandle.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneBench", L"FerrovaneBench.log", false,
                               true};

namespace
{
// Lines of the recording pass: their bytes are what the bare side writes,
// over and over, so its lines have the traced lines' length.
const int RECORDED = 100000;
const int PAIRS = 5;
// Each side runs at least this long; the line count is set from the faster
// side's recorded pace with some headroom.
const double SIDE_SECONDS = 1.0;
const double HEADROOM = 1.3;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

// Seconds of processor time this thread used so far (user and kernel): on
// a shared machine the wall-clock times also count the waits for a processor.
double ThreadCpu()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME &t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
};

class Stopwatch
{
  public:
    Stopwatch() noexcept
    {
        m_cpu = ThreadCpu();
        QueryPerformanceCounter(&m_wall);
    }
    Timing Elapsed() const noexcept
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        Timing t;
        t.cpu = ThreadCpu() - m_cpu;
        t.wall = Seconds(m_wall, now);
        return t;
    }

  private:
    double m_cpu;
    LARGE_INTEGER m_wall;
};

std::string ReadAll(const std::wstring &path)
{
    fx::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::string();
    std::string text(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    text.resize(read);
    return text;
}

ULONGLONG FileSize(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The traced side: `count` held lines into a fresh file, which then holds
// exactly those lines (the START banner is a normal-mode line before them,
// the STOP banner is left out). Returns the bytes the lines took, 0 when the
// file did not grow by whole lines of `lineBytes` each.
ULONGLONG TraceSide(const std::wstring &path, int count, size_t lineBytes, Timing &timing)
{
    DeleteFileW(path.c_str());
    StartTracing(FALSE, path.c_str(), 0x8001);
    FlushTrace();
    const ULONGLONG before = FileSize(path);
    {
        Stopwatch watch;
        for (int i = 0; i < count; ++i)
            Trace(0x8001, L"Copy [C:\\Jobs\\source\\file%06d.txt] to [D:\\Backup] %d", i % RECORDED,
                  i & 7);
        timing = watch.Elapsed();
    }
    SetTraceLevel(0); // no STOP banner among the measured lines
    StopTracing(0);
    const ULONGLONG grown = FileSize(path) - before;
    if (lineBytes && grown != static_cast<ULONGLONG>(count) * lineBytes) return 0;
    return grown;
}

struct Line
{
    size_t at;
    size_t length;
};

// The bare side: the recorded lines, `count` writes in turn, on one handle.
bool BareSide(const std::wstring &path, const std::string &text, const std::vector<Line> &lines,
              int count, Timing &timing)
{
    fx::unique_file file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    {
        Stopwatch watch;
        size_t next = 0;
        for (int i = 0; i < count; ++i)
        {
            DWORD written = 0;
            const Line &line = lines[next];
            WriteFile(file.get(), text.data() + line.at, static_cast<DWORD>(line.length), &written,
                      nullptr);
            if (++next == lines.size()) next = 0;
        }
        timing = watch.Elapsed();
    }
    file.reset();
    DeleteFileW(path.c_str());
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintSummary(const char *clock, const std::vector<Timing> &traced,
                  const std::vector<Timing> &bare, double Timing::*which, int count)
{
    std::vector<double> ratios, tracedLine, bareLine;
    for (size_t i = 0; i < traced.size(); ++i)
    {
        ratios.push_back(traced[i].*which / (bare[i].*which > 0 ? bare[i].*which : 1e-9));
        tracedLine.push_back(traced[i].*which * 1e9 / count);
        bareLine.push_back(bare[i].*which * 1e9 / count);
    }
    printf("%-15s median ratio %.2f (spread %.2f-%.2f); per line: Trace %.0f ns, bare %.0f ns\n",
           clock, Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
           *std::max_element(ratios.begin(), ratios.end()), Median(tracedLine), Median(bareLine));
}

// Nanoseconds per call of `fn`, over `count` calls.
template <typename Fn> double PerCall(int count, Fn fn)
{
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < count; ++i)
        fn(i);
    QueryPerformanceCounter(&t1);
    return Seconds(t0, t1) * 1e9 / count;
}

int Pieces()
{
    const int n = 200000;
    wchar_t wide[256];
    char narrow[512];
    SYSTEMTIME st;
    FILETIME ft;
    DWORD session = 0;
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    printf("message _vsnwprintf:   %7.1f ns\n", PerCall(n, [&](int i) {
               _snwprintf(wide, 256, L"Copy [C:\\Jobs\\source\\file%06d.txt] to [D:\\Backup] %d", i,
                          i & 7);
           }));
    printf("prefix _vsnwprintf:    %7.1f ns\n", PerCall(n, [&](int i) {
               _snwprintf(wide, 256, L"[%2.2u %4.4u %4.4u] ", 1u, 1234u, static_cast<unsigned>(i));
           }));
    printf("GetLocalTime:          %7.1f ns\n", PerCall(n, [&](int) { GetLocalTime(&st); }));
    printf("GetSystemTimeAsFT:     %7.1f ns\n",
           PerCall(n, [&](int) { GetSystemTimeAsFileTime(&ft); }));
    printf("GetDate+GetTimeFormat: %7.1f ns\n", PerCall(n / 10, [&](int) {
               GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, L"yyyy'/'MM'/'dd", wide, 32);
               GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, L"HH':'mm':'ss", wide + 32, 32);
           }));
    printf("ProcessIdToSessionId:  %7.1f ns\n",
           PerCall(n, [&](int) { ProcessIdToSessionId(GetCurrentProcessId(), &session); }));
    _snwprintf(wide, 256,
               L"2026/12/08 10:00:00 [01 0123 0456] Copy [C:\\Jobs\\source\\file000001.txt] "
               L"to [D:\\Backup] 1\r\n");
    int len = static_cast<int>(wcslen(wide));
    printf("WideCharToMultiByte:   %7.1f ns\n", PerCall(n, [&](int) {
               WideCharToMultiByte(CP_ACP, 0, wide, len, narrow, 512, nullptr, nullptr);
           }));
    const wchar_t *path = L"C:\\users\\user\\Temp\\\\trace-bench-traced.log";
    wchar_t other[64];
    wcscpy(other, path);
    volatile int sink = 0;
    printf("wcscmp of a log path:  %7.1f ns\n",
           PerCall(n, [&](int) { sink = sink + wcscmp(path, other); }));
    printf("wcslen of a line:      %7.1f ns\n",
           PerCall(n, [&](int) { sink = sink + static_cast<int>(wcslen(wide)); }));
    printf("ASCII copy of a line:  %7.1f ns\n", PerCall(n, [&](int) {
               int i = 0;
               for (; i < len && wide[i] < 0x80; ++i)
                   narrow[i] = static_cast<char>(wide[i]);
               sink = sink + i;
           }));
    printf("Enter/Leave lock:      %7.1f ns\n", PerCall(n, [&](int) {
               EnterCriticalSection(&cs);
               LeaveCriticalSection(&cs);
           }));
    printf("Get/SetLastError:      %7.1f ns\n",
           PerCall(n, [&](int) { SetLastError(GetLastError()); }));
    printf("GetTickCount:          %7.1f ns\n", PerCall(n, [&](int) { (void)GetTickCount(); }));
    printf("QueryPerfCounter:      %7.1f ns\n", PerCall(n, [&](int) {
               LARGE_INTEGER c;
               QueryPerformanceCounter(&c);
           }));
    DeleteCriticalSection(&cs);
    return 0;
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc > 1 && wcscmp(argv[1], L"--pieces") == 0) return Pieces();
    wchar_t folder[MAX_PATH];
    if (argc > 1)
        wcscpy(folder, argv[1]);
    else
        GetTempPathW(MAX_PATH, folder);
    const std::wstring traced = std::wstring(folder) + L"\\trace-bench-traced.log";
    const std::wstring bare = std::wstring(folder) + L"\\trace-bench-bare.log";

    // The recording pass: the bytes of RECORDED held lines.
    Timing recordTrace, recordBare;
    if (!TraceSide(traced, RECORDED, 0, recordTrace)) return 1;
    std::string text = ReadAll(traced);
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();)
    {
        size_t end = text.find("\r\n", at);
        end = end == std::string::npos ? text.size() : end + 2;
        lines.push_back(Line{at, end - at});
        at = end;
    }
    // Held lines only: the START banner's lines are normal mode and come first.
    if (lines.size() < static_cast<size_t>(RECORDED))
    {
        fprintf(stderr, "recorded %u lines of %d\n", static_cast<unsigned>(lines.size()), RECORDED);
        return 2;
    }
    lines.erase(lines.begin(), lines.end() - RECORDED);
    const size_t lineBytes = lines.front().length;
    for (const Line &line : lines)
        if (line.length != lineBytes)
        {
            fprintf(stderr, "traced lines differ in length\n");
            return 2;
        }
    if (!BareSide(bare, text, lines, RECORDED, recordBare))
    {
        fwprintf(stderr, L"cannot create %ls\n", bare.c_str());
        return 1;
    }

    // Enough lines that the faster side, by either clock, takes a second.
    double fastest = std::min(std::min(recordTrace.wall, recordTrace.cpu),
                              std::min(recordBare.wall, recordBare.cpu)) /
                     RECORDED;
    if (fastest <= 0) fastest = 1e-7;
    const int count = static_cast<int>(std::min(SIDE_SECONDS * HEADROOM / fastest, 2e7));
    printf("lines per side: %d (%u bytes each)\n", count, static_cast<unsigned>(lineBytes));

    std::vector<Timing> tracedTimes(PAIRS), bareTimes(PAIRS);
    for (int pair = 0; pair < PAIRS; ++pair)
    {
        const bool bareFirst = pair % 2 != 0;
        if (bareFirst && !BareSide(bare, text, lines, count, bareTimes[pair])) return 1;
        if (!TraceSide(traced, count, lineBytes, tracedTimes[pair]))
        {
            fprintf(stderr, "pair %d: the traced file does not hold %d lines\n", pair + 1, count);
            return 2;
        }
        if (!bareFirst && !BareSide(bare, text, lines, count, bareTimes[pair])) return 1;
        const Timing &t = tracedTimes[pair], &b = bareTimes[pair];
        printf("pair %d: Trace %.3f s cpu / %.3f s wall, bare %.3f s cpu / %.3f s wall, "
               "ratio %.2f cpu / %.2f wall\n",
               pair + 1, t.cpu, t.wall, b.cpu, b.wall, b.cpu > 0 ? t.cpu / b.cpu : 0.0,
               b.wall > 0 ? t.wall / b.wall : 0.0);
    }
    PrintSummary("processor time:", tracedTimes, bareTimes, &Timing::cpu, count);
    PrintSummary("wall time:", tracedTimes, bareTimes, &Timing::wall, count);
    DeleteFileW(traced.c_str());
    DeleteFileW(bare.c_str());
    return 0;
}
