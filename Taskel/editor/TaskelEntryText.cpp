// Entry texts of the command page: resolving against the command file's
// folder, the text of an entry in the specification view and in the description
// view, typed and pasted text.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "TaskelEntryText.h"

#include <windows.h>
#include <shlwapi.h>

#include "PathDescriber.h"
#include "RtfMarkup.h"
#include "ShellFolderCache.h"
#include "TaskelExecPath.h"
#include "TaskelListRules.h"
#include "TaskelOptions.h"
#include "TaskelStrings.h"
#include "FxException.h"
#include "Trace.h"
#include "resource.h"

using namespace execpath;

namespace
{

std::wstring Canonical(const std::wstring &path, bool &ok)
{
    wchar_t out[MAX_PATH] = {};
    if (path.size() > MAX_PATH_CHARS || !PathCanonicalizeW(out, path.c_str()))
    {
        ok = false;
        return path;
    }
    return out;
}

std::wstring Combined(const std::wstring &base, const std::wstring &path, bool &ok)
{
    if (base.empty() || !NeedsBase(path)) return path;
    wchar_t out[MAX_PATH] = {};
    if (base.size() + path.size() > MAX_PATH_CHARS + 1 ||
        !PathCombineW(out, base.c_str(), path.c_str()))
    {
        ok = false;
        return path;
    }
    return out;
}

bool IsQualified(const std::wstring &path)
{
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return true;
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

bool StartsWithNoCase(const std::wstring &text, const std::wstring &prefix)
{
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

ResolvedEntry ResolveEntry(const std::wstring &entry, const std::wstring &baseFolder)
{
    ResolvedEntry r;
    std::wstring text = TrimSpec(entry);
    if (IsUrl(text))
    {
        r.url = true;
        r.full = text;
        return r;
    }
    std::wstring path;
    SplitRenamePart(text, path, r.rename);
    const bool folder = !path.empty() && path.back() == L'\\';
    std::wstring full = Canonical(Combined(baseFolder, path, r.valid), r.valid);
    if (folder && !full.empty() && full.back() != L'\\') full += L'\\';
    r.full = full;
    if (!IsQualified(full)) r.valid = false;
    return r;
}

std::wstring RelativeBelow(const std::wstring &path, const std::wstring &baseFolder)
{
    if (baseFolder.empty() || path.empty()) return std::wstring();
    std::wstring base = AddBackslash(baseFolder);
    if (!StartsWithNoCase(path, base)) return std::wstring();
    return path.substr(base.size());
}

std::wstring SpecDisplayText(const std::wstring &entry, const std::wstring &baseFolder)
{
    std::wstring text = TrimSpec(entry);
    if (text.empty() || IsUrl(text)) return text;
    // Drive-relative entries show as written: their folder already reads
    // from the root of the base folder's disk.
    if (IsDriveRelative(text)) return text;
    ResolvedEntry r = ResolveEntry(text, baseFolder);
    if (!r.valid) return text;
    std::wstring shown = RelativeBelow(r.full, baseFolder);
    if (shown.empty()) shown = r.full;
    if (!r.rename.empty()) shown += L">" + r.rename;
    std::wstring folder = ParentFolder(r.full);
    if (!folder.empty()) shellfolders::RegisterFolder(folder);
    return shown;
}

std::wstring DescriptionMarkup(const std::wstring &entry, const std::wstring &baseFolder,
                               uint32_t editorAction)
{
    std::wstring text = TrimSpec(entry);
    if (text.empty()) return text;
    ResolvedEntry r = ResolveEntry(text, baseFolder);
    DescribeContext context;
    context.loadString = [](UINT id) { return LoadTaskelString(id); };
    context.firstPhrase = IDS_DESCRIBE_FIRST;
    context.volumeLabel = shellfolders::LookupVolumeLabel;
    context.displayName = shellfolders::LookupDisplayName;
    const bool renames = editorAction == EDIT_ACTION_RENAME ||
                         editorAction == EDIT_ACTION_MOVERENAME ||
                         editorAction == EDIT_ACTION_COPYRENAME;
    if (renames)
    {
        context.renamedByPattern = IDS_RENAMED_BY_PATTERN;
        context.renamedTo = IDS_RENAMED_TO;
    }
    std::wstring markup;
    if (r.valid && DescribePath(r.full, r.rename, context, markup))
    {
        if (!r.url) shellfolders::RegisterFolder(ParentFolder(r.full));
        return markup;
    }
    Trace(2, L"*** GetPathName failed for [%s] ***", text.c_str());
    std::wstring combined = r.full;
    if (!r.rename.empty()) combined += L">" + r.rename;
    return EscapeRtfText(combined);
}

void RequestEntryNames(const std::wstring &entry, const std::wstring &baseFolder)
{
    std::wstring text = TrimSpec(entry);
    if (text.empty() || IsUrl(text)) return;
    ResolvedEntry r = ResolveEntry(text, baseFolder);
    if (r.valid) shellfolders::RegisterFolder(ParentFolder(r.full));
}

bool EntryAccepted(const std::wstring &typed, const std::wstring &baseFolder)
{
    std::wstring text = TrimSpec(typed);
    if (text.empty()) return false;
    if (IsUrl(text)) return text.size() <= MAX_URL_CHARS;
    std::wstring path, rename;
    SplitRenamePart(text, path, rename);
    if (path.empty()) return false;
    for (size_t i = 0; i < path.size(); ++i)
    {
        wchar_t c = path[i];
        if (c < 32 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'/') return false;
        if (c == L':' && i != 1) return false;
    }
    for (wchar_t c : rename)
        if (c < 32 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'\\' || c == L':')
            return false;
    ResolvedEntry r = ResolveEntry(text, baseFolder);
    return r.valid && FitsPath(r.full);
}

std::wstring NormalisePastedPath(const std::wstring &path, const std::wstring &baseFolder,
                                 bool relative)
{
    std::wstring text = TrimSpec(path);
    if (text.empty() || IsUrl(text)) return text;
    ResolvedEntry r = ResolveEntry(text, baseFolder);
    if (!r.valid) return text;
    std::wstring stored = relative ? RelativeBelow(r.full, baseFolder) : std::wstring();
    if (stored.empty()) stored = r.full;
    if (!r.rename.empty()) stored += L">" + r.rename;
    return stored;
}
