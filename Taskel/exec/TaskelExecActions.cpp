// The per-action procedures: which expansion each action asks for, when it
// goes to the shell in one request or in parts, and the traps around them.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExecRun.h"

#include "FxException.h"
#include "PlanTexts.h"
#include "TaskelClass.h"
#include "TaskelOptions.h"
#include "TaskelTraceLevels.h"
#include "Trace.h"

using namespace execpath;

namespace
{
// Exceptions of the procedures are traced under the command's source name.
const char PROCEDURE_SOURCE[] = "Taskel\\TaskelClass";

bool AnyFolderSpec(const StringArray &sources)
{
    for (const std::wstring &source : sources)
        if (IsFolderSpec(source)) return true;
    return false;
}

bool OneRequest(CExecRunner &run)
{
    return run.CheckNothing(nullptr) || run.RunRequest(false);
}

// Step 1 of Move and Copy under X_IGNORE_ERRORS: every source on its own,
// expanded and run part-wise.
bool RunEachSourceInParts(CExecRunner &run, bool copy, bool &result)
{
    if (run.CheckSources())
    {
        result = true;
        return true;
    }
    run.BuildTargets(true);
    for (size_t i = 0; i < run.Sources().size(); ++i)
    {
        std::unique_ptr<CExecRunner> part = run.SplitSource(i);
        part->ShowIcon(true);
        part->ExpandSources(true);
        part->BuildTargets(false);
        part->SetFlags(0, OPT_NORECURSION);
        // A source that matches nothing has nothing to do, as without
        // errors ignored.
        if (part->Sources().empty())
            result = part->CheckNothing(nullptr) || result;
        else if (copy ? part->RunCopyParts() : part->RunMoveParts())
            result = true;
        else if (!part->ShouldContinue())
            return false;
    }
    return true;
}

// Whether an expanded Move or Copy goes to the shell pair by pair.
bool WantsParts(DWORD flags, bool norec, bool folderSpec)
{
    if (norec || !(flags & OPT_MULTIDESTFILES)) return false;
    if ((flags & OPT_SILENT) && (flags & OPT_NOCONFIRMMKDIR)) return true;
    return (flags & (OPT_NOCONFIRMMKDIR | OPT_NOCONFIRMATION)) && folderSpec;
}

bool TransferBody(CExecRunner &run, bool copy, bool &result)
{
    const DWORD action = run.Action();
    const bool renaming = action == ACTION_MOVERENAME || action == ACTION_COPYRENAME;
    if (run.Flags() & OPT_X_IGNORE_ERRORS) return RunEachSourceInParts(run, copy, result);
    if ((run.Flags() & OPT_FILESONLY) && !renaming)
    {
        run.ExpandSources(false);
        run.BuildTargets(true);
        result = OneRequest(run);
        return result;
    }
    const bool norec = (run.Flags() & OPT_NORECURSION) != 0;
    run.ExpandSources(true);
    run.BuildTargets(true);
    const bool folderSpec = AnyFolderSpec(run.Sources());
    bool parts;
    if (copy)
    {
        if (folderSpec) run.SetFlags(0, OPT_MULTIDESTFILES);
        const DWORD flags = run.Flags();
        if ((flags & OPT_NORECURSION) && (flags & OPT_MULTIDESTFILES) && renaming && folderSpec)
            parts = false;
        else
            parts = WantsParts(flags, norec, folderSpec);
    }
    else
    {
        const DWORD flags = run.Flags();
        parts = ((flags & OPT_MULTIDESTFILES) && renaming && folderSpec) ||
                WantsParts(flags, norec, folderSpec);
    }
    if (parts)
        result = run.CheckSources() || (copy ? run.RunCopyParts() : run.RunMoveParts());
    else
        result = OneRequest(run);
    return result;
}

bool DeleteBody(CExecRunner &run, bool &result)
{
    const DWORD flags = run.Flags();
    if (!(flags & OPT_X_IGNORE_ERRORS) && !(flags & OPT_FILESONLY))
    {
        run.ExpandSources(false);
        result = OneRequest(run);
        return result;
    }
    if (run.CheckSources())
    {
        result = true;
        return true;
    }
    for (size_t i = 0; i < run.Sources().size(); ++i)
    {
        std::unique_ptr<CExecRunner> part = run.SplitSource(i);
        part->ShowIcon(true);
        if (IsFolderSpec(part->Sources()[0]))
        {
            part->SetFlags(OPT_FILESONLY, OPT_NORECURSION);
            part->ExpandSources(false);
            part->SetFlags(0, run.CommandOptions() & OPT_FILESONLY);
        }
        else
            part->ExpandSources(false);
        part->SetFlags(OPT_MULTIDESTFILES, 0);
        if (!(flags & OPT_X_IGNORE_ERRORS))
        {
            if (OneRequest(*part))
                result = true;
            else if (!part->ShouldContinue())
                return false;
            continue;
        }
        if (part->CheckSources())
        {
            result = true;
            continue;
        }
        for (size_t j = 0; j < part->Sources().size(); ++j)
        {
            std::unique_ptr<CExecRunner> item = part->SplitSource(j);
            item->ShowIcon(false);
            item->BuildLists();
            item->SetFlags(0, OPT_NORECURSION);
            if (OneRequest(*item))
                result = true;
            else if (!item->ShouldContinue())
                return false;
        }
    }
    return true;
}

bool RenameBody(CExecRunner &run, bool &result)
{
    run.ExpandSources(true);
    run.BuildTargets(false);
    if (run.CheckSources())
    {
        result = true;
        return true;
    }
    for (size_t i = 0; i < run.Sources().size(); ++i)
    {
        std::unique_ptr<CExecRunner> part = run.SplitSource(i);
        part->ShowIcon(false);
        part->BuildLists();
        part->SetFlags(0, OPT_NORECURSION);
        if (OneRequest(*part))
            result = true;
        else if (!part->ShouldContinue())
            return false;
    }
    return true;
}

enum Kind
{
    KIND_MOVE,
    KIND_COPY,
    KIND_DELETE,
    KIND_RENAME,
};

// What a procedure's result and its tally come to: done only when no
// request failed or was cancelled, also when errors were ignored.
RunOutcome OutcomeOf(bool result, const ExecTally &tally)
{
    RunOutcome outcome;
    outcome.sent = tally.sent;
    outcome.leftOut = tally.dropped;
    if (tally.aborted > 0)
        outcome.result = RunResult::Cancelled;
    else if (!result || tally.failed > 0)
        outcome.result = RunResult::Failed;
    else
        outcome.result = RunResult::Done;
    return outcome;
}

// The common start and end around one procedure's body.
bool RunProcedure(Kind kind, const ExecCommand &command, const std::wstring &baseFolder, HWND owner,
                  ExecPlan *plan = nullptr, RunOutcome *outcome = nullptr)
{
    bool result = false;
    ExecTally last;
    try
    {
        const bool transfer = kind == KIND_MOVE || kind == KIND_COPY;
        const DWORD options =
            kind == KIND_RENAME ? command.options | OPT_FILESONLY : command.options;
        CExecRunner run(command.action, options);
        run.SetPlan(plan);
        run.Prepare(owner, baseFolder);
        if (!run.HasBaseFolder())
        {
            // Relative specifications would resolve against some other
            // folder: nothing of this command runs.
            Trace(2, L"Base folder unusable [%s]", baseFolder.c_str());
            return false;
        }
        run.SetSources(command.sourceList);
        if (transfer) run.SetTarget(command.target);
        run.TraceListing(false, L"before");
        if (transfer) run.TraceListing(true, L"before");
        run.TraceStart();

        bool ended = false;
        switch (kind)
        {
        case KIND_MOVE:
        case KIND_COPY:
            ended = !TransferBody(run, kind == KIND_COPY, result);
            break;
        case KIND_DELETE:
            ended = !DeleteBody(run, result);
            break;
        case KIND_RENAME:
            ended = !RenameBody(run, result);
            break;
        }
        if (ended) result = false;
        const ExecTally &tally = run.Tally();
        last = tally;
        if (result && tally.dropped > 0 && tally.succeeded == 0)
        {
            // Everything the command named was left out: not done.
            Trace(2, L"All entries dropped [%u]", static_cast<unsigned>(tally.dropped));
            result = false;
        }

        DWORD operationLevel = OperationTraceLevel();
        // A preview changed nothing: there is no "after" to list.
        if (!plan && result && IsTraceEnabled(operationLevel))
        {
            run.SetFlags(command.optionMask, options & command.optionMask);
            run.SetSources(command.sourceList);
            if (transfer) run.SetTarget(command.target);
            if (kind != KIND_COPY) run.TraceListing(false, L"after");
            if (transfer) run.TraceListing(true, L"after");
        }
    }
    catch (const PlanCancelled &)
    {
        plan->cancelled = true;
        result = false;
    }
    TRACE_CATCH_ALL_IN(2, PROCEDURE_SOURCE, __LINE__)
    if (plan) plan->done = result;
    if (outcome) *outcome = OutcomeOf(result, last);
    return result;
}

Kind KindOf(DWORD action)
{
    switch (action)
    {
    case ACTION_MOVE:
    case ACTION_MOVERENAME:
        return KIND_MOVE;
    case ACTION_COPY:
    case ACTION_COPYRENAME:
        return KIND_COPY;
    case ACTION_DELETE:
        return KIND_DELETE;
    default:
        return KIND_RENAME;
    }
}

} // namespace

