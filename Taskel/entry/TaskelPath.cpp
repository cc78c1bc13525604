// Command file name normalisation (extension, absolute path, disk case).
#include "TaskelPath.h"

#include "UniqueHandle.h"

#include <windows.h>
#include <shlwapi.h>

const wchar_t TASKEL_EXTENSION[] = L".Taskel";

namespace
{

// Length of the part of an absolute path that names no file system entry:
// "C:\" or "\\server\share\".
size_t RootLength(const std::wstring &path)
{
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.compare(0, 2, L"\\\\") == 0)
    {
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return path.size();
        size_t share = path.find(L'\\', server + 1);
        return share == std::wstring::npos ? path.size() : share + 1;
    }
    return 0;
}

// The absolute form of a path, of any length; empty when it has none.
std::wstring FullPath(const std::wstring &path)
{
    DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    DWORD length = ::GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    return full;
}

} // namespace

std::wstring ApplyDiskCase(const std::wstring &path)
{
    size_t pos = RootLength(path);
    if (pos == 0) return path;
    std::wstring result = path;
    while (pos < result.size())
    {
        size_t end = result.find(L'\\', pos);
        if (end == std::wstring::npos) end = result.size();
        std::wstring component = result.substr(pos, end - pos);
        if (component.empty() || component.find_first_of(L"*?") != std::wstring::npos) break;

        WIN32_FIND_DATAW data;
        fx::unique_find find(::FindFirstFileW(result.substr(0, end).c_str(), &data));
        if (!find) break;
        // A short (8.3) name finds the long one; only the letter case is taken.
        if (::lstrcmpiW(component.c_str(), data.cFileName) == 0)
            result.replace(pos, end - pos, data.cFileName);
        pos = end + 1;
    }
    return result;
}

std::wstring NormalizeCommandPath(const std::wstring &path, bool addExtension, bool forceExtension,
                                  const wchar_t *extension)
{
    std::wstring name = path;
    if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"')
        name = name.substr(1, name.size() - 2);
    if (name.empty() || ::PathIsRootW(name.c_str()) || (name.size() == 2 && name[1] == L':'))
        return std::wstring();

    if (addExtension)
    {
        size_t dot = ::PathFindExtensionW(name.c_str()) - name.c_str();
        if (dot == name.size())
            name += extension;
        else if (::lstrcmpiW(name.c_str() + dot, extension) == 0)
            name.replace(dot, std::wstring::npos, extension);
        else if (forceExtension)
            name += extension;
    }

    // Relative names are taken relative to the current directory only. A
    // search along the program's folder, the system folders and PATH could
    // pick a same-named command file elsewhere and run it instead.
    std::wstring qualified = FullPath(name);
    return ApplyDiskCase(qualified.empty() ? name : qualified);
}
