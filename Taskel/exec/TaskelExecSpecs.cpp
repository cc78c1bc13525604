// CExecPathSpecs resolution and expansion: the command's specifications are
// resolved against the base folder, then each is either handed to the shell
// as it is or enumerated by the engine, and the shell's recursion switch is
// decided from what was done.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExec.h"

#include <shlwapi.h>

#include "MessagePump.h"
#include "TaskelOptions.h"
#include "TaskelTraceLevels.h"
#include "Trace.h"

using namespace execpath;

using namespace execspec;

CExecPathSpecs::CExecPathSpecs(DWORD action, DWORD flags)
{
    VerboseTraceLevels levels = GetVerboseTraceLevels();
    m_expansionLevel = levels.expansion;
    m_operationLevel = levels.operation;
    m_request.wFunc = action;
    SetFlags(0, flags);
}

void CExecPathSpecs::SetFlags(DWORD clear, DWORD set)
{
    m_flags = (m_flags & ~clear) | set;
    m_request.fFlags = static_cast<FILEOP_FLAGS>(m_flags & OPT_SHELL_MASK);
}

void CExecPathSpecs::Pump() const
{
    if (const ExecPlan *plan = m_tally->plan)
    {
        // A preview shows no tray icon; it stops here when it is cancelled.
        if (plan->cancel && plan->cancel->load(std::memory_order_relaxed)) throw PlanCancelled();
        // Entries found a while ago go out even when few follow them.
        if (!m_tally->found.empty() &&
            GetTickCount() - m_tally->foundSince >= ExecPlan::FOUND_WAIT_MS)
            HandFound();
        return;
    }
    if (m_flags & OPT_X_NO_ANIMATION) return;
    // Under Wine every look at the queue is a server round trip that costs
    // more than listing a file; the tray animation needs far fewer turns.
    const DWORD now = GetTickCount();
    if (m_pumped && now - m_lastPump < PUMP_INTERVAL_MS) return;
    m_pumped = true;
    m_lastPump = now;
    fx::PumpAll(100);
}

void CExecPathSpecs::NoteFound(const std::wstring &entry) const
{
    ExecTally &tally = *m_tally;
    if (tally.found.empty())
    {
        tally.found.reserve(ExecPlan::FOUND_BATCH);
        tally.foundSince = GetTickCount();
    }
    tally.found.push_back(entry);
    if (tally.found.size() >= ExecPlan::FOUND_BATCH) HandFound();
}

void CExecPathSpecs::HandFound() const
{
    StringArray entries;
    entries.swap(m_tally->found);
    m_tally->plan->found(entries);
}

bool CExecPathSpecs::SetBaseFolder(const std::wstring &folder)
{
    m_baseFolder.clear();
    if (folder.size() > MAX_PATH_CHARS)
    {
        TraceTooLong(folder);
        return false;
    }
    std::wstring qualified;
    wchar_t buffer[MAX_PATH];
    if (PrefixLength(folder) > 0)
    {
        if (!CanonicalizePath(folder, qualified)) return false;
    }
    else if (!folder.empty() && PathSearchAndQualifyW(folder.c_str(), buffer, MAX_PATH))
        qualified = buffer;
    if (qualified.empty() || NeedsBase(qualified) || IsUrl(qualified)) return false;
    m_baseFolder = qualified;
    return true;
}

namespace
{
// `path` combined with `base` when it is relative or drive-relative, then
// canonicalised. False (and the error line) when the result would not fit:
// the shell's helpers would cut it and name a different file.
bool ResolvePath(const std::wstring &base, const std::wstring &path, std::wstring &resolved)
{
    std::wstring joined = path;
    if (NeedsBase(path))
    {
        // Relative specifications mean the command's folder and no other.
        if (base.empty())
        {
            Trace(2, L"No base folder for [%s]", path.c_str());
            return false;
        }
        std::wstring root = base;
        if (IsDriveRelative(path))
        {
            wchar_t stripped[MAX_PATH];
            lstrcpynW(stripped, base.c_str(), MAX_PATH);
            PathStripToRootW(stripped);
            root = RemoveBackslash(stripped);
        }
        joined = path.empty()
                     ? base
                     : AddBackslash(root) + (IsDriveRelative(path) ? path.substr(1) : path);
        if (joined.size() > MAX_PATH_CHARS || path.size() > MAX_PATH_CHARS)
        {
            TraceTooLong(joined);
            return false;
        }
        wchar_t combined[MAX_PATH];
        if (!PathCombineW(combined, base.c_str(), path.c_str())) return false;
        joined = combined;
    }
    if (joined.size() > MAX_PATH_CHARS)
    {
        TraceTooLong(joined);
        return false;
    }
    return CanonicalizePath(joined, resolved);
}
} // namespace

