// The launcher's decisions: from the argument vector to the library calls
// it makes (new, edit, preview, or one run call per command file) or the
// usage message, and the exit codes of the calls' results. One template
// serves the ANSI build (char) and the UTF-16 build (wchar_t); the build's
// administrator handling is a parameter.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "NoCase.h"

enum class LaunchMode
{
    Usage,
    New,
    Edit,
    Run,
    Preview,
};

struct LaunchBuild
{
    bool elevated;        // ZELKadmin: "/Admin" before every parameter string
    bool windows6OrLater; // elevated build: "/Admin" arguments are dropped
};

template <typename Ch> struct LaunchPlan
{
    LaunchMode mode = LaunchMode::Usage;
    bool helpAsked = false; // the usage message because "/?" asked for it
    std::vector<std::basic_string<Ch>> parameterStrings; // one per library call
};

namespace launch_detail
{

template <typename Ch> std::basic_string<Ch> Ascii(const char *text)
{
    return std::basic_string<Ch>(text, text + std::strlen(text));
}

template <typename Ch> bool Is(const std::basic_string<Ch> &arg, const char *name)
{
    return EqualNoCase(arg, Ascii<Ch>(name));
}

template <typename Ch> bool BeginsWith(const std::basic_string<Ch> &arg, const char *name)
{
    size_t n = std::strlen(name);
    return arg.size() >= n && EqualNoCase(arg.substr(0, n), Ascii<Ch>(name));
}

template <typename Ch> bool IsSwitch(const std::basic_string<Ch> &arg)
{
    return !arg.empty() && (arg[0] == Ch('/') || arg[0] == Ch('-'));
}

template <typename Ch> bool IsKnownRunSwitch(const std::basic_string<Ch> &arg)
{
    static const char *const whole[] = {"/s", "/s+", "/s-", "/q",  "/q+",  "/q-",
                                        "/t", "/t+", "/t-", "/ne", "/ne+", "/ne-",
                                        "/l", "/l+", "/l-", "/v",  "/v+",  "/v-"};
    for (const char *name : whole)
        if (Is(arg, name)) return true;
    return BeginsWith(arg, "/lf") || BeginsWith(arg, "/esc");
}

// The shell's quoting rule for a path: enclosed in double quotes when it
// holds a space. No length limit, so long paths reach the library whole.
template <typename Ch> std::basic_string<Ch> Quote(const std::basic_string<Ch> &arg)
{
    if (arg.find(Ch(' ')) == std::basic_string<Ch>::npos) return arg;
    return Ch('"') + arg + Ch('"');
}

} // namespace launch_detail

// Removes enclosing quotes and turns a leading "-" into "/"; the elevated
// build on Windows 6.0 and later also drops "/Admin" arguments.
template <typename Ch>
void NormalizeLaunchArguments(std::vector<std::basic_string<Ch>> &args, const LaunchBuild &build)
{
    using namespace launch_detail;
    for (size_t i = 0; i < args.size();)
    {
        std::basic_string<Ch> &arg = args[i];
        if (arg.size() >= 2 && arg.front() == Ch('"') && arg.back() == Ch('"'))
            arg = arg.substr(1, arg.size() - 2);
        if (!arg.empty() && arg[0] == Ch('-')) arg[0] = Ch('/');
        if (build.elevated && build.windows6OrLater && Is(arg, "/Admin"))
            args.erase(args.begin() + i);
        else
            ++i;
    }
}

