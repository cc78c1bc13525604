// CShellFilePath and CExecFilePath: resolving a specification with the
// shell's path and URL helpers, splitting it into folder and file name and
// putting it back together; the path predicates of the expansion.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExecPath.h"

#include <shlwapi.h>

#include "Trace.h"

namespace execpath
{

bool IsUrl(const std::wstring &text)
{
    return !text.empty() && PathIsURLW(text.c_str());
}

size_t PrefixLength(const std::wstring &path)
{
    if (path.size() < 4 || path[0] != L'\\' || path[1] != L'\\' || path[3] != L'\\') return 0;
    if (path[2] == L'.') return 4;
    if (path[2] != L'?') return 0;
    if (path.size() >= 8 &&
        CompareStringOrdinal(path.c_str() + 4, 4, L"UNC\\", 4, TRUE) == CSTR_EQUAL)
        return 8;
    return 4;
}

bool HasWildcard(const std::wstring &text)
{
    return text.find_first_of(L"*?", PrefixLength(text)) != std::wstring::npos;
}

namespace
{
// The drive letter and colon right after any prefix.
bool DriveAt(const std::wstring &path, size_t at)
{
    return path.size() >= at + 2 && path[at + 1] == L':';
}
} // namespace

bool IsRootOrShare(const std::wstring &path)
{
    const size_t prefix = PrefixLength(path);
    if (prefix == 8) return IsRootOrShare(L"\\\\" + path.substr(8));
    if (prefix == 4)
    {
        // A drive, a volume or a device: "\\?\C:\", "\\?\Volume{...}\".
        std::wstring rest = path.substr(4);
        if (!rest.empty() && rest.back() == L'\\') rest.pop_back();
        return rest.find(L'\\') == std::wstring::npos;
    }
    size_t n = path.size();
    if (n >= 2 && path[1] == L':' && (n == 2 || (n == 3 && path[2] == L'\\'))) return true;
    if (n < 3 || path[0] != L'\\' || path[1] != L'\\') return false;
    std::wstring rest = path.substr(2);
    if (!rest.empty() && rest.back() == L'\\') rest.pop_back();
    if (rest.empty() || rest[0] == L'\\') return false;
    size_t slash = rest.find(L'\\');
    if (slash == std::wstring::npos) return true; // \\server
    return slash + 1 < rest.size() && rest.find(L'\\', slash + 1) == std::wstring::npos;
}

bool IsFolderSpec(const std::wstring &spec)
{
    return spec.empty() || spec.back() == L'\\' || IsUrl(spec);
}

bool IsAllPattern(const std::wstring &name)
{
    return name == L"*.*" || name == L"*";
}

std::wstring FileNamePart(const std::wstring &spec)
{
    if (IsFolderSpec(spec)) return std::wstring();
    size_t at = spec.find_last_of(L"\\:");
    return at == std::wstring::npos ? spec : spec.substr(at + 1);
}

std::wstring RemoveBackslash(const std::wstring &path)
{
    if (path.empty() || path.back() != L'\\') return path;
    const size_t prefix = PrefixLength(path);
    if (path.size() == prefix + 3 && DriveAt(path, prefix)) return path;
    if (prefix == 4 && path.size() > 4 && path.find(L'\\', 4) == path.size() - 1) return path;
    return path.substr(0, path.size() - 1);
}

std::wstring AddBackslash(const std::wstring &path)
{
    if (path.empty() || path.back() == L'\\') return path;
    return path + L'\\';
}

std::wstring ParentFolder(const std::wstring &path)
{
    std::wstring p = RemoveBackslash(path);
    if (IsRootOrShare(p)) return p;
    size_t slash = p.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    const size_t prefix = PrefixLength(p);
    if (slash == prefix + 2 && DriveAt(p, prefix)) return p.substr(0, prefix + 3);
    return p.substr(0, slash);
}

bool IsDriveRelative(const std::wstring &path)
{
    auto sep = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    return !path.empty() && sep(path[0]) && !(path.size() > 1 && sep(path[1]));
}

bool NeedsBase(const std::wstring &path)
{
    return IsDriveRelative(path) || PathIsRelativeW(path.c_str());
}

void SplitRenamePart(const std::wstring &spec, std::wstring &path, std::wstring &rename)
{
    path = spec;
    rename.clear();
    if (IsUrl(spec)) return;
    // The separator cannot stand in a name, so the first one ends the path,
    // also when the rename part itself holds a backslash.
    size_t sep = spec.find_first_of(L">|");
    if (sep == std::wstring::npos || sep == 0 || spec[sep - 1] == L'\\') return;
    rename = spec.substr(sep + 1);
    path = spec.substr(0, sep);
}

bool IsSafeRenamePart(const std::wstring &rename)
{
    return rename.find_first_of(L"\\/:") == std::wstring::npos &&
           rename.find(L"..") == std::wstring::npos;
}

bool CanonicalizePath(const std::wstring &path, std::wstring &canonical)
{
    const size_t prefix = PrefixLength(path);
    if (path.size() > MAX_PATH_CHARS) return false;
    wchar_t buffer[MAX_PATH];
    if (!PathCanonicalizeW(buffer, path.c_str() + prefix)) return false;
    canonical = path.substr(0, prefix) + buffer;
    return canonical.size() <= MAX_PATH_CHARS;
}

std::wstring FoldCase(const std::wstring &text)
{
    std::wstring folded = text;
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

void TraceTooLong(const std::wstring &path)
{
    Trace(2, L"Path too long [%s]", path.c_str());
}

bool FitsPath(const std::wstring &path)
{
    if (path.size() <= MAX_PATH_CHARS) return true;
    TraceTooLong(path);
    return false;
}

} // namespace execpath

using namespace execpath;

void CShellFilePath::Split(const std::wstring &spec)
{
    m_valid = true;
    std::wstring resolved = spec;
    bool url = IsUrl(spec);
    if (url)
    {
        wchar_t buffer[MAX_URL_CHARS];
        DWORD size = MAX_URL_CHARS;
        if (SUCCEEDED(UrlCanonicalizeW(spec.c_str(), buffer, &size, URL_ESCAPE_UNSAFE)))
            resolved = buffer;
        if (UrlIsFileUrlW(resolved.c_str()))
        {
            wchar_t local[MAX_PATH];
            DWORD length = MAX_PATH;
            if (SUCCEEDED(PathCreateFromUrlW(resolved.c_str(), local, &length, 0)))
                resolved = local;
            else
                m_valid = false;
        }
        url = IsUrl(resolved);
    }
    if (!url)
    {
        wchar_t qualified[MAX_PATH];
        std::wstring canonical;
        if (PrefixLength(resolved) > 0)
        {
            // Already absolute; the shell's qualifier does not know prefixes.
            if (CanonicalizePath(resolved, canonical))
                resolved = canonical;
            else
                m_valid = false;
        }
        else if (resolved.size() <= MAX_PATH_CHARS &&
                 PathSearchAndQualifyW(resolved.c_str(), qualified, MAX_PATH))
            resolved = qualified;
        else
            m_valid = false;
        resolved = RemoveBackslash(resolved);
    }

    if (url || IsRootOrShare(resolved) || (!spec.empty() && spec.back() == L'\\'))
    {
        m_folder = resolved;
        m_file.clear();
    }
    else
    {
        size_t slash = resolved.rfind(L'\\');
        if (slash == std::wstring::npos)
        {
            m_folder.clear();
            m_file = resolved;
        }
        else
        {
            m_file = resolved.substr(slash + 1);
            m_folder = resolved.substr(0, slash);
            const size_t prefix = PrefixLength(m_folder);
            if (m_folder.size() == prefix + 2 && DriveAt(m_folder, prefix)) m_folder += L'\\';
        }
    }
    Trace(4, L"Split [%s] to [%s] [%s]", spec.c_str(), m_folder.c_str(), m_file.c_str());
}

std::wstring CShellFilePath::Combine() const
{
    std::wstring combined;
    if (m_folder.empty())
        combined = m_file;
    else if (IsUrl(m_folder))
        combined = m_folder + m_file;
    else
        combined = AddBackslash(m_folder) + m_file;
    Trace(4, L"Combine [%s] [%s] to [%s]", m_folder.c_str(), m_file.c_str(), combined.c_str());
    return combined;
}

std::wstring CShellFilePath::Folder(bool withBackslash) const
{
    return withBackslash ? AddBackslash(m_folder) : RemoveBackslash(m_folder);
}

std::wstring CShellFilePath::Remainder() const
{
    if (m_base.empty()) return AddBackslash(m_folder);
    wchar_t relative[MAX_PATH];
    if (!PathRelativePathToW(relative, RemoveBackslash(m_base).c_str(), FILE_ATTRIBUTE_DIRECTORY,
                             RemoveBackslash(m_folder).c_str(), FILE_ATTRIBUTE_DIRECTORY))
        return std::wstring();
    std::wstring rest = relative;
    if (rest == L"." || rest == L".\\") return std::wstring();
    if (rest.compare(0, 2, L".\\") == 0) rest.erase(0, 2);
    return AddBackslash(rest);
}

void CShellFilePath::SetFolder(const std::wstring &path)
{
    std::wstring canonical;
    if (CanonicalizePath(path, canonical))
        m_folder = RemoveBackslash(canonical);
    else
    {
        m_valid = false;
        m_folder = RemoveBackslash(path);
    }
}

void CShellFilePath::SetBaseFolder(const std::wstring &path)
{
    std::wstring canonical;
    if (CanonicalizePath(path, canonical))
        m_base = AddBackslash(canonical);
    else
    {
        m_valid = false;
        m_base = AddBackslash(path);
    }
}

void CExecFilePath::SetSpec(const std::wstring &spec)
{
    std::wstring path, rename;
    SplitRenamePart(spec, path, rename);
    Split(path);
    if (!rename.empty() && !m_file.empty()) m_file += L">" + rename;
}

void CExecFilePath::SetFilePart(const std::wstring &name)
{
    size_t sep = m_file.find_first_of(L">|");
    if (name == L"*.*" && sep != std::wstring::npos)
        m_file = name + L">" + m_file.substr(sep + 1);
    else
        m_file = name;
}

std::wstring CExecFilePath::TakeRenamePart()
{
    size_t sep = m_file.find_first_of(L">|");
    if (sep == std::wstring::npos) return std::wstring();
    std::wstring rename = m_file.substr(sep + 1);
    m_file.resize(sep);
    return rename;
}
