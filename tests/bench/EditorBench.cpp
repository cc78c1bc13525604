// The edit sheet's start-up with many sources: EditCommandW from Taskel.dll
// opens a command of 1 and of 1,000 sources in the description view; message
// hooks note the sheet's first paint (a WM_PAINT taken from the queue or sent
// by UpdateWindow), the last tick of the command page's activation timer (its
// "Complete") and the last row set or fill step of the source description
// list (all descriptions in), then the sheet is cancelled.
// Usage: editor_bench [runs [sources]]   (Taskel.dll in the build tree)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelOptions.h"
#include "resource.h"
#include "Trace.h"
#include "TestCommandObject.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneBench", L"FerrovaneBench.log", false,
                               false};

namespace
{

const UINT_PTR kActivationTimer = 0x7A31; // the command page's activation timer id
const UINT_PTR kFillTimer = 4;            // its description fill steps

LARGE_INTEGER g_frequency;
LARGE_INTEGER g_start;
double g_firstPaint = -1;
double g_lastActivation = -1;
double g_lastRow = -1;
HWND g_sheet = nullptr;
HHOOK g_hook = nullptr;
HHOOK g_sentHook = nullptr;
std::wstring g_caption;

double Now()
{
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart - g_start.QuadPart) * 1000.0 / double(g_frequency.QuadPart);
}

LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE)
    {
        const MSG *msg = reinterpret_cast<const MSG *>(lParam);
        if (!g_sheet) g_sheet = ::FindWindowW(L"#32770", g_caption.c_str());
        const bool ofSheet = g_sheet && (msg->hwnd == g_sheet || ::IsChild(g_sheet, msg->hwnd));
        if (ofSheet && msg->message == WM_PAINT && g_firstPaint < 0 && ::IsWindowVisible(g_sheet))
            g_firstPaint = Now();
        if (ofSheet && msg->message == WM_TIMER && msg->wParam == kActivationTimer)
            g_lastActivation = Now();
        if (ofSheet && msg->message == WM_TIMER && msg->wParam == kFillTimer) g_lastRow = Now();
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

LRESULT CALLBACK OnSentMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
    {
        const CWPSTRUCT *msg = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (msg->message == WM_PAINT && g_firstPaint < 0 && g_sheet && ::IsWindowVisible(g_sheet) &&
            (msg->hwnd == g_sheet || ::IsChild(g_sheet, msg->hwnd)))
            g_firstPaint = Now();
        if ((msg->message == LB_INSERTSTRING || msg->message == LB_DELETESTRING) &&
            ::GetDlgCtrlID(msg->hwnd) == IDC_SOURCE_DESCRIPTIONS)
            g_lastRow = Now();
    }
    return ::CallNextHookEx(g_sentHook, code, wParam, lParam);
}

// Ends the sheet once it has painted and the activation timer stayed quiet
// for 1.5 s (it re-arms every second while the information is incomplete).
void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_sheet) g_sheet = ::FindWindowW(L"#32770", g_caption.c_str());
    static int ticks = 0;
    if (++ticks % 10 == 0 && _wgetenv(L"EDITOR_BENCH_VERBOSE"))
        fwprintf(stderr, L"  %.0f ms: sheet %p paint %.0f activation %.0f\n", Now(),
                 static_cast<void *>(g_sheet), g_firstPaint, g_lastActivation);
    if (!g_sheet || g_firstPaint < 0) return;
    const double quietSince = std::max({g_firstPaint, g_lastActivation, g_lastRow});
    if (Now() - quietSince < 1500) return;
    ::PostMessageW(g_sheet, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageW(g_sheet, WM_NULL, 0, 0);
}

