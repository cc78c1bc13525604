// Folder display names through the parent folder's shell object, with the
// whole-path question to the shell as the fallback.
#include "ShellFolderNames.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "NoCase.h"

namespace
{

// "C:\a\b" -> "C:\a" and "b"; "C:\a" -> "C:\" and "a".
bool SplitParent(const std::wstring &folder, std::wstring &parent, std::wstring &leaf)
{
    const size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 >= folder.size() || slash < 2) return false;
    parent = folder.substr(0, slash == 2 ? 3 : slash);
    leaf = folder.substr(slash + 1);
    return true;
}

} // namespace

bool WholePathDisplayName(const std::wstring &folder, std::wstring &name)
{
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(folder.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME)) return false;
    name = info.szDisplayName;
    return true;
}

bool ShellFolderNames::Lookup(const std::wstring &folder, std::wstring &name)
{
    // A folder that is not there has no shell name; asking the shell for it
    // costs as much as for a real one.
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::wstring parent, leaf;
    if (SplitParent(folder, parent, leaf) && BindParent(parent) && NameInParent(leaf, name))
        return true;
    return WholePathDisplayName(folder, name);
}

bool ShellFolderNames::BindParent(const std::wstring &parent)
{
    if (!m_parentPath.empty() && EqualNoCase(m_parentPath, parent))
        return static_cast<bool>(m_parent);
    m_parentPath = parent;
    m_parent.reset();
    if (!m_desktop && FAILED(::SHGetDesktopFolder(m_desktop.put()))) return false;
    std::wstring path = parent;
    PIDLIST_RELATIVE pidl = nullptr;
    if (FAILED(m_desktop->ParseDisplayName(nullptr, nullptr, &path[0], nullptr, &pidl, nullptr)))
        return false;
    HRESULT hr = m_desktop->BindToObject(pidl, nullptr, IID_IShellFolder, m_parent.put_void());
    ::CoTaskMemFree(pidl);
    if (FAILED(hr)) m_parent.reset();
    return static_cast<bool>(m_parent);
}

bool ShellFolderNames::NameInParent(const std::wstring &leaf, std::wstring &name)
{
    std::wstring text = leaf;
    PIDLIST_RELATIVE child = nullptr;
    if (FAILED(m_parent->ParseDisplayName(nullptr, nullptr, &text[0], nullptr, &child, nullptr)))
        return false;
    // The name in its folder, as SHGetFileInfo asks for it.
    STRRET ret{};
    wchar_t buffer[MAX_PATH] = {};
    const bool ok =
        SUCCEEDED(m_parent->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(child),
                                             SHGDN_INFOLDER, &ret)) &&
        SUCCEEDED(::StrRetToBufW(&ret, reinterpret_cast<PCUITEMID_CHILD>(child), buffer, MAX_PATH));
    ::CoTaskMemFree(child);
    if (ok) name = buffer;
    return ok;
}