void CExecPathSpecs::SetSources(const std::wstring &doubleNullList)
{
    SetSources(SplitDoubleNull(doubleNullList));
}

void CExecPathSpecs::SetSources(const StringArray &specs)
{
    SetFlags(0, 0);
    m_sources.clear();
    for (const std::wstring &spec : specs)
    {
        std::wstring path, rename, resolved;
        SplitRenamePart(spec, path, rename);
        if (!IsSafeRenamePart(rename))
        {
            // A rename part that names another folder would take files out
            // of their target folder: that source fails.
            Trace(2, L"Invalid rename part [%s]", spec.c_str());
            Dropped(spec, LeftOutReason::UnsafeRename);
            continue;
        }
        if (!ResolvePath(m_baseFolder, path, resolved))
        {
            Dropped(spec, LeftOutReason::Unresolved);
            continue;
        }
        if (!rename.empty()) resolved += L">" + rename;
        m_sources.push_back(resolved);
    }
}

void CExecPathSpecs::SetTarget(const std::wstring &text)
{
    SetFlags(0, 0);
    if (IsUrl(text))
    {
        wchar_t buffer[MAX_URL_CHARS];
        DWORD size = MAX_URL_CHARS;
        m_target = SUCCEEDED(UrlCanonicalizeW(text.c_str(), buffer, &size, 0)) ? buffer : text;
        return;
    }
    std::wstring resolved;
    if (ResolvePath(m_baseFolder, text, resolved))
    {
        m_target = resolved;
        return;
    }
    // Without its target nothing of the command may run: relative target
    // entries would otherwise land in the current folder.
    Dropped(text, LeftOutReason::Unresolved);
    for (const std::wstring &source : m_sources)
        Dropped(source, LeftOutReason::NoTarget);
    m_target.clear();
    m_sources.clear();
}

void CExecPathSpecs::ExpandSources(bool withTargets)
{
    const DWORD action = Action();
    StringArray specs;
    specs.swap(m_sources);
    m_targets.clear();

    for (const std::wstring &spec : specs)
    {
        Pump();
        const DWORD saved = m_flags;
        if (IsFolderSpec(spec) && action != ACTION_RENAME) SetFlags(OPT_FILESONLY, 0);
        const size_t found = m_sources.size();
        const size_t dropped = m_tally->dropped;
        ExpandSpec(spec, m_sources, withTargets ? &m_targets : nullptr, 0);
        if (m_sources.size() == found && m_tally->dropped == dropped) Missing(spec);
        if (IsTraceEnabled(1) && !(m_flags & OPT_NORECURSION))
        {
            if ((m_flags & EXEC_RECURSION_ON) && (m_flags & EXEC_RECURSION_OFF))
                Trace(m_expansionLevel, L"*** Recursion paradox *** [%s]", spec.c_str());
            else if (m_flags & EXEC_RECURSION_OFF)
                Trace(m_expansionLevel, L"    Disable recursion for [%s]", spec.c_str());
        }
        if (saved & OPT_FILESONLY) SetFlags(0, OPT_FILESONLY);
    }

    if (!(m_flags & OPT_NORECURSION) && (m_flags & EXEC_RECURSION_OFF) &&
        !(m_flags & EXEC_RECURSION_ON))
    {
        SetFlags(0, OPT_NORECURSION);
        Trace(1, (m_flags & OPT_FILESONLY) ? L"  Recursion disabled - files enumerated"
                                           : L"  Recursion disabled - source enumerated");
    }
    SetFlags(EXEC_SCRATCH_BITS, 0);

    if (!withTargets)
        SetFlags(OPT_MULTIDESTFILES, 0);
    else if (!(m_flags & OPT_MULTIDESTFILES) && m_sources.size() > 1)
    {
        m_targets.resize(m_sources.size());
        SetFlags(0, OPT_MULTIDESTFILES);
    }
    m_sourceList = DoubleNullList(m_sources, m_operationLevel, L"    Source [%s]");
    SetFlags(0, 0);
}

