// The "before" and "after" listings of a run: each source or the target
// with its attributes and times, and what a wildcard or folder covers.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExecRun.h"

#include <shlwapi.h>

#include "TaskelOptions.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "UniqueHandle.h"
#include "WinFormat.h"

using namespace execpath;

namespace
{
// Names are padded to this column before their attributes.
const size_t ATTRIBUTE_COLUMN = 56;

std::wstring AttributeNames(DWORD attributes)
{
    static const struct
    {
        DWORD bit;
        const wchar_t *name;
    } names[] = {
        {FILE_ATTRIBUTE_READONLY, L"ReadOnly"}, {FILE_ATTRIBUTE_HIDDEN, L"Hidden"},
        {FILE_ATTRIBUTE_SYSTEM, L"System"},     {FILE_ATTRIBUTE_DIRECTORY, L"Directory"},
        {FILE_ATTRIBUTE_NORMAL, L"Normal"},     {FILE_ATTRIBUTE_TEMPORARY, L"Temporary"},
        {FILE_ATTRIBUTE_OFFLINE, L"Offline"},
    };
    std::wstring text;
    for (const auto &entry : names)
    {
        if (!(attributes & entry.bit)) continue;
        if (!text.empty()) text += L", ";
        text += entry.name;
    }
    return text;
}

std::wstring TimeText(const FILETIME &time)
{
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts))
        return L"?";
    return fx::Format(L"%04u-%02u-%02u %02u:%02u:%02u", parts.wYear, parts.wMonth, parts.wDay,
                      parts.wHour, parts.wMinute, parts.wSecond);
}

class CListing
{
  public:
    CListing(DWORD level, bool recurse) : m_level(level), m_recurse(recurse) {}

    void Entry(const std::wstring &indent, const std::wstring &path) const
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND)
                Trace(m_level, L"%s[%s] Not Found", indent.c_str(), path.c_str());
            else
            {
                SetTraceLocation(sites::kListingState);
                LogWinErr(2, error, L"%s[%s]", indent.c_str(), path.c_str());
            }
            return;
        }
        const size_t used = indent.size() + path.size() + 2;
        const std::wstring filler(used < ATTRIBUTE_COLUMN ? ATTRIBUTE_COLUMN - used : 1, L' ');
        const std::wstring times = L"Created " + TimeText(data.ftCreationTime) + L", Updated " +
                                   TimeText(data.ftLastWriteTime) + L", Accessed " +
                                   TimeText(data.ftLastAccessTime);
        Trace(m_level, L"%s[%s]%s[%s] [%s]", indent.c_str(), path.c_str(), filler.c_str(),
              AttributeNames(data.dwFileAttributes).c_str(), times.c_str());
    }

    // The entries of `folder` whose names match `pattern`, and below.
    void Covered(const std::wstring &indent, const std::wstring &folder,
                 const std::wstring &pattern, int depth = 0) const
    {
        if (depth > CExecPathSpecs::MAX_MATCH_DEPTH) return;
        WIN32_FIND_DATAW found;
        fx::unique_find find(FindFirstFileW((AddBackslash(folder) + L"*").c_str(), &found));
        if (!find) return;
        do
        {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = AddBackslash(folder) + name;
            if (PathMatchSpecW(name.c_str(), pattern.c_str())) Entry(indent, path);
            if (execspec::DescendsInto(found.dwFileAttributes) && m_recurse)
                Covered(indent + L"  ", path, pattern, depth + 1);
        } while (FindNextFileW(find.get(), &found));
    }

    void Spec(const std::wstring &indent, const std::wstring &spec) const
    {
        if (IsUrl(spec) || (!HasWildcard(spec) && !IsFolderSpec(spec)))
        {
            Entry(indent, spec);
            return;
        }
        Trace(m_level, L"%s[%s]", indent.c_str(), spec.c_str());
        if (IsUrl(spec)) return;
        if (IsFolderSpec(spec))
            Covered(indent + L"  ", RemoveBackslash(spec), L"*");
        else
            Covered(indent + L"  ", ParentFolder(spec), FileNamePart(spec));
    }

  private:
    DWORD m_level;
    bool m_recurse;
};
} // namespace

void CExecRunner::TraceListing(bool target, const wchar_t *when) const
{
    const DWORD level = m_specs->OperationLevel();
    if (!IsTraceEnabled(level)) return;
    Trace(level, L"");
    Trace(level, target ? L"  Target (%s)" : L"  Source (%s)", when);
    const CListing listing(level, !(m_options & OPT_NORECURSION));
    if (target)
    {
        if (!m_specs->Target().empty()) listing.Spec(L"    ", m_specs->Target());
        return;
    }
    for (const std::wstring &source : Sources())
    {
        std::wstring path, rename;
        SplitRenamePart(source, path, rename);
        listing.Spec(L"    ", path);
    }
}
