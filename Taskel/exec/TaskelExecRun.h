// The operation runner: CExecRunner turns the engine's lists into calls of
// the shell's file operation, in one request or in parts, with the tray
// icon and the traces of each step; the per-action procedures drive it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "TaskelExec.h"

class CTaskel;
class CTaskelProgress;
struct RunOutcome;

// The shell's file operation and the release of its name mappings; tests
// install their own to record requests and answer them. Null restores the
// system's.
struct FileOperationSeam
{
    int (*operate)(SHFILEOPSTRUCTW *request);
    void (*freeMappings)(HANDLE mappings);
};
void SetFileOperationSeam(const FileOperationSeam *seam);
// Frees what the shell returned in hNameMappings (through the seam).
void FreeNameMappings(HANDLE mappings);

// What the shell returns in hNameMappings: the count and the array of
// old and new paths.
struct ShellNameMappings
{
    UINT count;
    SHNAMEMAPPINGW *mappings;
};

namespace execrun
{
// `entry` begins with the first `count` characters of `prefix`
// (case-insensitive) followed by its end or a path separator.
bool BeginsWithPath(const std::wstring &entry, const wchar_t *prefix, size_t count);
// Rewrites the consecutive entries from `current` on that lie at or below
// a mapping's old path to its new path.
void ApplyNameMappings(StringArray &targets, size_t current, const ShellNameMappings &mappings,
                       DWORD level);
// After sources[current] moved to `movedTo`, later sources inside it are
// moved with it. Returns whether any changed.
bool ApplyMovePath(StringArray &sources, size_t current, const std::wstring &movedTo, DWORD level);
// Whether `entry` lies inside the folder `last` copied before.
bool LiesInside(const std::wstring &last, const std::wstring &entry);
} // namespace execrun

class CExecRunner
{
  public:
    // `options` are the command's; the flags add the shell's
    // no-connected-elements and no-recurse-reparse bits.
    CExecRunner(DWORD action, DWORD options);
    ~CExecRunner();
    CExecRunner(const CExecRunner &) = delete;
    CExecRunner &operator=(const CExecRunner &) = delete;

    // Engine steps; every request sends the engine's current lists, so a
    // pair the engine drops leaves the others paired.
    void SetSources(const std::wstring &doubleNullList);
    void SetTarget(const std::wstring &text);
    void ExpandSources(bool withTargets);
    void BuildTargets(bool makeTarget);
    void BuildLists();
    void SetFlags(DWORD clear, DWORD set) { m_specs->SetFlags(clear, set); }
    // A part for source `index` sharing this runner's tray icon; null when
    // out of range.
    std::unique_ptr<CExecRunner> SplitSource(size_t index) const;

    // Makes this run a preview: requests go to `plan` instead of the shell,
    // no folder is created and no tray icon shows.
    void SetPlan(ExecPlan *plan) { m_specs->Tally().plan = plan; }
    void Prepare(HWND window, const std::wstring &baseFolder);
    void TraceStart();
    void ShowIcon(bool preparing);
    bool CheckNothing(const wchar_t *title);
    bool CheckSources();
    bool RunRequest(bool asPart);
    bool ShouldContinue() const;
    bool RunMoveParts();
    bool RunCopyParts();
    void TraceRequest(const wchar_t *title) const;
    // "before"/"after" listing of the sources or the target with their
    // attributes and times.
    void TraceListing(bool target, const wchar_t *when) const;

    DWORD Action() const { return m_specs->Action(); }
    DWORD Flags() const { return m_specs->Flags(); }
    DWORD CommandOptions() const { return m_options; }
    const StringArray &Sources() const { return m_specs->Sources(); }
    const std::wstring &SourceList() const { return m_specs->SourceList(); }
    const std::wstring &Target() const { return m_specs->Target(); }
    // False when Prepare could not use the base folder.
    bool HasBaseFolder() const { return m_hasBase; }
    const ExecTally &Tally() const { return m_specs->Tally(); }
    SHFILEOPSTRUCTW &Request() { return m_specs->Request(); }
    const CTaskelProgress *Progress() const { return m_progress; }
    int PreparingIcon() const { return m_preparingIcon; }
    int ActionIcon() const { return m_actionIcon; }

  private:
    CExecRunner(const CExecRunner &parent, std::unique_ptr<CExecPathSpecs> specs);
    std::unique_ptr<CExecRunner> MakePart(const std::wstring &source,
                                          const std::wstring &target) const;
    // Runs one part of a part-wise walk; false when the walk must stop.
    bool RunPart(CExecRunner &part, bool &result);
    void ApplyMappings(CExecRunner &part, StringArray &targets, size_t current) const;
    void Pump() const;

    std::unique_ptr<CExecPathSpecs> m_specs;
    DWORD m_options;
    bool m_hasBase = true;
    int m_preparingIcon = 0, m_preparingTitle = 0;
    int m_actionIcon = 0, m_actionTitle = 0;
    CTaskelProgress *m_progress = nullptr;
    std::unique_ptr<CTaskelProgress> m_ownedProgress;
};

// The command as the procedures need it.
struct ExecCommand
{
    DWORD action;
    DWORD options;
    std::wstring sourceList; // double-null
    std::wstring target;
    DWORD optionMask; // the options that apply to the action
};

// The per-action procedures: true when the run counts as done (something
// succeeded or there was nothing to do). They trap every exception.
bool RunMove(const ExecCommand &command, const std::wstring &baseFolder, HWND owner);
bool RunCopy(const ExecCommand &command, const std::wstring &baseFolder, HWND owner);
bool RunDelete(const ExecCommand &command, const std::wstring &baseFolder, HWND owner);
bool RunRename(const ExecCommand &command, const std::wstring &baseFolder, HWND owner);

// Any action's procedure, filling in `outcome` when given: the result
// (done only when no request failed or was cancelled), the requests sent
// and the entries left out.
bool RunExecCommand(const ExecCommand &command, const std::wstring &baseFolder, HWND owner,
                    RunOutcome *outcome);
// The same for a loaded command object (what CTaskel::Run dispatches to).
bool RunLoadedCommand(CTaskel &command, const std::wstring &baseFolder, HWND owner,
                      RunOutcome *outcome);

// The plan of a run of `command`: the same procedure as the run, with every
// request recorded in `plan` instead of sent (see ExecPlan.h). A command's
// trial-run option is left out: the plan shows what a real run would do.
// Returns what the run would report.
bool PlanCommand(const ExecCommand &command, const std::wstring &baseFolder, ExecPlan &plan);
// A loaded command as the procedures take it.
ExecCommand ExecCommandOf(CTaskel &command);
// The plan's rows as tab-separated lines with the column names first (the
// automation interface's Preview).
bool PreviewCommandLines(CTaskel &command, const std::wstring &baseFolder, std::wstring &lines);

// Makes CTaskel::Run dispatch to the four procedures above.
void InstallShellRunner();
