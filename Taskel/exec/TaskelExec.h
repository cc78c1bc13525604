// CExecPathSpecs, the execution engine of one run: it resolves the
// command's source and target specifications against a base folder,
// expands wildcards and folders into the concrete source list, computes a
// target for every source and builds the double-null lists the shell's
// file operation receives.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "ExecPlan.h"
#include "TaskelExecRules.h"

// What one run dropped and sent, shared by the run and all its parts: a run
// in which entries were dropped and nothing was sent did not do its work.
struct ExecTally
{
    size_t dropped = 0;
    size_t succeeded = 0;     // requests the shell carried out (or a trial run passed)
    size_t sent = 0;          // requests handed to the shell
    size_t failed = 0;        // requests the shell answered with an error
    size_t aborted = 0;       // requests the user cancelled
    ExecPlan *plan = nullptr; // when set, requests are recorded here and not sent
    // The topmost folders this run created (or, making a plan, would
    // create) for its targets: never sources of the same run.
    StringArray made;
    // Making a plan with ExecPlan::found: the entries found and not yet
    // handed over, and the tick of the first of them.
    StringArray found;
    DWORD foundSince = 0;
};

class CExecPathSpecs
{
  public:
    CExecPathSpecs(DWORD action, DWORD flags);
    CExecPathSpecs(const CExecPathSpecs &) = default;
    CExecPathSpecs &operator=(const CExecPathSpecs &) = delete;

    // Resolution and expansion. False (and the error line) when the folder
    // cannot serve as the base of relative specifications.
    bool SetBaseFolder(const std::wstring &folder);
    void SetSources(const std::wstring &doubleNullList);
    void SetSources(const StringArray &specs);
    void SetTarget(const std::wstring &text);
    void ExpandSources(bool withTargets);
    bool ExpandSpec(const std::wstring &spec, StringArray &sources, StringArray *targets,
                    int depth);
    bool MatchSpec(const std::wstring &spec, StringArray &out, int depth);
    // Deepest level of MatchSpec and ExpandSpec: a path of 259 characters
    // has at most 128 components, so no real tree reaches it.
    static constexpr int MAX_MATCH_DEPTH = 128;
    void BuildLists();
    std::unique_ptr<CExecPathSpecs> SplitSource(size_t index) const;
    // A copy of this object for one source and its computed target.
    std::unique_ptr<CExecPathSpecs> MakePair(const std::wstring &source,
                                             const std::wstring &target) const;
    // "Specs [n]" (or the title) and one line per entry, when the level is on.
    static void TraceSpecs(const StringArray &specs, DWORD levelWord, const wchar_t *title,
                           const wchar_t *indent);
    void SetFlags(DWORD clear, DWORD set);

    // Targets.
    void BuildTargets(bool makeTarget);
    std::wstring RenameTarget(const std::wstring &source, const std::wstring &targetEntry) const;
    void MakeTarget(const std::wstring &path) const;

    // Counts an entry left out (too long, no target, refused rename part)
    // and notes it in the plan when one is being made.
    void Dropped(const std::wstring &entry, LeftOutReason reason, size_t count = 1) const
    {
        m_tally->dropped += count;
        if (m_tally->plan) m_tally->plan->leftOut.push_back({entry, reason});
    }
    // A specification that matched nothing, noted in the plan.
    void Missing(const std::wstring &spec) const
    {
        if (m_tally->plan) m_tally->plan->missing.push_back(spec);
    }
    bool Planning() const { return m_tally->plan != nullptr; }
    // An entry the expansion found, for a plan that shows entries as they
    // are found (ExecPlan::found); nothing on a run.
    void Found(const std::wstring &entry) const
    {
        if (m_tally->plan && m_tally->plan->found) NoteFound(entry);
    }
    // Whether `path` (a folder with its trailing backslash, or a file) lies
    // in a folder this run made for its targets.
    bool MadeByThisRun(const std::wstring &path) const
    {
        return !m_tally->made.empty() && LiesInMadeFolder(path);
    }
    ExecTally &Tally() const { return *m_tally; }

    DWORD Action() const { return m_request.wFunc; }
    DWORD Flags() const { return m_flags; }
    const std::wstring &BaseFolder() const { return m_baseFolder; }
    const StringArray &Sources() const { return m_sources; }
    const StringArray &Targets() const { return m_targets; }
    const std::wstring &SourceList() const { return m_sourceList; }
    const std::wstring &Target() const { return m_target; }
    SHFILEOPSTRUCTW &Request() { return m_request; }

    // Level words of the expansion and the per-operation detail traces.
    DWORD ExpansionLevel() const { return m_expansionLevel; }
    DWORD OperationLevel() const { return m_operationLevel; }

  private:
    void Pump() const;
    void NoteFound(const std::wstring &entry) const;
    void HandFound() const;
    void AddTargetEntries(const StringArray &matches, StringArray &targets, size_t at,
                          const std::wstring &text, const std::wstring &name,
                          const std::wstring &rename);
    void BuildRenameTargets();
    void BuildMultiTargets();
    void DropSource(size_t index);
    bool LiesInMadeFolder(const std::wstring &path) const;
    void NoteMadeFolder(const std::wstring &folder) const;
    // Clears every target that an earlier entry already has; the flags of
    // the cleared ones (empty when none was).
    std::vector<bool> DropDuplicateTargets(StringArray &targets) const;
    static LeftOutReason NoTargetReason(const std::vector<bool> &duplicates, size_t index);

    std::shared_ptr<ExecTally> m_tally = std::make_shared<ExecTally>();
    std::wstring m_baseFolder;
    StringArray m_sources;
    StringArray m_targets;
    std::wstring m_sourceList;
    std::wstring m_target;
    SHFILEOPSTRUCTW m_request = {};
    DWORD m_flags = 0;
    int m_preparingIcon = 0, m_preparingTitle = 0;
    int m_actionIcon = 0, m_actionTitle = 0;
    DWORD m_expansionLevel;
    DWORD m_operationLevel;

    // The message pump runs at most once per interval while entries are listed.
    static constexpr DWORD PUMP_INTERVAL_MS = 10;
    mutable DWORD m_lastPump = 0;
    mutable bool m_pumped = false;
};
