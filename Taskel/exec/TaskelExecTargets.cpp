// CExecPathSpecs targets and lists: the double-null lists handed to the
// shell, per-source parts, the target of every source (one common path,
// one full path per source, or the new names of a rename) and the creation
// of missing target folders.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExec.h"

#include <shlwapi.h>

#include <algorithm>
#include <unordered_set>

#include "FxException.h"
#include "RenamePattern.h"
#include "TaskelOptions.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "UniqueHandle.h"

using namespace execpath;

using namespace execspec;

void CExecPathSpecs::BuildLists()
{
    m_sourceList = DoubleNullList(m_sources, m_operationLevel, L"    Source [%s]");
    if (!m_targets.empty())
        m_target = DoubleNullList(m_targets, m_operationLevel, L"    Target [%s]");
}

std::unique_ptr<CExecPathSpecs> CExecPathSpecs::SplitSource(size_t index) const
{
    if (index >= m_sources.size()) return nullptr;
    std::unique_ptr<CExecPathSpecs> part(new CExecPathSpecs(*this));
    part->m_sources.assign(1, m_sources[index]);
    part->m_targets.clear();
    if (index < m_targets.size()) part->m_targets.push_back(m_targets[index]);
    part->SetFlags(OPT_MULTIDESTFILES, 0);
    // The part's list is its own source; its target stays the command's
    // until it builds its targets.
    part->m_sourceList = DoubleNullList(part->m_sources, 0, nullptr);
    return part;
}

std::unique_ptr<CExecPathSpecs> CExecPathSpecs::MakePair(const std::wstring &source,
                                                         const std::wstring &target) const
{
    std::unique_ptr<CExecPathSpecs> pair(new CExecPathSpecs(*this));
    pair->m_sources.assign(1, source);
    pair->m_targets.assign(1, target);
    pair->m_sourceList = DoubleNullList(pair->m_sources, 0, nullptr);
    pair->m_target = DoubleNullList(pair->m_targets, 0, nullptr);
    return pair;
}

void CExecPathSpecs::TraceSpecs(const StringArray &specs, DWORD levelWord, const wchar_t *title,
                                const wchar_t *indent)
{
    if (!IsTraceEnabled(levelWord)) return;
    Trace(levelWord, L"%s%s [%u]", indent, title && *title ? title : L"Specs",
          static_cast<unsigned>(specs.size()));
    for (const std::wstring &spec : specs)
        Trace(levelWord | TRACE_HELD, L"%s  [%s]", indent, spec.c_str());
}

void CExecPathSpecs::DropSource(size_t index)
{
    m_sources.erase(m_sources.begin() + static_cast<ptrdiff_t>(index));
    m_targets.erase(m_targets.begin() + static_cast<ptrdiff_t>(index));
}

void CExecPathSpecs::BuildTargets(bool makeTarget)
{
    if (IsTraceEnabled(1) && !makeTarget)
        Trace(m_operationLevel, L"    Target [%s]", m_target.c_str());
    if (!IsUrl(m_target)) m_target = RemoveBackslash(m_target);
    if (makeTarget)
    {
        Trace(1, L"  ==> Make Target [%s]", m_target.c_str());
        MakeTarget(m_target);
    }
    if (m_targets.empty()) return;

    if (m_targets.size() < m_sources.size()) m_targets.resize(m_sources.size());
    const size_t count = m_sources.size();
    if (Action() == ACTION_RENAME)
        BuildRenameTargets();
    else
        BuildMultiTargets();
    // A pair without its target was taken out: the source list must follow,
    // or later sources would be paired with the wrong targets.
    if (m_sources.size() != count) m_sourceList = DoubleNullList(m_sources, 0, nullptr);
}

std::wstring CExecPathSpecs::RenameTarget(const std::wstring &source,
                                          const std::wstring &targetEntry) const
{
    std::wstring name, rename;
    SplitRenamePart(targetEntry, name, rename);
    std::wstring folder = source;
    if (!IsFolderSpec(source))
    {
        if (!rename.empty()) name = ApplyRenamePattern(name, rename);
        folder = ParentFolder(source);
    }
    if (!name.empty() && name[0] == L'\\') name.erase(0, 1);
    std::wstring result = AddBackslash(folder) + name;
    if (!FitsPath(result)) return std::wstring();
    // A pattern that leaves no name yields "*": no file can be given that.
    if (HasWildcard(FileNamePart(result)))
    {
        Trace(2, L"No target for [%s]", source.c_str());
        return std::wstring();
    }
    Trace(15, L"    Target [%s]", result.c_str());
    return result;
}

std::vector<bool> CExecPathSpecs::DropDuplicateTargets(StringArray &targets) const
{
    // Two sources on one target: the second would replace the first.
    std::unordered_set<std::wstring> seen;
    std::vector<bool> duplicates;
    for (size_t i = 0; i < targets.size(); ++i)
    {
        std::wstring &target = targets[i];
        if (target.empty()) continue;
        if (seen.insert(FoldCase(target)).second) continue;
        Trace(2, L"Duplicate target [%s]", target.c_str());
        target.clear();
        duplicates.resize(targets.size());
        duplicates[i] = true;
    }
    return duplicates;
}

LeftOutReason CExecPathSpecs::NoTargetReason(const std::vector<bool> &duplicates, size_t index)
{
    return index < duplicates.size() && duplicates[index] ? LeftOutReason::DuplicateTarget
                                                          : LeftOutReason::NoTarget;
}

