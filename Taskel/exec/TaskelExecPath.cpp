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

bool HasWildcard(const std::wstring &text)
{
    return text.find_first_of(L"*?") != std::wstring::npos;
}

bool IsRootOrShare(const std::wstring &path)
{
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
    if (path.size() == 3 && path[1] == L':') return path;
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
    if (slash == 2 && p[1] == L':') return p.substr(0, 3);
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
    size_t slash = spec.rfind(L'\\');
    size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    if (nameStart >= spec.size()) return;
    size_t sep = spec.find_first_of(L">|", nameStart);
    if (sep == std::wstring::npos) return;
    rename = spec.substr(sep + 1);
    path = spec.substr(0, sep);
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
        if (resolved.size() <= MAX_PATH_CHARS &&
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
            if (m_folder.size() == 2 && m_folder[1] == L':') m_folder += L'\\';
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
    wchar_t canonical[MAX_PATH];
    if (path.size() <= MAX_PATH_CHARS && PathCanonicalizeW(canonical, path.c_str()))
        m_folder = RemoveBackslash(canonical);
    else
    {
        m_valid = false;
        m_folder = RemoveBackslash(path);
    }
}

void CShellFilePath::SetBaseFolder(const std::wstring &path)
{
    wchar_t canonical[MAX_PATH];
    if (path.size() <= MAX_PATH_CHARS && PathCanonicalizeW(canonical, path.c_str()))
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
