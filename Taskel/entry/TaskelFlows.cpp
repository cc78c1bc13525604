// The new-command and edit flows. Each traces its landmark line with what
// it was handed. The new-command flow builds a command on a temporary
// storage, runs the wizard and creates the command file (when that fails,
// over an existing file or for any other reason, it tells the user why and
// shows the wizard again with everything entered). The edit flow reports
// a missing file, loads the command through the command page (a damaged
// file is reported and no sheet appears), and shows the sheet with the
// command page and the Preferences page.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelFlows.h"

#include "ComMethod.h"
#include "CommandPage.h"
#include "NewCommandWizard.h"
#include "TaskelPath.h"
#include "PropertySheetExEx.h"
#include "TaskelCommandFile.h"
#include "TaskelMessage.h"
#include "TaskelPreferences.h"
#include "TaskelPropTarget.h"
#include "TaskelTargetRules.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "resource.h"

#include <shlobj.h>
#include <shlwapi.h>

std::wstring EditSheetCaption(const std::wstring &path)
{
    std::wstring name = ::PathFindFileNameW(path.c_str());
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name + L" - " + LoadTaskelString(IDS_APP_TITLE);
}

namespace
{
std::wstring WithoutBackslash(std::wstring folder)
{
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

bool SameFolder(const std::wstring &a, const std::wstring &b)
{
    return ::CompareStringOrdinal(WithoutBackslash(a).c_str(), -1, WithoutBackslash(b).c_str(), -1,
                                  TRUE) == CSTR_EQUAL;
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    ::PathRemoveFileSpecW(path);
    return path;
}

std::wstring DocumentsFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, TRUE)) return std::wstring();
    return path;
}