void CExecPathSpecs::BuildRenameTargets()
{
    for (size_t i = 0; i < m_targets.size(); ++i)
    {
        if (i % 20 == 0) Pump();
        m_targets[i] = RenameTarget(m_sources[i], m_targets[i]);
    }
    const std::vector<bool> duplicates = DropDuplicateTargets(m_targets);
    for (size_t i = m_targets.size(); i-- > 0;)
    {
        if (m_targets[i].empty())
        {
            Dropped(m_sources[i], NoTargetReason(duplicates, i));
            DropSource(i);
        }
        else if (EqualNoCase(m_sources[i], m_targets[i]))
        {
            Trace(m_expansionLevel, L"  Remove redundant rename [%s]", m_sources[i].c_str());
            DropSource(i);
        }
    }
    m_target = DoubleNullList(m_targets, m_operationLevel, L"    Target [%s]");
    SetFlags(0, OPT_MULTIDESTFILES);
}

void CExecPathSpecs::BuildMultiTargets()
{
    const bool url = IsUrl(m_target);
    StringArray results;
    for (size_t i = 0; i < m_targets.size(); ++i)
    {
        if (i % 20 == 0) Pump();
        std::wstring entry, rename, result;
        SplitRenamePart(m_targets[i], entry, rename);
        bool fits = true;
        if (m_target.empty())
            result = entry;
        else if (url)
        {
            wchar_t combined[MAX_URL_CHARS];
            DWORD size = MAX_URL_CHARS;
            if (SUCCEEDED(UrlCombineW(m_target.c_str(), entry.c_str(), combined, &size,
                                      URL_ESCAPE_UNSAFE)))
                result = combined;
        }
        else
        {
            result = RemoveBackslash(entry.empty() ? m_target : AddBackslash(m_target) + entry);
            fits = FitsPath(result);
            wchar_t combined[MAX_PATH];
            if (fits && PathCombineW(combined, m_target.c_str(), entry.c_str()))
                result = RemoveBackslash(combined);
        }
        // A rename part applies to the entry's name, never to the target itself.
        if (fits && !rename.empty() && !entry.empty()) result = ApplyRenamePattern(result, rename);
        if (fits && !url && !FitsPath(result)) fits = false;
        if (fits && !rename.empty() && HasWildcard(FileNamePart(result))) fits = false;
        Trace(m_operationLevel, L"    Target [%s] (multi)", fits ? result.c_str() : L"");
        if (!fits || result.empty()) result.clear();
        results.push_back(result);
    }

    for (size_t i = 0; i < results.size(); ++i)
        if (results[i].empty()) Trace(2, L"No target for [%s]", m_sources[i].c_str());
    const std::vector<bool> duplicates = DropDuplicateTargets(results);
    std::wstring list;
    for (size_t i = results.size(); i-- > 0;)
    {
        if (!results[i].empty()) continue;
        Dropped(m_sources[i], NoTargetReason(duplicates, i));
        results.erase(results.begin() + static_cast<ptrdiff_t>(i));
        DropSource(i);
    }
    for (const std::wstring &result : results)
    {
        list += result;
        list += L'\0';
    }
    if (!list.empty()) list += L'\0';
    m_targets.swap(results);
    m_target = list;
}

bool CExecPathSpecs::LiesInMadeFolder(const std::wstring &path) const
{
    for (const std::wstring &folder : m_tally->made)
        if (path.size() > folder.size() && path[folder.size()] == L'\\' &&
            EqualNoCase(path.substr(0, folder.size()), folder))
            return true;
    return false;
}

void CExecPathSpecs::NoteMadeFolder(const std::wstring &folder) const
{
    if (!LiesInMadeFolder(folder + L'\\')) m_tally->made.push_back(folder);
}

void CExecPathSpecs::MakeTarget(const std::wstring &path) const
{
    if (m_flags & OPT_TRIAL_RUN) return;
    if (path.empty() || IsRootOrShare(path) || IsUrl(path)) return;
    if (Planning())
    {
        // A preview creates nothing: it notes the folder the run would make.
        StringArray &made = m_tally->plan->madeFolders;
        if (std::find(made.begin(), made.end(), path) == made.end()) made.push_back(path);
    }
    try
    {
        const wchar_t *start = path.c_str();
        const wchar_t *next = start;
        while (next && *next)
        {
            next = PathFindNextComponentW(next);
            if (!next) break;
            std::wstring prefix = RemoveBackslash(std::wstring(start, next));
            if (prefix.find_first_not_of(L'\\') == std::wstring::npos || IsRootOrShare(prefix))
                continue;
            WIN32_FIND_DATAW data;
            fx::unique_find find(FindFirstFileW(prefix.c_str(), &data));
            if (find) continue;
            if (Planning())
            {
                // Everything from here down would be new.
                NoteMadeFolder(prefix);
                return;
            }
            if (CreateDirectoryW(prefix.c_str(), nullptr))
            {
                NoteMadeFolder(prefix);
                Trace(2, L"  Target [%s] created", prefix.c_str());
            }
            else
            {
                DWORD error = GetLastError();
                SetTraceLocation(sites::kCreateTarget);
                LogWinErr(2, error, L"Create Target [%s]", prefix.c_str());
            }
        }
    }
    TRACE_CATCH_SITE(4, sites::kCreateTargetWalk)
}
