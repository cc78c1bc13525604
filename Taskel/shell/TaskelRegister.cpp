// Registration of the command class, the .Taskel file type with its verbs
// and ShellNew entry, and of the two shell handler classes.
#define TRACE_SOURCE "Taskel\\TaskelRegister"
#include "TaskelRegister.h"

#include <shlwapi.h>

#include "RegKey.h"
#include "TaskelGuids.h"
#include "Trace.h"
#include "WinFormat.h"

namespace
{

const wchar_t kProgId[] = L"Veltrac.Taskel";
const wchar_t kExtension[] = L".Taskel";
const wchar_t kLauncher[] = L"ZELK.EXE";
const wchar_t kAdminLauncher[] = L"ZELKadmin.EXE";
// FTA_Exclude, FTA_HasExtension, the FTA_NoEdit* and FTA_NoNewVerb /
// FTA_NoRemoveVerb flags, FTA_NoDDE and FTA_NoRecentDocs. FTA_OpenIsSafe
// (0x00010000) is left out: a command file moves, renames and
// deletes files, so a downloaded one is not safe to open without a prompt.
constexpr DWORD kEditFlags = 0x00103FE5;
// String resource 1: "File Command", the elevation prompt's class name.
constexpr UINT kLocalizedNameId = 1;

bool SystemIsWindows6()
{
    return LOBYTE(LOWORD(::GetVersion())) >= 6;
}
TaskelWindows6Function g_windows6 = SystemIsWindows6;

// A string value below the machine's classes, its key created when missing.
void SetClassesString(const std::wstring &subKey, const wchar_t *name, const wchar_t *text)
{
    fx::CRegKey key(HKEY_LOCAL_MACHINE, fx::MachineClassesKey(subKey).c_str(), false, true);
    fx::CRegString(key.Handle(), name, true).Write(text);
}

// A verb below Veltrac.Taskel\shell of the machine's classes: its display text (none: no
// value) and the command line of its "Command" subkey.
void RegisterVerb(const wchar_t *verb, const wchar_t *displayText, const std::wstring &line)
{
    const std::wstring verbKey = std::wstring(kProgId) + L"\\shell\\" + verb;
    if (displayText) SetClassesString(verbKey, nullptr, displayText);
    SetClassesString(verbKey + L"\\Command", nullptr, line.c_str());
}

std::wstring LibraryDirectory(const std::wstring &libraryPath)
{
    size_t slash = libraryPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : libraryPath.substr(0, slash + 1);
}

// The launchers and the library are programs the user should never pick
// from "Open with".
void RegisterNoOpenWith(const std::wstring &libraryFileName, bool windows6)
{
    fx::CRegKey applications(HKEY_LOCAL_MACHINE, fx::MachineClassesKey(L"Applications").c_str(), false,
                             false);
    if (!applications.IsOpen()) return;
    const wchar_t *names[] = {libraryFileName.c_str(), kLauncher,
                              windows6 ? kAdminLauncher : nullptr};
    for (const wchar_t *name : names)
    {
        if (!name) continue;
        fx::CRegKey key(applications.Handle(), name, false, true);
        fx::CRegString(key.Handle(), L"NoOpenWith", true).Write();
    }
}

void UnregisterNoOpenWith(const std::wstring &libraryFileName, bool windows6)
{
    const wchar_t *names[] = {libraryFileName.c_str(), kLauncher,
                              windows6 ? kAdminLauncher : nullptr};
    for (const wchar_t *name : names)
    {
        if (!name) continue;
        fx::CRegKey(HKEY_LOCAL_MACHINE,
                    fx::MachineClassesKey(std::wstring(L"Applications\\") + name).c_str(), false,
                    false)
            .DeleteTree();
    }
}

} // namespace

void SetTaskelWindows6Seam(TaskelWindows6Function windows6)
{
    g_windows6 = windows6 ? windows6 : SystemIsWindows6;
}

TaskelVerbLines BuildVerbLines(const std::wstring &libraryDir, bool admin)
{
    std::wstring launcher = libraryDir;
    if (!launcher.empty() && launcher.back() != L'\\') launcher += L'\\';
    launcher += admin ? kAdminLauncher : kLauncher;
    if (launcher.find(L' ') != std::wstring::npos) launcher = L"\"" + launcher + L"\"";

    TaskelVerbLines lines;
    lines.create = fx::Format(L"%s /new \"%%1\"", launcher.c_str());
    lines.edit = fx::Format(L"%s /edit \"%%1\"", launcher.c_str());
    lines.run = fx::Format(L"%s /run \"%%1\"", launcher.c_str());
    lines.runQuiet = fx::Format(L"%s /run /ne+ \"%%1\"", launcher.c_str());
    lines.preview = fx::Format(L"%s /preview \"%%1\"", launcher.c_str());
    return lines;
}

