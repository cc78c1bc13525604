// The run's own trace log: where "/lf" puts it, when a run stops or
// restarts the trace log, and the restart itself.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelRunLog.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "FxException.h"
#include "NoCase.h"
#include "TaskelExecPath.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{

// Where the extension of a file name begins (its last dot), or its length.
size_t ExtensionAt(const std::wstring &name)
{
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name.size() : dot;
}

// The command file's name without folder and extension.
std::wstring CommandTitle(const std::wstring &commandPath)
{
    std::wstring name = execpath::FileNamePart(commandPath);
    return name.substr(0, ExtensionAt(name));
}

bool IsRelativeWithFolder(const std::wstring &spec)
{
    return !spec.empty() && ::PathIsRelativeW(spec.c_str()) &&
           spec.find_first_of(L"\\/") != std::wstring::npos;
}

bool IsBareName(const std::wstring &spec)
{
    return spec.empty() ||
           (::PathIsRelativeW(spec.c_str()) && spec.find_first_of(L"\\/") == std::wstring::npos);
}

// Starts the log again on `plan.fileName`. A restart without truncation
// continues the run's log without a new banner (same level byte, file name
// not empty) and repeats the last banner's text instead, so the file still
// says which module and version wrote it.
void RestartTracing(const RunLogPlan &plan)
{
    if (!plan.truncate)
    {
        SetTraceFileName(L"*");
        SetTraceLevel(RUN_LOG_LEVEL);
    }
    StartTracing(plan.truncate ? TRUE : FALSE, plan.fileName.c_str(), RUN_LOG_LEVEL);
    bool started =
        IsTraceEnabled(1) && ::GetFileAttributesW(GetTraceFileName()) != INVALID_FILE_ATTRIBUTES;
    if (!plan.truncate && started) TraceRestartLine(RUN_LOG_LEVEL);
}

// "\\?\C:\x" and "\\?\UNC\server\share" name the same files as
// "C:\x" and "\\server\share".
std::wstring WithoutLongPrefix(const std::wstring &path)
{
    if (StartsWithNoCase(path, L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
    if (StartsWithNoCase(path, L"\\\\?\\")) return path.substr(4);
    return path;
}

} // namespace

std::wstring RunLogFileName(const std::wstring &spec, const std::wstring &commandPath,
                            const std::wstring &desktopFolder)
{
    std::wstring located = spec;
    if (IsRelativeWithFolder(spec))
        located = execpath::AddBackslash(execpath::ParentFolder(commandPath)) + spec;
    else if (IsBareName(spec) && !desktopFolder.empty())
        located = execpath::AddBackslash(desktopFolder) + spec;

    CShellFilePath path;
    path.Split(located);
    std::wstring name = path.FilePart();
    if (name.empty()) name = L"*";
    size_t dot = ExtensionAt(name);
    std::wstring title = name.substr(0, dot);
    std::wstring extension = name.substr(dot);
    // ".*" (from a name such as "*.*") would leave a wildcard in the file
    // name, which no file can have: it counts as no extension.
    if (extension.size() < 2 || extension == L".*") extension = L".log";
    if (title == L"*" || title == L"*.*")
        title = CommandTitle(commandPath);
    else if (title.empty())
        title = L"Ferrovane";
    path.SetFilePart(title + extension);
    return path.Combine();
}

std::wstring NormalizedFilePath(const std::wstring &path)
{
    if (path.empty()) return path;
    std::wstring full(MAX_PATH, L'\0');
    for (;;)
    {
        DWORD n =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (n == 0) return path;
        if (n < full.size())
        {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    std::wstring longForm(full.size() + 1, L'\0');
    for (;;)
    {
        DWORD n =
            ::GetLongPathNameW(full.c_str(), &longForm[0], static_cast<DWORD>(longForm.size()));
        if (n == 0) return WithoutLongPrefix(full); // missing: no short components
        if (n < longForm.size())
        {
            longForm.resize(n);
            return WithoutLongPrefix(longForm);
        }
        longForm.resize(n);
    }
}

bool NamesCommandFile(const std::wstring &logFile, const std::wstring &commandPath,
                      PathNormalizer normalize)
{
    if (logFile.empty() || commandPath.empty()) return false;
    return EqualNoCase(normalize(logFile), normalize(commandPath));
}

RunLogPlan PlanRunLog(const SwitchSet &switches, const std::wstring &commandPath,
                      const std::wstring &currentFile, bool levelOneEnabled,
                      const std::wstring &desktopFolder, PathNormalizer normalize)
{
    bool on = false, off = false, truncate = false;
    std::wstring fileName = currentFile;
    for (const std::wstring &s : switches)
    {
        if (EqualNoCase(s, L"/l"))
            on = true, off = false, truncate = true;
        else if (EqualNoCase(s, L"/l+"))
            on = true, off = false, truncate = false;
        else if (EqualNoCase(s, L"/l-"))
            off = true, on = false;
        else if (StartsWithNoCase(s, L"/lf"))
            fileName = RunLogFileName(s.substr(3), commandPath, desktopFolder);
    }

    RunLogPlan plan;
    if (off)
        plan.kind = RunLogPlan::Stop;
    else if (on || (levelOneEnabled && ::lstrcmpiW(fileName.c_str(), currentFile.c_str()) != 0))
        plan.kind = RunLogPlan::Restart;
    plan.truncate = truncate;
    plan.fileName = fileName;
    if (plan.kind == RunLogPlan::Restart && NamesCommandFile(fileName, commandPath, normalize))
    {
        plan.kind = RunLogPlan::Keep;
        plan.refused = true;
    }
    return plan;
}

std::wstring DesktopFolder()
{
    wchar_t folder[MAX_PATH] = {};
    fx::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                        KEY_READ, key.put()) == ERROR_SUCCESS)
    {
        wchar_t raw[MAX_PATH] = {};
        DWORD type = 0, size = sizeof(raw) - sizeof(wchar_t);
        if (::RegQueryValueExW(key.get(), L"Desktop", nullptr, &type, reinterpret_cast<BYTE *>(raw),
                               &size) == ERROR_SUCCESS)
        {
            if (type == REG_SZ)
                lstrcpynW(folder, raw, MAX_PATH);
            else if (type == REG_EXPAND_SZ)
            {
                DWORD n = ::ExpandEnvironmentStringsW(raw, folder, MAX_PATH);
                if (n == 0 || n > MAX_PATH) lstrcpynW(folder, raw, MAX_PATH);
            }
        }
    }
    if (!folder[0] && !::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_DESKTOPDIRECTORY, FALSE))
        folder[0] = 0;
    return folder[0] ? execpath::RemoveBackslash(folder) : std::wstring();
}

void ApplyRunLog(const SwitchSet &switches, const std::wstring &commandPath)
{
    try
    {
        bool placed = false;
        for (const std::wstring &s : switches)
            placed = placed || StartsWithNoCase(s, L"/lf");
        RunLogPlan plan =
            PlanRunLog(switches, commandPath, GetTraceFileName(), IsTraceEnabled(1) != FALSE,
                       placed ? DesktopFolder() : std::wstring());
        if (plan.refused)
            Trace(2, L"Run log [%s] is the command file: not used", plan.fileName.c_str());
        if (plan.kind == RunLogPlan::Stop)
            SetTraceLevel(0);
        else if (plan.kind == RunLogPlan::Restart)
            RestartTracing(plan);
    }
    TRACE_CATCH_SITE(2, sites::kRunLog)
}