void CExecPathSpecs::AddTargetEntries(const StringArray &matches, StringArray &targets, size_t at,
                                      const std::wstring &text, const std::wstring &name,
                                      const std::wstring &rename)
{
    StringArray entries;
    entries.reserve(matches.size());
    for (const std::wstring &match : matches)
        entries.push_back(MatchTargetEntry(Action(), m_flags, match, text, name, rename));
    targets.insert(targets.begin() + static_cast<ptrdiff_t>(at), entries.begin(), entries.end());
}

bool CExecPathSpecs::ExpandSpec(const std::wstring &spec, StringArray &sources,
                                StringArray *targets, int depth)
{
    const DWORD action = Action();
    const bool isDelete = action == ACTION_DELETE;
    const std::wstring indent(2 * static_cast<size_t>(depth), L' ');
    const size_t sourceAt = sources.size();
    const size_t targetAt = targets ? targets->size() : 0;

    CExecFilePath path;
    path.SetSpec(spec);
    const std::wstring rename = path.TakeRenamePart();
    Trace(m_expansionLevel, L"%s  Expand   [%s] Target [%s] Flags [%s]", indent.c_str(),
          spec.c_str(), rename.c_str(), OptionNames(m_flags).c_str());
    if (!path.IsValid())
    {
        TraceTooLong(spec);
        Dropped(spec, LeftOutReason::TooLong);
        return false;
    }
    if (depth > MAX_MATCH_DEPTH)
    {
        Trace(2, L"Match too deep [%s]", spec.c_str());
        Dropped(spec, LeftOutReason::TooDeep);
        return false;
    }

    std::wstring text, name;
    const std::wstring combined = path.Combine();
    const bool root = IsRootOrShare(combined);
    if (root)
    {
        path.SetFilePart(L"*.*");
        text = path.Combine();
    }
    else if (HasWildcard(FileNamePart(combined)))
        text = combined;
    else
    {
        text = path.Folder(false);
        name = path.FilePart();
        if (name.empty())
        {
            name = FileNamePart(text);
            text = ParentFolder(text);
        }
    }

    bool added = false, addSelf = true;
    StringArray matches;
    if (IsEnumerable(action, m_flags, path))
    {
        if (MatchSpec(path.Combine(), matches, depth))
        {
            if (!matches.empty()) SetFlags(0, OPT_MULTIDESTFILES);
            if (targets)
                AddTargetEntries(matches, *targets, isDelete ? targetAt : targets->size(), text,
                                 name, rename);
            sources.insert(sources.begin() +
                               static_cast<ptrdiff_t>(isDelete ? sourceAt : sources.size()),
                           matches.begin(), matches.end());
            added = true;
        }
        addSelf = MatchesPattern(action, m_flags, path.Combine(), path);
    }
    if (root && !IsRenameAction(action)) addSelf = false;
    if (!addSelf) return added;

    std::wstring self = path.Combine(), suffix;
    bool keepRename = true;
    const bool norecursion = (m_flags & OPT_NORECURSION) != 0;
    auto markWild = [&]() {
        if (norecursion) return;
        SetFlags(0, added ? EXEC_RECURSION_OFF : EXEC_RECURSION_ON);
        suffix = added ? L" (disable recursion)" : L" (enable recursion)";
    };
    if (IsFolderSpec(self))
    {
        self = path.Folder(false);
        keepRename = false;
        markWild();
    }
    else if (HasWildcard(FileNamePart(self)))
    {
        markWild();
        // The shell matches this wildcard itself: a rename part has no name
        // to apply to and would rename the target instead.
        keepRename = false;
        if (added) self = path.Folder(true);
    }
    else if (!norecursion)
    {
        SetFlags(0, EXEC_RECURSION_OFF);
        suffix = L" (disable recursion)";
    }

    // With FILESONLY a plain file is also found by its own scan; listing it
    // twice would make the shell fail on a file it has already handled.
    for (const std::wstring &match : matches)
    {
        if (EqualNoCase(match, self))
        {
            Trace(m_expansionLevel, L"    Already listed [%s]", self.c_str());
            return true;
        }
    }

    Trace(m_expansionLevel, L"    Add Source [%s]%s", self.c_str(), suffix.c_str());
    const std::wstring part = keepRename ? rename : std::wstring();
    std::wstring entry = name.empty() ? part : part.empty() ? name : name + L">" + part;
    if (isDelete)
    {
        sources.push_back(self);
        if (targets) targets->push_back(entry);
    }
    else
    {
        sources.insert(sources.begin() + static_cast<ptrdiff_t>(sourceAt), self);
        if (targets) targets->insert(targets->begin() + static_cast<ptrdiff_t>(targetAt), entry);
    }
    return true;
}
