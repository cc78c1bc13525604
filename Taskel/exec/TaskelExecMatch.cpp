// CExecPathSpecs::MatchSpec: lists what a specification covers, either by
// scanning its folder (and, unless recursion is off, every subfolder) or by
// resolving a wildcard folder component first. Folders that hold matches
// are placed as the parents of what was found in them.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExec.h"

#include <unordered_map>

#include "TaskelOptions.h"
#include "Trace.h"
#include "UniqueHandle.h"

using namespace execpath;
using namespace execspec;

namespace
{
// Case-insensitive look-up of the entries of one scan, so that a folder
// with tens of thousands of subfolders is not searched linearly for each.
class CNoCaseIndex
{
  public:
    void Add(const std::wstring &entry, size_t index) { m_map.emplace(FoldCase(entry), index); }
    // The index of `entry`, or npos.
    size_t Find(const std::wstring &entry) const
    {
        auto it = m_map.find(FoldCase(entry));
        return it == m_map.end() ? std::wstring::npos : it->second;
    }

  private:
    std::unordered_map<std::wstring, size_t> m_map;
};

bool IsDots(const wchar_t *name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}
} // namespace

bool CExecPathSpecs::MatchSpec(const std::wstring &spec, StringArray &out, int depth)
{
    const DWORD action = Action();
    if (depth > MAX_MATCH_DEPTH)
    {
        Trace(2, L"Match too deep [%s]", spec.c_str());
        Dropped(spec, LeftOutReason::TooDeep);
        return false;
    }
    const std::wstring indent(4 + 2 * static_cast<size_t>(depth), L' ');
    const bool norecursion = (m_flags & OPT_NORECURSION) != 0;
    CExecFilePath pattern;
    pattern.SetSpec(spec);
    pattern.SetBaseFolder(pattern.Folder(false));
    const std::wstring file = pattern.FilePart();

    // Whether the engine itself would go below a folder found for a wildcard
    // component (a link there is listed, never entered).
    auto LooksInside = [&](const std::wstring &entry, const std::wstring &rest,
                           const std::wstring &name) {
        if (!rest.empty() || !name.empty()) return true;
        CExecFilePath inside;
        inside.SetSpec(entry);
        return IsEnumerable(action, m_flags | EXEC_INSIDE_WILD, inside);
    };

    StringArray found, folders;
    std::vector<bool> taken; // found entries moved to `out` as a parent
    CNoCaseIndex foundFolders, folderIndex;
    bool result = false;
    WIN32_FIND_DATAW data;

    if (HasWildcard(pattern.Folder(false)))
    {
        std::wstring r = pattern.Folder(true);
        if (IsRootOrShare(r))
        {
            Trace(1, L"%sMatch... [%s] invalid path", indent.c_str(), spec.c_str());
            return false;
        }
        std::wstring q = r;
        while (HasWildcard(r) && !IsRootOrShare(r))
        {
            q = r;
            r = AddBackslash(ParentFolder(r));
        }
        pattern.SetBaseFolder(q);
        const std::wstring remainder = pattern.Remainder();
        const std::wstring scan = RemoveBackslash(q);
        Trace(m_expansionLevel, L"%sMatch... [%s] Remainder [%s] Scan [%s]", indent.c_str(),
              spec.c_str(), remainder.c_str(), scan.c_str());

        fx::unique_find find(FindFirstFileW(scan.c_str(), &data));
        if (find)
        {
            do
            {
                if (IsDots(data.cFileName)) continue;
                Pump();
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
                std::wstring entry = AddBackslash(AddBackslash(r + data.cFileName) + remainder);
                if (MadeByThisRun(entry)) continue;
                if (!DescendsInto(data.dwFileAttributes) && LooksInside(entry, remainder, file))
                {
                    Trace(m_expansionLevel, L"%sSkipped  [%s] (reparse point)", indent.c_str(),
                          entry.c_str());
                    continue;
                }
                if (!FitsPath(entry + file))
                {
                    Dropped(entry + file, LeftOutReason::TooLong);
                    continue;
                }
                Trace(m_expansionLevel, L"%sMatched  [%s] (wild path)", indent.c_str(),
                      entry.c_str());
                found.push_back(entry + file);
            } while (FindNextFileW(find.get(), &data));
        }

        if (HasWildcard(remainder))
        {
            for (const std::wstring &entry : found)
                ExpandSpec(entry, out, nullptr, depth + 1);
            found.clear();
        }
        else
        {
            StringArray kept;
            for (const std::wstring &entry : found)
            {
                CExecFilePath inside;
                inside.SetSpec(entry);
                if (!IsEnumerable(action, m_flags | EXEC_INSIDE_WILD, inside))
                {
                    kept.push_back(entry);
                    continue;
                }
                MatchSpec(entry, out, depth + 1);
                if (MatchesPattern(action, m_flags, inside.Folder(true), pattern))
                    kept.push_back(entry);
            }
            found.swap(kept);
        }
        result = true;
    }
    else
    {
        const std::wstring folder = pattern.Folder(true);
        const std::wstring scan = folder + L"*";
        Trace(m_expansionLevel, L"%sMatch... [%s] Scan [%s]", indent.c_str(), spec.c_str(),
              scan.c_str());
        fx::unique_find find(FindFirstFileW(scan.c_str(), &data));
        if (find)
        {
            do
            {
                if (IsDots(data.cFileName)) continue;
                Pump();
                std::wstring path = folder + data.cFileName;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                {
                    path += L'\\';
                    // The run's own new target folder is not one of its sources.
                    if (MadeByThisRun(path)) continue;
                    if (!FitsPath(path))
                    {
                        Dropped(path, LeftOutReason::TooLong);
                        continue;
                    }
                    if (MatchesPattern(action, m_flags, path, pattern))
                    {
                        Found(path);
                        foundFolders.Add(path, found.size());
                        found.push_back(path);
                        Trace(m_expansionLevel, L"%sMatched  [%s] (directory)", indent.c_str(),
                              path.c_str());
                    }
                    if (!norecursion && !DescendsInto(data.dwFileAttributes))
                        Trace(m_expansionLevel, L"%sSkipped  [%s] (reparse point)", indent.c_str(),
                              path.c_str());
                    else if (!norecursion)
                    {
                        folderIndex.Add(path, folders.size());
                        folders.push_back(path);
                        Trace(m_expansionLevel, L"%sMatched  [%s] (recursion)", indent.c_str(),
                              path.c_str());
                    }
                }
                else if (MatchesPattern(action, m_flags, path, pattern))
                {
                    if (!FitsPath(path))
                    {
                        Dropped(path, LeftOutReason::TooLong);
                        continue;
                    }
                    Found(path);
                    found.push_back(path);
                    Trace(m_expansionLevel, L"%sMatched  [%s] (file)", indent.c_str(),
                          path.c_str());
                }
            } while (FindNextFileW(find.get(), &data));
        }
    }

    taken.assign(found.size(), false);
    const bool keepParent = (action == ACTION_MOVERENAME || action == ACTION_COPYRENAME) &&
                            !(m_flags & OPT_FILESONLY) && file.empty();
    for (const std::wstring &sub : folders)
    {
        const std::wstring subSpec = file.empty() ? sub : sub + file;
        if (!FitsPath(subSpec))
        {
            Dropped(subSpec, LeftOutReason::TooLong);
            continue;
        }
        const size_t at = out.size();
        if (!MatchSpec(subSpec, out, depth + 1)) continue;
        size_t index = foundFolders.Find(sub);
        bool wasFound = index != std::wstring::npos && !taken[index];
        if (wasFound) taken[index] = true;
        if (wasFound || keepParent)
        {
            std::wstring suffix;
            if (!norecursion)
            {
                SetFlags(0, EXEC_RECURSION_OFF);
                suffix = L" (disable recursion)";
            }
            if (action == ACTION_DELETE)
                out.push_back(sub);
            else
                out.insert(out.begin() + static_cast<ptrdiff_t>(at), sub);
            Trace(m_expansionLevel, L"%sExpanded [%s] (parent)%s", indent.c_str(), sub.c_str(),
                  suffix.c_str());
        }
        result = true;
    }

    for (size_t i = 0; i < found.size(); ++i)
    {
        if (taken[i]) continue;
        const std::wstring &entry = found[i];
        std::wstring suffix;
        if (!norecursion && IsFolderSpec(entry) && folderIndex.Find(entry) != std::wstring::npos)
        {
            SetFlags(0, EXEC_RECURSION_OFF);
            suffix = L" (disable recursion)";
        }
        out.push_back(entry);
        Trace(m_expansionLevel, L"%sExpanded [%s]%s", indent.c_str(), entry.c_str(),
              suffix.c_str());
        result = true;
    }
    return result;
}