bool IsExistingFolder(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

std::wstring NewCommandStartFolder(const std::wstring &current, const std::wstring &programFolder,
                                   const std::wstring &remembered, bool rememberedExists,
                                   const std::wstring &documents)
{
    if (!current.empty() && (programFolder.empty() || !SameFolder(current, programFolder)))
        return current;
    if (!remembered.empty() && rememberedExists) return remembered;
    return documents.empty() ? current : documents;
}

NewCommandTarget SplitNewCommandPath(const std::wstring &path)
{
    NewCommandTarget target;
    if (path.empty())
    {
        wchar_t current[MAX_PATH] = {};
        if (!::GetCurrentDirectoryW(MAX_PATH, current)) current[0] = 0;
        const std::wstring remembered = ReadNewCommandPath(CTaskelPropTarget::ProfileKey());
        target.folder = NewCommandStartFolder(current, ProgramFolder(), remembered,
                                              IsExistingFolder(remembered), DocumentsFolder());
        target.withLocation = true;
        return target;
    }
    const size_t slash = path.find_last_of(L'\\');
    target.folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    target.name = name;
    return target;
}

std::wstring NewCommandFilePath(const WizardState &state)
{
    std::wstring folder = state.Folder();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return NormalizeCommandPath(folder + state.Name(), true, true);
}

namespace
{
// A command initialised as new on a temporary compound file that goes away
// with its last release (or, without storage persistence or when that
// fails, as a stream).
HRESULT InitNewCommand(CTaskel &command)
{
    fx::ComPtr<IPersistStorage> persist;
    if (SUCCEEDED(command.ExternalQueryInterface(IID_IPersistStorage, persist.put_void())))
    {
        fx::ComPtr<IStorage> scratch;
        SetTraceLocation(TRACE_SOURCE, __LINE__);
        HRESULT hr = ::StgCreateDocfile(nullptr,
                                        STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE |
                                            STGM_TRANSACTED | STGM_NOSCRATCH | STGM_DELETEONRELEASE,
                                        0, scratch.put());
        LogComErr(2, hr, L"StgCreateDocfile");
        if (SUCCEEDED(hr))
        {
            hr = persist->InitNew(scratch.get());
            if (SUCCEEDED(hr)) return hr;
            // Storage initialisation writes the class's user type, which only
            // a registered class has; a library run from where it was never
            // registered still creates commands: the save writes without it.
            TRACE_HERE();
            LogComErr(2, hr, L"InitNew");
        }
    }
    fx::ComPtr<IPersistStreamInit> stream;
    HRESULT hr = command.ExternalQueryInterface(IID_IPersistStreamInit, stream.put_void());
    return SUCCEEDED(hr) ? stream->InitNew() : hr;
}

bool IsFileExists(HRESULT hr)
{
    return FAILED(hr) && (hr & 0xFFFF) == ERROR_FILE_EXISTS;
}
// The new-command flow inside its trap: the wizard until a file is
// created, the user gives up, or saving fails.
void CreateNewCommand(HWND owner, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"NewCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());

    fx::ComPtr<IDispatch> created;
    CTaskel *command = nullptr;
    fx::COleException::ThrowIfFailed(CreateCommandObject(created, command));
    fx::COleException::ThrowIfFailed(InitNewCommand(*command));

    const NewCommandTarget target = SplitNewCommandPath(path);
    WizardState state(command);
    state.SetFolder(target.folder);
    state.SetName(target.name);
    CNewCommandWizard wizard(owner, state, target.withLocation);
    for (;;)
    {
        INT_PTR result = 0;
        fx::ComMethod(sites::kNewShow, [&] {
            Trace(0x1002, L"Show Wizard");
            result = wizard.DoModal();
            Trace(2, L"Wizard Result [%d]", static_cast<int>(result));
        });
        if (result != IDC_SHEET_FINISH || state.Name().empty()) return;

        const std::wstring file = NewCommandFilePath(state);
        const HRESULT hr = file.empty() ? E_INVALIDARG : SaveNewCommandFile(file, *command);
        if (SUCCEEDED(hr))
        {
            Trace(2, L"  File [%s] Created", file.c_str());
            return;
        }
        if (IsFileExists(hr))
        {
            ShowTaskelMessage(owner, IDS_COMMAND_EXISTS,
                              FormatTaskelString(IDS_COMMAND_EXISTS, state.Name()));
            continue;
        }
        // Any other failure (access denied, a full disk, a path too long):
        // the reason with the file's name, and the wizard again with all
        // that was entered, so the user can choose another place or name.
        ShowFileFailure(owner, file.empty() ? state.Name() : file, hr, sites::kNewSave);
    }
}

// The edit flow inside its trap.
void EditInSheet(HWND owner, const std::wstring &path, const ParamList &params)
{
    if (IsTraceEnabled(1))
        Trace(1, L"EditCommand [%s] [%s]", path.c_str(), JoinParams(params).c_str());
    if (!CheckCommandFileExists(owner, path)) return;

    CPropertySheetExEx sheet(EditSheetCaption(path), owner);
    fx::ComPtr<IDispatch> created;
    CTaskel *command = nullptr;
    fx::COleException::ThrowIfFailed(CreateCommandObject(created, command));
    std::unique_ptr<CPropertyPageExEx> commandPage;
    const HRESULT hr = CreateCommandPage(path, *command, false, commandPage);
    if (FAILED(hr) || !commandPage)
    {
        ShowFailure(owner, FAILED(hr) ? hr : E_FAIL, sites::kEditLoad);
        return;
    }
    CTaskelPreferences preferences;
    sheet.AddPage(*commandPage);
    sheet.AddPage(preferences);
    fx::ComMethod(
        sites::kEditShow,
        [&] {
            Trace(0x1002, L"Show PropSheet");
            const INT_PTR result = sheet.DoModal();
            Trace(0x1002, L"PropSheet Result [%d]", static_cast<int>(result));
        },
        E_FAIL, 2, ShowExceptionTo(owner));
}
} // namespace

void NewCommandFlow(HWND owner, const std::wstring &path, const ParamList &params)
{
    fx::ComMethod(
        sites::kNewFlow, [&] { CreateNewCommand(owner, path, params); }, E_FAIL, 2,
        ShowExceptionTo(owner));
}

void EditCommandFlow(HWND owner, const std::wstring &path, const ParamList &params)
{
    fx::ComMethod(
        sites::kEditFlow, [&] { EditInSheet(owner, path, params); }, E_FAIL, 4);
}
