// Benchmark of ExpandSources for "<root>\*.txt" against a bare recursive
// FindFirstFileW/FindNextFileW walk of the same tree, in the same process,
// and of the plan of a Copy of the same files (what a preview costs before
// its rows, the entries found handed over as provisional rows on the way),
// and of the plan's rows (which look at every source and target).
// Usage: expand_bench <root> [runs]; prints one line per root: the median of
// the runs for each side, and the median ratio to the bare walk with the
// spread of the per-run ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "PlanRows.h"
#include "TaskelExec.h"
#include "TaskelExecRun.h"
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

// The plan of a Copy of every text file. With `first`, the plan is made as
// the preview makes it: the entries found come as provisional rows, and
// first[0] receives the time from the start until the first of them were
// handed over (when a preview's first rows can show), first[1] the time
// until the first request was recorded (when its real rows can).
size_t Plan(const std::wstring &root, bool rows, double *first = nullptr)
{
    const std::wstring list = root + L"\\*.txt" + L'\0' + L'\0';
    const ExecCommand command = {ACTION_COPY, OPT_X_NO_ANIMATION, list, root + L"-planned-target",
                                 0};
    ExecPlan plan;
    size_t pending = 0;
    const double start = Now();
    if (first)
    {
        first[0] = first[1] = -1;
        plan.found = [&](const StringArray &entries) {
            pending += PendingRows(entries, FO_COPY).size();
            if (first[0] < 0) first[0] = Now() - start;
        };
        plan.recorded = [&](const ExecPlan &) {
            if (first[1] < 0) first[1] = Now() - start;
        };
    }
    PlanCommand(command, root, plan);
    if (!rows) return plan.requests.empty() ? 0 : plan.requests[0].from.size();
    return PlanRows(plan, FO_COPY, SystemDisk()).size();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// "<median>ms (<median ratio>x, <min>-<max>)" of one side against the walk.
void PrintSide(const wchar_t *name, const std::vector<double> &times,
               const std::vector<double> &bare)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < times.size(); ++i)
        ratios.push_back(times[i] / bare[i]);
    const auto range = std::minmax_element(ratios.begin(), ratios.end());
    wprintf(L" %ls=%.0fms (%.2fx, %.2f-%.2f)", name, Median(times), Median(ratios), *range.first,
            *range.second);
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
    const int runs = std::max(argc > 2 ? _wtoi(argv[2]) : 5, 1);
    std::vector<double> bare, quiet, pumped, planned, rows, firstRows, firsts;
    size_t entries = 0, sources = 0, plannedSources = 0, rowCount = 0;
    for (int i = 0; i < runs; ++i)
    {
        double t = Now();
        entries = Walk(root);
        bare.push_back(Now() - t);
        t = Now();
        sources = Expand(root, OPT_X_NO_ANIMATION);
        quiet.push_back(Now() - t);
        t = Now();
        Expand(root, 0);
        pumped.push_back(Now() - t);
        t = Now();
        double first[2] = {0, 0};
        plannedSources = Plan(root, false, first);
        planned.push_back(Now() - t);
        firstRows.push_back(first[0]);
        firsts.push_back(first[1]);
        t = Now();
        rowCount = Plan(root, true);
        rows.push_back(Now() - t);
    }
    wprintf(L"%ls entries=%zu sources=%zu planned=%zu rows=%zu runs=%d bare=%.0fms", root.c_str(),
            entries, sources, plannedSources, rowCount, runs, Median(bare));
    PrintSide(L"expand", quiet, bare);
    PrintSide(L"expand+pump", pumped, bare);
    PrintSide(L"plan", planned, bare);
    PrintSide(L"plan+rows", rows, bare);
    wprintf(L" first-rows=%.0fms first-request=%.0fms\n", Median(firstRows), Median(firsts));
    return 0;
}
