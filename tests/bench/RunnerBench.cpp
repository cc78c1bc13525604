// Overhead of a command run through CTaskel::Run over one bare
// SHFileOperationW call with the same request: a tree of small files is
// copied by both, alternately, and the best time of each is compared.
// Usage: runner_bench [files [rounds]]   (default 10000 files, 1 round)
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "TaskelClass.h"
#include "TaskelExecRun.h"
#include "Trace.h"
#include "UniqueHandle.h"
#include "TestCommandObject.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneRunnerBench",
                               L"FerrovaneRunnerBench.log", false, false};

namespace
{
// The request the runner sends, kept to replay it bare.
struct Captured
{
    UINT func = 0;
    std::wstring from, to;
    FILEOP_FLAGS flags = 0;
    double shellSeconds = 0;
} g_captured;
bool g_forward = false; // false: record the request only

double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring List(const wchar_t *list)
{
    std::wstring out;
    for (const wchar_t *p = list; p && *p; p += wcslen(p) + 1)
        out.append(p).push_back(L'\0');
    return out;
}

int Forward(SHFILEOPSTRUCTW *request)
{
    g_captured.func = request->wFunc;
    g_captured.from = List(request->pFrom);
    g_captured.to = List(request->pTo);
    g_captured.flags = request->fFlags;
    if (!g_forward) return 0;
    double start = Now();
    int code = SHFileOperationW(request);
    g_captured.shellSeconds = Now() - start;
    return code;
}

void FreeMappings(HANDLE mappings)
{
    SHFreeNameMappings(mappings);
}

void Remove(const std::wstring &folder)
{
    std::wstring from = folder + L'\0' + L'\0';
    SHFILEOPSTRUCTW request = {};
    request.wFunc = FO_DELETE;
    request.pFrom = from.c_str();
    request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationW(&request);
}

void MakeTree(const std::wstring &root, int files)
{
    CreateDirectoryW(root.c_str(), nullptr);
    for (int i = 0; i < files; ++i)
    {
        std::wstring folder = root + L"\\d" + std::to_wstring(i / 500);
        if (i % 500 == 0) CreateDirectoryW(folder.c_str(), nullptr);
        std::wstring path = folder + L"\\f" + std::to_wstring(i) + L".txt";
        fx::unique_file file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), "small file\r\n", 12, &written, nullptr);
    }
}

double RunCommand(const std::wstring &base, const std::wstring &target)
{
    CTestCommand object;
    object->SetAction(EDIT_ACTION_COPY);
    object->SetOptions(OPT_SILENT | OPT_NOCONFIRMATION | OPT_NOCONFIRMMKDIR | OPT_NOERRORUI |
                       OPT_X_NO_ANIMATION);
    object->SetSource(-1, nullptr);
    object->SetSource(0, L"src\\");
    object->SetTarget(target);
    InstallShellRunner();
    double start = Now();
    bool ok = object->Run(base, nullptr);
    double seconds = Now() - start;
    if (!ok) std::printf("command run failed\n");
    return seconds;
}

double RunBare(const std::wstring &to)
{
    std::wstring from = g_captured.from + L'\0';
    std::wstring target = to + L'\0' + L'\0';
    SHFILEOPSTRUCTW request = {};
    request.wFunc = g_captured.func;
    request.pFrom = from.c_str();
    request.pTo = target.c_str();
    request.fFlags = g_captured.flags;
    double start = Now();
    int code = SHFileOperationW(&request);
    double seconds = Now() - start;
    if (code) std::printf("bare call failed: %d\n", code);
    return seconds;
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int files = argc > 1 ? _wtoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? _wtoi(argv[2]) : 1;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring base =
        std::wstring(temp) + L"runbench" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(base.c_str(), nullptr);
    MakeTree(base + L"\\src", files);
    static const FileOperationSeam forward = {Forward, FreeMappings};
    SetFileOperationSeam(&forward);

    // A first run only records the request the command sends.
    RunCommand(base, L"run");
    g_forward = true;
    const std::wstring captured = g_captured.to;
    std::printf("request: func %u flags %04X from [%ls] to [%ls]\n", g_captured.func,
                g_captured.flags, g_captured.from.c_str(), captured.c_str());

    double bestRun = 1e9, bestBare = 1e9, bestInner = 1e9;
    for (int round = 0; round < rounds; ++round)
    {
        double bare = RunBare(base + L"\\bare");
        Remove(base + L"\\bare");
        double run = RunCommand(base, L"run");
        double inner = g_captured.shellSeconds;
        Remove(base + L"\\run");
        std::printf("round %d: bare %.3f s, command %.3f s (its shell call %.3f s)\n", round + 1,
                    bare, run, inner);
        bestRun = run < bestRun ? run : bestRun;
        bestBare = bare < bestBare ? bare : bestBare;
        bestInner = inner < bestInner ? inner : bestInner;
    }
    std::printf(
        "%d files: best bare %.3f s, best command %.3f s, overhead %+.2f %% (shell call inside the "
        "command %.3f s)\n",
        files, bestBare, bestRun, 100.0 * (bestRun - bestBare) / bestBare, bestInner);
    Remove(base);
    return 0;
}