// Sources in folders that exist, each its own, so the shell-folder cache
// has one display name per source to gather.
HRESULT WriteCommand(const std::wstring &path, const std::wstring &root, size_t sources)
{
    CTestCommand command;
    command->SetAction(EDIT_ACTION_COPY);
    for (size_t i = 0; i < sources; ++i)
    {
        wchar_t folder[MAX_PATH];
        swprintf(folder, MAX_PATH, L"%lsfolder%04u", root.c_str(), static_cast<unsigned>(i));
        ::CreateDirectoryW(folder, nullptr);
        command->SetSource(static_cast<long>(i), (std::wstring(folder) + L"\\*.txt").c_str());
    }
    command->SetTarget(L"D:\\backup\\");
    ::DeleteFileW(path.c_str());
    return SaveNewCommandFile(path, *command);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int runs = argc > 1 ? _wtoi(argv[1]) : 3;
    ::CoInitialize(nullptr);
    ::QueryPerformanceFrequency(&g_frequency);
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir = exe;
    dir.resize(dir.find_last_of(L'\\'));
    dir.resize(dir.find_last_of(L'\\')); // tests
    dir.resize(dir.find_last_of(L'\\')); // build folder
    HMODULE taskel = ::LoadLibraryW((dir + L"\\Taskel\\Taskel.dll").c_str());
    if (!taskel)
    {
        wprintf(L"cannot load %ls\\Taskel\\Taskel.dll\n", dir.c_str());
        return 1;
    }
    using EditFunction = void(WINAPI *)(HWND, HINSTANCE, LPCWSTR, int);
    auto edit = reinterpret_cast<EditFunction>(
        reinterpret_cast<void *>(::GetProcAddress(taskel, "EditCommandW")));

    // Descriptions on, as the edit flow reads them from the profile.
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Veltrac\\Ferrovane", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD one = 1;
    ::RegSetValueExW(key, L"ShowDescriptions", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&one),
                     sizeof(one));
    ::RegCloseKey(key);

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    wprintf(L"sources  first paint ms  complete ms  descriptions in ms   (one run, %d asked)\n",
            runs);
    // One command size per process: a second sheet in the same process is
    // not what the launcher does.
    const size_t sources = argc > 2 ? static_cast<size_t>(_wtoi(argv[2])) : 1000;
    {
        const std::wstring name = L"bench" + std::to_wstring(sources);
        const std::wstring path = std::wstring(temp) + name + L".Taskel";
        const std::wstring root = std::wstring(temp) + L"editor-bench\\";
        ::CreateDirectoryW(root.c_str(), nullptr);
        if (FAILED(WriteCommand(path, root, sources))) return 2;
        g_caption = name + L" - Ferrovane";
        std::vector<double> paints, completes, described;
        for (int run = 0; run < 1; ++run)
        {
            g_sheet = nullptr;
            g_firstPaint = g_lastActivation = g_lastRow = -1;
            g_hook = ::SetWindowsHookExW(WH_GETMESSAGE, OnMessage, nullptr, ::GetCurrentThreadId());
            g_sentHook =
                ::SetWindowsHookExW(WH_CALLWNDPROC, OnSentMessage, nullptr, ::GetCurrentThreadId());
            const UINT_PTR watch = ::SetTimer(nullptr, 0, 100, Watch);
            ::QueryPerformanceCounter(&g_start);
            edit(nullptr, taskel, (L"\"" + path + L"\"").c_str(), SW_SHOWNORMAL);
            ::KillTimer(nullptr, watch);
            ::UnhookWindowsHookEx(g_hook);
            ::UnhookWindowsHookEx(g_sentHook);
            paints.push_back(g_firstPaint);
            completes.push_back(std::max(g_firstPaint, g_lastActivation));
            described.push_back(std::max(g_firstPaint, g_lastRow));
        }
        std::sort(paints.begin(), paints.end());
        std::sort(completes.begin(), completes.end());
        std::sort(described.begin(), described.end());
        wprintf(L"%7u  %13.1f  %11.1f  %18.1f\n", static_cast<unsigned>(sources),
                paints[paints.size() / 2], completes[completes.size() / 2],
                described[described.size() / 2]);
    }
    return 0;
}
