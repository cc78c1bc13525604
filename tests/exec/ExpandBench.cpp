// Benchmark of ExpandSources for "<root>\*.txt" against a bare recursive
// FindFirstFileW/FindNextFileW walk of the same tree, in the same process.
// Usage: expand_bench <root> [runs]; prints one line per root.
#include <windows.h>

#include <cstdio>
#include <string>

#include "TaskelExec.h"
#include "TaskelOptions.h"
#include "Trace.h"
#include "UniqueHandle.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneBench", L"FerrovaneBench.log", false,
                               false};

namespace
{
double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t Walk(const std::wstring &folder)
{
    size_t entries = 0;
    WIN32_FIND_DATAW data;
    fx::unique_find find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return 0;
    do
    {
        if (data.cFileName[0] == L'.' &&
            (!data.cFileName[1] || (data.cFileName[1] == L'.' && !data.cFileName[2])))
            continue;
        ++entries;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            entries += Walk(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

size_t Expand(const std::wstring &root, DWORD flags)
{
    CExecPathSpecs specs(ACTION_COPY, flags);
    specs.SetSources(StringArray{root + L"\\*.txt"});
    specs.ExpandSources(false);
    return specs.Sources().size();
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
    {
        fwprintf(stderr, L"usage: expand_bench <root> [runs]\n");
        return 2;
    }
    StopTracing(0);
    const std::wstring root = argv[1];
    const int runs = argc > 2 ? _wtoi(argv[2]) : 3;
    double bare = 1e30, quiet = 1e30, pumped = 1e30;
    size_t entries = 0, sources = 0;
    for (int i = 0; i < runs; ++i)
    {
        double t = Now();
        entries = Walk(root);
        bare = std::min(bare, Now() - t);
        t = Now();
        sources = Expand(root, OPT_X_NO_ANIMATION);
        quiet = std::min(quiet, Now() - t);
        t = Now();
        Expand(root, 0);
        pumped = std::min(pumped, Now() - t);
    }
    wprintf(L"%ls entries=%zu sources=%zu bare=%.0fms expand=%.0fms (%.2fx) "
            L"expand+pump=%.0fms (%.2fx)\n",
            root.c_str(), entries, sources, bare, quiet, quiet / bare, pumped, pumped / bare);
    return 0;
}