template <typename Ch>
LaunchPlan<Ch> PlanLaunch(std::vector<std::basic_string<Ch>> args, const LaunchBuild &build)
{
    using namespace launch_detail;
    using String = std::basic_string<Ch>;
    NormalizeLaunchArguments(args, build);

    // The elevated build marks every request as coming from it.
    const String admin = build.elevated ? Ascii<Ch>("/Admin") : String();
    const String adminSpace = build.elevated ? Ascii<Ch>("/Admin ") : String();

    LaunchPlan<Ch> plan;
    if (args.empty()) return plan;
    plan.helpAsked = args.size() == 1 && Is(args[0], "/?");

    if (Is(args[0], "/new") || Is(args[0], "/edit"))
    {
        bool isNew = Is(args[0], "/new");
        if (isNew && args.size() == 1)
        {
            plan.mode = LaunchMode::New;
            plan.parameterStrings.push_back(admin);
        }
        else if (args.size() == 2 && (args[1].empty() || args[1][0] != Ch('/')))
        {
            plan.mode = isNew ? LaunchMode::New : LaunchMode::Edit;
            plan.parameterStrings.push_back(adminSpace + Quote(args[1]));
        }
        return plan;
    }

    if (Is(args[0], "/preview"))
    {
        // "/preview [/csv:<file>] <command file>"
        String text = adminSpace;
        size_t i = 1;
        if (i < args.size() && BeginsWith(args[i], "/csv:") && args[i].size() > 5)
            text += Quote(args[i++]) + Ch(' ');
        if (i + 1 == args.size() && !args[i].empty() && !IsSwitch(args[i]))
        {
            plan.mode = LaunchMode::Preview;
            plan.parameterStrings.push_back(text + Quote(args[i]));
        }
        return plan;
    }

    if (Is(args[0], "/run")) args.erase(args.begin());

    std::vector<String> strings;
    size_t i = 0;
    while (i < args.size())
    {
        if (IsSwitch(args[i]))
        {
            if (!IsKnownRunSwitch(args[i])) break;
            args[i] = Quote(args[i]);
            ++i;
            continue;
        }
        String text;
        for (size_t s = 0; s < i; ++s)
            text += (s ? Ascii<Ch>(" ") : String()) + args[s];
        text += Ch(' ');
        text += Quote(args[i]);
        strings.push_back(adminSpace + text);
        args.erase(args.begin(), args.begin() + i + 1);
        i = 0;
    }
    // Anything left over (an unknown switch, switches after the last file) or
    // no file at all: nothing is run.
    if (!args.empty() || strings.empty()) return plan;
    plan.mode = LaunchMode::Run;
    plan.parameterStrings = std::move(strings);
    return plan;
}

// The launcher's exit codes.
enum LaunchExit : int
{
    EXIT_DONE = 0,          // every command did its work (a trial run that passed counts)
    EXIT_FAILED = 1,        // a run failed or the user cancelled it; a preview not written
    EXIT_NOT_A_COMMAND = 2, // a command file was missing or not a command file
    EXIT_BAD_ARGUMENTS = 3, // the usage message, unless "/?" asked for it
};

// The exit code of one library call's result: 0 done; 2 no such command
// file, or not a command file; 1 any other failure (a run that failed or
// was cancelled, the CSV file not written).
inline int CallExitCode(HRESULT hr)
{
    if (SUCCEEDED(hr)) return EXIT_DONE;
    const HRESULT notACommand[] = {
        HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
        HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
        HRESULT_FROM_WIN32(ERROR_INVALID_NAME),
        HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE),
        HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
        STG_E_FILENOTFOUND,
        STG_E_PATHNOTFOUND,
        STG_E_INVALIDHEADER,
        STG_E_DOCFILECORRUPT,
        STG_E_OLDFORMAT,
        STG_E_INVALIDNAME,
        CO_E_CANTDETERMINECLASS,
    };
    for (HRESULT code : notACommand)
        if (hr == code) return EXIT_NOT_A_COMMAND;
    return EXIT_FAILED;
}

// The exit code of several run calls: the highest of their codes, so a
// missing file is not hidden by a later failure, nor a failure by a later
// success.
inline int CombineExitCodes(int soFar, int next)
{
    return next > soFar ? next : soFar;
}

// The exit code of the usage message.
template <typename Ch> int UsageExitCode(const LaunchPlan<Ch> &plan)
{
    return plan.helpAsked ? EXIT_DONE : EXIT_BAD_ARGUMENTS;
}
