// The run flow: one command file of a run request, from the run's trace log
// through loading the command read-only, applying the run switches to its
// options, to the command's run operation.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelFlows.h"

#include "ComMethod.h"
#include "FileOrigin.h"
#include "ForeignRun.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelExecPath.h"
#include "TaskelMessage.h"
#include "TaskelOptions.h"
#include "TaskelRunLog.h"
#include "TaskelTraceSites.h"
#include "Trace.h"

#include "resource.h"

namespace
{

bool IsQuietAndSilent(DWORD options)
{
    const DWORD both = OPT_SILENT | OPT_NOERRORUI;
    return (options & both) == both;
}

// The run switches applied to a freshly loaded command for this run only;
// the verbose trace classes keep what "/v" set for the rest of the process.
void ApplySwitchesToCommand(CTaskel &command, const SwitchSet &switches)
{
    VerboseTraceLevels levels = GetVerboseTraceLevels();
    DWORD options = ApplyRunSwitches(command.GetOptions(), switches, levels);
    SetVerboseTraceLevels(levels);
    command.SetOptions(options);
    // A silent run without error dialogs is background work: it yields to
    // the user's programs for the rest of the process.
    if (IsQuietAndSilent(options))
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

// A command file from the Internet runs only when the user says so: a silent
// or quiet run has no one to ask and leaves it, an interactive one asks
// with "Run" and "Don't run" (the default) on its buttons.
bool AllowForeignRun(HWND owner, const std::wstring &path, const CTaskel &command,
                     const FileOrigin &origin, const SwitchSet &switches)
{
    const unsigned zone = origin.zone;
    if (IsUnattendedRun(switches))
    {
        Trace(1, LoadTaskelString(IDS_TRACE_FOREIGN_UNATTENDED).c_str(), path.c_str(), zone);
        return false;
    }
    const std::wstring prompt =
        ForeignRunPrompt(path, command.GetStoredAction(), command.GetSources(), command.GetTarget(),
                         origin, LoadTaskelString);
    const QuestionButtons buttons = {LoadTaskelString(IDS_FOREIGN_RUN),
                                     LoadTaskelString(IDS_FOREIGN_DONT_RUN)};
    const int answer =
        ShowTaskelQuestion(owner, IDS_FOREIGN_PROMPT, prompt,
                           MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING | MB_SETFOREGROUND, buttons);
    const bool run = answer == IDYES;
    Trace(1, LoadTaskelString(run ? IDS_TRACE_FOREIGN_ALLOWED : IDS_TRACE_FOREIGN_DECLINED).c_str(),
          path.c_str(), zone);
    return run;
}

} // namespace

bool CheckCommandFileExists(HWND owner, const std::wstring &path)
{
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    ShowTaskelMessage(owner, IDS_COMMAND_MISSING, FormatTaskelString(IDS_COMMAND_MISSING, path));
    return false;
}

namespace
{
// The run log's last line for one command file: what the run came to, the
// requests it sent and the entries it left out.
void TraceRunSummary(const std::wstring &path, const wchar_t *result, const RunOutcome &outcome)
{
    Trace(1, L"<<< Run [%s] Result [%s] Sent [%u] Left out [%u]", path.c_str(), result,
          static_cast<unsigned>(outcome.sent), static_cast<unsigned>(outcome.leftOut));
}

const wchar_t *ResultName(RunResult result)
{
    switch (result)
    {
    case RunResult::Done:
        return L"Done";
    case RunResult::Cancelled:
        return L"Cancelled";
    default:
        return L"Failed";
    }
}
} // namespace

HRESULT RunResultCode(RunResult result)
{
    switch (result)
    {
    case RunResult::Done:
        return S_OK;
    case RunResult::Cancelled:
        return E_ABORT;
    default:
        return E_FAIL;
    }
}

HRESULT RunCommandFlow(HWND owner, const std::wstring &path, const SwitchSet &switches,
                       CTaskel *command)
{
    RunOutcome outcome;
    const wchar_t *result = L"Failed";
    const HRESULT hr = fx::ComMethod(
        sites::kRunFlow,
        [&]() -> HRESULT {
            ApplyRunLog(switches, path);
            if (IsTraceEnabled(1))
            {
                Trace(1, L">>> Run [%s]", path.c_str());
                if (!switches.empty()) Trace(1, L"        [%s]", JoinParams(switches).c_str());
            }
            if (!CheckCommandFileExists(owner, path))
            {
                result = L"Missing";
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            }
            std::wstring baseFolder = execpath::ParentFolder(path);

            fx::ComPtr<IDispatch> created;
            if (!command) fx::COleException::ThrowIfFailed(CreateCommandObject(created, command));

            const HRESULT loaded = LoadCommandFile(path, *command);
            if (FAILED(loaded))
            {
                ShowFailure(owner, loaded, sites::kRunOpen);
                result = L"Not read";
                return loaded;
            }
            const FileOrigin origin = ReadFileOrigin(path);
            if (IsForeignOrigin(origin) &&
                !AllowForeignRun(owner, path, *command, origin, switches))
            {
                result = L"Not run";
                return E_ABORT;
            }
            ApplySwitchesToCommand(*command, switches);
            command->Run(baseFolder, owner, &outcome);
            result = ResultName(outcome.result);
            return RunResultCode(outcome.result);
        },
        E_FAIL, 4);
    TraceRunSummary(path, result, outcome);
    return hr;
}
