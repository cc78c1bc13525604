// Held-mode throughput of the trace log: 100,000 lines through Trace, then
// the same bytes through a bare WriteFile loop on one held handle. Prints
// both times and their ratio. Usage: trace_bench [folder]
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
} // namespace

int wmain(int argc, wchar_t **argv)
{
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
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < LINES; ++i)
        Trace(0x8001, L"Copy [C:\\Jobs\\source\\file%06d.txt] to [D:\\Backup] %d", i, i & 7);
    QueryPerformanceCounter(&t1);
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
    QueryPerformanceCounter(&t0);
    for (const auto &line : lines)
    {
        DWORD written = 0;
        WriteFile(file.get(), text.data() + line.first, static_cast<DWORD>(line.second), &written,
                  nullptr);
    }
    QueryPerformanceCounter(&t1);
    file.reset();
    double bareSeconds = Seconds(t0, t1);

    printf("lines: %u (%u bytes)\n", static_cast<unsigned>(lines.size()),
           static_cast<unsigned>(text.size()));
    printf("Trace (held mode): %.3f s\n", traceSeconds);
    printf("bare WriteFile:    %.3f s\n", bareSeconds);
    printf("ratio:             %.2f\n", bareSeconds > 0 ? traceSeconds / bareSeconds : 0.0);
    DeleteFileW(traced.c_str());
    DeleteFileW(bare.c_str());
    return lines.size() == static_cast<size_t>(LINES) ? 0 : 2;
}
