// The preview flow: one command file's plan in the preview window or in a
// CSV file.
#define TRACE_SOURCE "Taskel\\TaskelPreview"
#include "TaskelPreviewFlow.h"

#include <shlwapi.h>

#include "ComPtr.h"
#include "NoCase.h"
#include "PlanTexts.h"
#include "PreviewExport.h"
#include "PreviewWindow.h"
#include "TaskelCommandFile.h"
#include "TaskelExecPath.h"
#include "TaskelFlows.h"
#include "TaskelMessage.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{

const wchar_t kCsvSwitch[] = L"/csv:";

std::wstring FullPath(const std::wstring &path)
{
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
}

HRESULT WriteCsv(const std::wstring &csvPath, const ExecCommand &command,
                 const std::wstring &baseFolder)
{
    ExecPlan plan;
    PlanCommand(command, baseFolder, plan);
    const std::vector<PlanRow> rows = PlanRows(plan, PlanFunc(command.action), SystemDisk());
    const std::wstring path = FullPath(csvPath);
    const DWORD error =
        WriteFileWhole(path, Utf8WithBom(CsvText(rows, LibraryPlanTexts(), PlanColumnNames())));
    const HRESULT hr = HRESULT_FROM_WIN32(error);
    if (SUCCEEDED(hr))
        Trace(1, L"  Preview written [%s] [%u]", path.c_str(), static_cast<unsigned>(rows.size()));
    else
        LogWinErr(1, static_cast<DWORD>(hr & 0xFFFF), L"  Preview not written [%s]", path.c_str());
    return hr;
}

} // namespace

std::wstring PreviewCsvPath(const ParamList &params)
{
    const size_t length = wcslen(kCsvSwitch);
    for (const std::wstring &param : params)
        if (param.size() > length && EqualNoCase(param.substr(0, length), kCsvSwitch))
        {
            std::wstring path = param.substr(length);
            if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
                path = path.substr(1, path.size() - 2);
            return path;
        }
    return std::wstring();
}

HRESULT PreviewCommandFlow(HWND owner, const std::wstring &path, const ParamList &params)
{
    const std::wstring csv = PreviewCsvPath(params);
    Trace(1, L">>> Preview [%s]", path.c_str());
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES
                                          : ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        // A script gets the code; a person is told.
        if (!csv.empty())
        {
            Trace(1, L"  No command file [%s]", path.c_str());
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        CheckCommandFileExists(owner, path);
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }

    fx::ComPtr<IDispatch> created;
    CTaskel *command = nullptr;
    HRESULT hr = CreateCommandObject(created, command);
    if (SUCCEEDED(hr)) hr = LoadCommandFile(path, *command);
    if (FAILED(hr))
    {
        if (csv.empty())
            ShowFailure(owner, hr, sites::kRunOpen);
        else
            LogWinErr(1, static_cast<DWORD>(hr & 0xFFFF), L"  Preview of [%s]", path.c_str());
        return hr;
    }
    // Relative specifications resolve as in a run of the file.
    const std::wstring baseFolder = CTaskel::RunBaseFolder(execpath::ParentFolder(path));
    const ExecCommand planned = ExecCommandOf(*command);
    if (!csv.empty()) return WriteCsv(csv, planned, baseFolder);

    PreviewSource source;
    source.name = ::PathFindFileNameW(path.c_str());
    source.command = planned;
    source.baseFolder = baseFolder;
    // Run runs the file as a double-click would: a command from the
    // Internet still asks first.
    source.run = [path](HWND window) { RunCommandFlow(window, path, SwitchSet()); };
    ShowPreviewWindow(owner, source);
    return S_OK;
}
