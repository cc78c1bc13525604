// Held-mode throughput of the trace log: 100,000 lines through Trace, then
// the same bytes through a bare WriteFile loop on one held handle. Prints
// both times and their ratio. Usage: trace_bench [folder]
// "trace_bench --pieces" instead times the system calls a line is made of,
// one by one, to see where the time of a line goes.
#include "Trace.h"
#include "UniqueHandle.h"

#include <cstdio>
#include <string>
#include <vector>

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneBench", L"FerrovaneBench.log", false,
                               true};

namespace
{
const int LINES = 100000;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

// Seconds of processor time this thread used so far (user and kernel): on
// a busy machine the wall-clock times also count the waits for a processor.
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
    printf("Enter/Leave lock:      %7.1f ns\n", PerCall(n, [&](int) {
               EnterCriticalSection(&cs);
               LeaveCriticalSection(&cs);
           }));
    printf("Get/SetLastError:      %7.1f ns\n",
           PerCall(n, [&](int) { SetLastError(GetLastError()); }));
    printf("GetTickCount:          %7.1f ns\n", PerCall(n, [&](int) { (void)GetTickCount(); }));
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
    std::wstring traced = std::wstring(folder) + L"\\trace-bench-traced.log";
    std::wstring bare = std::wstring(folder) + L"\\trace-bench-bare.log";

    // Empty the file, then leave only held lines in it (the banner is normal mode).
    StartTracing(TRUE, traced.c_str(), 0x0001);
    StopTracing(0);
    DeleteFileW(traced.c_str());
    StartTracing(FALSE, traced.c_str(), 0x8001);
    size_t before = ReadAll(traced).size();

    LARGE_INTEGER t0, t1;
    double cpu0 = ThreadCpu();
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < LINES; ++i)
        Trace(0x8001, L"Copy [C:\\Jobs\\source\\file%06d.txt] to [D:\\Backup] %d", i, i & 7);
    QueryPerformanceCounter(&t1);
    double traceCpu = ThreadCpu() - cpu0;
    SetTraceLevel(0); // no STOP banner among the measured lines
    StopTracing(0);
    double traceSeconds = Seconds(t0, t1);

    // The same bytes, line by line, through one held handle.
    std::string text = ReadAll(traced).substr(before);
    std::vector<std::pair<size_t, size_t>> lines;
    for (size_t at = 0; at < text.size();)
    {
        size_t end = text.find("\r\n", at);
        end = end == std::string::npos ? text.size() : end + 2;
        lines.emplace_back(at, end - at);
        at = end;
    }
    fx::unique_file file(CreateFileW(bare.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        fwprintf(stderr, L"cannot create %ls\n", bare.c_str());
        return 1;
    }
    cpu0 = ThreadCpu();
    QueryPerformanceCounter(&t0);
    for (const auto &line : lines)
    {
        DWORD written = 0;
        WriteFile(file.get(), text.data() + line.first, static_cast<DWORD>(line.second), &written,
                  nullptr);
    }
    QueryPerformanceCounter(&t1);
    double bareCpu = ThreadCpu() - cpu0;
    file.reset();
    double bareSeconds = Seconds(t0, t1);

    printf("lines: %u (%u bytes)\n", static_cast<unsigned>(lines.size()),
           static_cast<unsigned>(text.size()));
    printf("Trace (held mode): %.3f s\n", traceSeconds);
    printf("bare WriteFile:    %.3f s\n", bareSeconds);
    printf("ratio:             %.2f\n", bareSeconds > 0 ? traceSeconds / bareSeconds : 0.0);
    printf("processor time:    %.3f s / %.3f s, ratio %.2f\n", traceCpu, bareCpu,
           bareCpu > 0 ? traceCpu / bareCpu : 0.0);
    DeleteFileW(traced.c_str());
    DeleteFileW(bare.c_str());
    return lines.size() == static_cast<size_t>(LINES) ? 0 : 2;
}