ExecCommand ExecCommandOf(CTaskel &command)
{
    return {command.GetStoredAction(), command.GetOptions(), command.GetSourceList(),
            command.GetTarget(), command.GetOptionMask()};
}

bool PreviewCommandLines(CTaskel &command, const std::wstring &baseFolder, std::wstring &lines)
{
    const ExecCommand planned = ExecCommandOf(command);
    ExecPlan plan;
    PlanCommand(planned, baseFolder, plan);
    const std::vector<std::wstring> header = PlanColumnNames();
    lines = TabText(PlanRows(plan, PlanFunc(planned.action), SystemDisk()), LibraryPlanTexts(),
                    &header);
    return true;
}

bool RunMove(const ExecCommand &command, const std::wstring &baseFolder, HWND owner)
{
    return RunProcedure(KIND_MOVE, command, baseFolder, owner);
}

bool RunCopy(const ExecCommand &command, const std::wstring &baseFolder, HWND owner)
{
    return RunProcedure(KIND_COPY, command, baseFolder, owner);
}

bool RunDelete(const ExecCommand &command, const std::wstring &baseFolder, HWND owner)
{
    return RunProcedure(KIND_DELETE, command, baseFolder, owner);
}

bool RunRename(const ExecCommand &command, const std::wstring &baseFolder, HWND owner)
{
    return RunProcedure(KIND_RENAME, command, baseFolder, owner);
}

bool RunExecCommand(const ExecCommand &command, const std::wstring &baseFolder, HWND owner,
                    RunOutcome *outcome)
{
    return RunProcedure(KindOf(command.action), command, baseFolder, owner, nullptr, outcome);
}

bool RunLoadedCommand(CTaskel &command, const std::wstring &baseFolder, HWND owner,
                      RunOutcome *outcome)
{
    return RunExecCommand(ExecCommandOf(command), baseFolder, owner, outcome);
}

bool PlanCommand(const ExecCommand &command, const std::wstring &baseFolder, ExecPlan &plan)
{
    ExecCommand planned = command;
    planned.options &= ~static_cast<DWORD>(OPT_TRIAL_RUN);
    return RunProcedure(KindOf(command.action), planned, baseFolder, nullptr, &plan);
}

void InstallShellRunner()
{
    TaskelRunner runner;
    runner.move = RunLoadedCommand;
    runner.copy = RunLoadedCommand;
    runner.remove = RunLoadedCommand;
    runner.rename = RunLoadedCommand;
    runner.preview = PreviewCommandLines;
    SetTaskelRunner(runner);
}