BOOL UpdateTaskelClassRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering)
{
    if (!classObject.UpdateRegistryEx(registering, L"File Command", true)) return FALSE;

    const std::wstring libraryPath = fx::ModuleLongPath();
    const std::wstring libraryFileName = ::PathFindFileNameW(fx::ModulePath().c_str());
    const bool windows6 = g_windows6();
    if (!registering)
    {
        UnregisterNoOpenWith(libraryFileName, windows6);
        fx::CRegKey(HKEY_LOCAL_MACHINE, fx::MachineClassesKey(kExtension).c_str(), false, false)
            .DeleteTree();
        return TRUE;
    }

    const std::wstring shellKey = std::wstring(kProgId) + L"\\shell";
    for (const wchar_t *verb : {L"Open", L"OpenQuiet", L"Edit"})
        fx::CRegKey(HKEY_LOCAL_MACHINE, fx::MachineClassesKey(shellKey + L"\\" + verb).c_str(), false,
                    true);

    const std::wstring libraryDir = LibraryDirectory(libraryPath);
    const TaskelVerbLines lines = BuildVerbLines(libraryDir, false);
    Trace(1, L"  Register ShellOpen [%s]", lines.run.c_str());
    Trace(1, L"  Register ShellQuiet [%s]", lines.runQuiet.c_str());
    Trace(1, L"  Register ShellEdit [%s]", lines.edit.c_str());
    Trace(1, L"  Register ShellNew [%s]", lines.create.c_str());
    Trace(1, L"  Register ShellPreview [%s]", lines.preview.c_str());

    classObject.RegisterCategory(CATID_Veltrac);
    classObject.RegisterElevation(kLocalizedNameId);
    classObject.RegisterServerPath(L"Apartment", true);
    classObject.RegisterDefaultIcon(0, 0);
    classObject.RegisterPropertySheetHandler(CLSID_TaskelProp, L"Command Properties");
    classObject.RegisterInfoTipHandler(CLSID_TaskelInfoTip);

    SetClassesString(shellKey, nullptr, L"Open");
    RegisterVerb(L"Open", L"Run", lines.run);
    RegisterVerb(L"OpenQuiet", L"Run quiet", lines.runQuiet);
    RegisterVerb(L"Edit", nullptr, lines.edit);
    // Seeing what a command will do needs no rights: no admin twin.
    RegisterVerb(L"Preview", L"Preview", lines.preview);

    if (windows6)
    {
        const TaskelVerbLines admin = BuildVerbLines(libraryDir, true);
        RegisterVerb(L"AdminOpen", L"Run as administrator", admin.run);
        RegisterVerb(L"OpenQuietAdmin", L"Run quiet as administrator", admin.runQuiet);
        RegisterVerb(L"EditAdmin", L"Edit as administrator", admin.edit);
    }

    fx::CRegKey typeKey(HKEY_LOCAL_MACHINE, fx::MachineClassesKey(kProgId).c_str(), false, true);
    fx::CRegDWord(typeKey.Handle(), L"EditFlags", true).Write(kEditFlags);

    SetClassesString(kExtension, nullptr, kProgId);
    SetClassesString(std::wstring(kExtension) + L"\\" + kProgId + L"\\ShellNew", L"Command",
                     lines.create.c_str());

    RegisterNoOpenWith(libraryFileName, windows6);
    return TRUE;
}

namespace
{
// A shell handler's class keys, its category and its in-process server.
BOOL UpdateHandlerRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering,
                           const wchar_t *typeName)
{
    if (!classObject.UpdateRegistryEx(registering, typeName, true)) return FALSE;
    if (registering)
    {
        classObject.RegisterCategory(CATID_Veltrac);
        classObject.RegisterServerPath(L"Apartment", true);
    }
    return TRUE;
}
} // namespace

BOOL UpdateTaskelInfoTipRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering)
{
    return UpdateHandlerRegistry(classObject, registering, L"File Command Info Tip");
}

BOOL UpdateTaskelPropRegistry(fx::COleObjectFactoryExEx &classObject, BOOL registering)
{
    return UpdateHandlerRegistry(classObject, registering, L"File Command Properties");
}
