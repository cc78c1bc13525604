// ZELK.EXE / ZELKadmin.EXE: the windowless launcher that turns its command
// line into calls of Taskel.dll's command functions. Built twice from this
// source: ANSI without a manifest (ZELK.EXE), and UTF-16 with a manifest
// requesting administrator rights and "/Admin" handling (ZELKadmin.EXE,
// ZELK_ADMIN defined).
#define TRACE_SOURCE "Taskel\\TaskelRun"
#include "FxException.h"
#include "TaskelExports.h"
#include "TaskelRunPlan.h"
#include "TaskelSecurity.h"
#include "Trace.h"
#include "resource.h"

#include <ole2.h>
#include <stdlib.h>
#include <tchar.h>

using tstring = std::basic_string<TCHAR>;

#ifdef ZELK_ADMIN
TraceProfile g_traceProfile = {_T("Software\\Veltrac\\Ferrovane"), _T("Ferrovane.log"), true, true};
#define TASKEL_RUN RunCommandExW
#define TASKEL_EDIT EditCommandW
#define TASKEL_NEW NewCommandW
#define TASKEL_PREVIEW PreviewCommandW
#define ARGV __wargv
#else
TraceProfile g_traceProfile = {_T("Software\\Veltrac\\Ferrovane"), _T("Ferrovane.log"), false,
                               false};
#define TASKEL_RUN RunCommandEx
#define TASKEL_EDIT EditCommand
#define TASKEL_NEW NewCommand
#define TASKEL_PREVIEW PreviewCommand
#define ARGV __argv
#endif

namespace
{

// Where an exception escaping one run call is reported. The number is part
// of the log text, not a line of this file.
constexpr TraceSite kRunCallSite{TRACE_SOURCE, 294};

LaunchBuild ThisBuild()
{
#ifdef ZELK_ADMIN
    return {true, LOBYTE(LOWORD(::GetVersion())) >= 6};
#else
    return {false, LOBYTE(LOWORD(::GetVersion())) >= 6};
#endif
}

void ShowUsage(HINSTANCE instance)
{
    TCHAR text[2048] = {};
    TCHAR caption[128] = {};
    ::LoadString(instance, IDS_USAGE, text, ARRAYSIZE(text));
    ::LoadString(instance, IDS_APP_TITLE, caption, ARRAYSIZE(caption));
    MSGBOXPARAMS params = {};
    params.cbSize = sizeof(params);
    params.hInstance = instance;
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = MB_ICONINFORMATION | MB_SETFOREGROUND;
    params.dwContextHelpId = IDS_USAGE;
    ::MessageBoxIndirect(&params);
}

// The process's exit code (LaunchExit): the usage message's, the preview's,
// or the highest of the run calls' codes.
int Launch(HINSTANCE instance, int show)
{
    std::vector<tstring> args;
    for (int i = 1; i < __argc && ARGV; ++i)
        args.push_back(ARGV[i] ? ARGV[i] : _T(""));

    LaunchPlan<TCHAR> plan = PlanLaunch(args, ThisBuild());
    switch (plan.mode)
    {
    case LaunchMode::Usage:
        ShowUsage(instance);
        return UsageExitCode(plan);
    case LaunchMode::New:
        TASKEL_NEW(nullptr, instance, plan.parameterStrings.front().c_str(), show);
        break;
    case LaunchMode::Edit:
        TASKEL_EDIT(nullptr, instance, plan.parameterStrings.front().c_str(), show);
        break;
    case LaunchMode::Preview:
        return CallExitCode(
            TASKEL_PREVIEW(nullptr, instance, plan.parameterStrings.front().c_str(), show));
    case LaunchMode::Run: {
        int exitCode = EXIT_DONE;
        for (const tstring &params : plan.parameterStrings)
        {
            // One file's failure does not stop the next.
            HRESULT hr = E_UNEXPECTED;
            try
            {
                hr = TASKEL_RUN(nullptr, instance, params.c_str(), show);
            }
            TRACE_CATCH_SITE(4, kRunCallSite)
            exitCode = CombineExitCodes(exitCode, CallExitCode(hr));
        }
        return exitCode;
    }
    }
    return EXIT_DONE;
}

} // namespace

int WINAPI _tWinMain(HINSTANCE instance, HINSTANCE, LPTSTR, int show)
{
    HRESULT ole = ::OleInitialize(nullptr);
    StartTracing();
    if (IsTraceEnabled(1))
    {
#ifdef ZELK_ADMIN
        Trace(2, _T("  AdminUser [%u] CanRegister [%u]"), IsAdministratorsMember() ? 1u : 0u, 1u);
#else
        Trace(2, _T("  AdminUser [%u] CanRegister [%u]"), 1u, 1u);
#endif
    }
    int exitCode = EXIT_FAILED;
    try
    {
        exitCode = Launch(instance, show);
    }
    TRACE_CATCH_ALL(4)
    if (SUCCEEDED(ole)) ::OleUninitialize();
    StopTracing(1);
    return exitCode;
}
