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
        ForeignRunPrompt(path, command.GetStoredAction(), command.GetSources(),
                         command.GetTarget(), origin, LoadTaskelString);
    const QuestionButtons buttons = {LoadTaskelString(IDS_FOREIGN_RUN),
                                     LoadTaskelString(IDS_FOREIGN_DONT_RUN)};
    const int answer = ShowTaskelQuestion(owner, IDS_FOREIGN_PROMPT, prompt,
                                          MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING |
                                              MB_SETFOREGROUND,
                                          buttons);
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

void RunCommandFlow(HWND owner, const std::wstring &path, const SwitchSet &switches,
                    CTaskel *command)
{
    fx::ComMethod(
        sites::kRunFlow,
        [&] {
            ApplyRunLog(switches, path);
            if (IsTraceEnabled(1))
            {
                Trace(1, L">>> Run [%s]", path.c_str());
                if (!switches.empty()) Trace(1, L"        [%s]", JoinParams(switches).c_str());
            }
            if (!CheckCommandFileExists(owner, path)) return;
            std::wstring baseFolder = execpath::ParentFolder(path);

            fx::ComPtr<IDispatch> created;
            if (!command) fx::COleException::ThrowIfFailed(CreateCommandObject(created, command));

            const HRESULT hr = LoadCommandFile(path, *command);
            if (FAILED(hr))
            {
                ShowFailure(owner, hr, sites::kRunOpen);
                return;
            }
            const FileOrigin origin = ReadFileOrigin(path);
            if (IsForeignOrigin(origin) &&
                !AllowForeignRun(owner, path, *command, origin, switches))
                return;
            ApplySwitchesToCommand(*command, switches);
            command->Run(baseFolder, owner);
        },
        E_FAIL, 4);
}
