// The engine's rules shared by resolution, matching and targets: which
// specifications the engine enumerates, which entries a pattern takes, the
// target entry of a match, and the double-null lists of the shell.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExecRules.h"

#include <shlwapi.h>

#include "TaskelOptions.h"
#include "Trace.h"

using namespace execpath;

namespace execspec
{

bool IsRenameAction(DWORD action)
{
    return action == ACTION_RENAME || action == ACTION_MOVERENAME || action == ACTION_COPYRENAME;
}

bool DescendsInto(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsEnumerable(DWORD action, DWORD flags, const CShellFilePath &path)
{
    if (HasWildcard(path.Folder(false))) return true;
    const std::wstring &file = path.FilePart();
    const bool wildFile = HasWildcard(file);
    if ((flags & OPT_X_IGNORE_ERRORS) || IsRenameAction(action))
        return (flags & EXEC_INSIDE_WILD) || file.empty() || wildFile;
    if (file.empty() || (flags & OPT_NORECURSION)) return false;
    if (flags & OPT_FILESONLY) return true;
    if (!wildFile) return (flags & EXEC_INSIDE_WILD) != 0;
    return !IsAllPattern(file);
}

bool MatchesPattern(DWORD action, DWORD flags, const std::wstring &entry,
                    const CShellFilePath &pattern)
{
    if (HasWildcard(entry)) return false;
    const std::wstring &file = pattern.FilePart();
    if (!IsFolderSpec(entry))
        return file.empty() || PathMatchSpecW(FileNamePart(entry).c_str(), file.c_str());
    if (action == ACTION_RENAME || (flags & OPT_FILESONLY)) return false;
    if (HasWildcard(pattern.BaseFolder()))
        return file.empty() &&
               PathMatchSpecW(entry.c_str(), AddBackslash(pattern.BaseFolder()).c_str());
    return file.empty() ||
           PathMatchSpecW(FileNamePart(RemoveBackslash(entry)).c_str(), file.c_str());
}

std::wstring MatchTargetEntry(DWORD action, DWORD flags, const std::wstring &match,
                              const std::wstring &text, const std::wstring &name,
                              const std::wstring &rename)
{
    std::wstring entry;
    if (action == ACTION_RENAME)
        entry = FileNamePart(match);
    else if (!(flags & OPT_FILESONLY))
    {
        int common = PathCommonPrefixW(match.c_str(), text.c_str(), nullptr);
        entry = match.substr(static_cast<size_t>(common));
        if (!entry.empty() && entry[0] == L'\\') entry.erase(0, 1);
    }
    else
    {
        std::wstring file = FileNamePart(match);
        entry = name.empty() ? file : AddBackslash(name) + file;
    }
    // A match the shell still expands (a folder found for a wildcard
    // component, then "*") goes into its folder at the target.
    if (HasWildcard(FileNamePart(entry))) return ParentFolder(entry);
    if (IsRenameAction(action) && !IsFolderSpec(match) && !rename.empty()) entry += L">" + rename;
    return entry;
}

std::wstring DoubleNullList(const StringArray &entries, DWORD level, const wchar_t *lineFormat)
{
    size_t total = 1;
    for (const std::wstring &entry : entries)
        total += entry.size() + 1;
    std::wstring list;
    if (total <= 1) return list;
    list.reserve(total);
    for (const std::wstring &entry : entries)
    {
        std::wstring item = RemoveBackslash(entry);
        if (lineFormat) Trace(level, lineFormat, item.c_str());
        list += item;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

StringArray SplitDoubleNull(const std::wstring &list)
{
    StringArray entries;
    size_t at = 0;
    while (at < list.size() && list[at] != L'\0')
    {
        size_t end = list.find(L'\0', at);
        if (end == std::wstring::npos) end = list.size();
        entries.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return entries;
}

} // namespace execspec
