// The folder tree: the chain of folders to a path, which entries are shown,
// valid new names, lazy reading of subfolders and renaming in place.
#define TRACE_SOURCE "UiKit\\FolderTree"
#include "FolderTree.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "NoCase.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace foldertree
{

namespace
{
std::wstring WithBackslash(std::wstring path)
{
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

bool LessNoCase(const std::wstring &a, const std::wstring &b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}
} // namespace

std::vector<std::wstring> PathChain(const std::wstring &folder)
{
    std::vector<std::wstring> chain;
    const std::wstring path = WithBackslash(folder);
    size_t start;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\' && iswalpha(path[0]))
        start = 3;
    else if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\')
    {
        // \\server\share\ is the root of a UNC path.
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2) return chain;
        size_t share = path.find(L'\\', server + 1);
        if (share == std::wstring::npos || share == server + 1) return chain;
        start = share + 1;
    }
    else
        return chain;
    chain.push_back(path.substr(0, start));
    for (size_t at = start; at < path.size();)
    {
        size_t next = path.find(L'\\', at);
        if (next == at) return {}; // an empty component
        chain.push_back(path.substr(0, next + 1));
        at = next + 1;
    }
    return chain;
}

bool ListsFolder(DWORD attributes, const std::wstring &name, bool showHidden)
{
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (name.empty() || name == L"." || name == L"..") return false;
    return showHidden || !(attributes & FILE_ATTRIBUTE_HIDDEN);
}

bool IsValidFolderName(const std::wstring &name)
{
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.size() >= MAX_PATH) return false;
    for (wchar_t c : name)
        if (c < 32 || wcschr(L"\\/:*?\"<>|", c)) return false;
    return name.back() != L' ' && name.back() != L'.';
}

std::wstring RenamedFolderPath(const std::wstring &folder, const std::wstring &name)
{
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    size_t slash = path.rfind(L'\\');
    return WithBackslash(path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name);
}

std::vector<std::wstring> ChildFolderNames(const std::wstring &folder, bool showHidden)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    fx::unique_find find(::FindFirstFileExW((WithBackslash(folder) + L"*").c_str(), FindExInfoBasic,
                                            &data, FindExSearchLimitToDirectories, nullptr, 0));
    if (!find.is_valid()) return names;
    do
    {
        if (ListsFolder(data.dwFileAttributes, data.cFileName, showHidden))
            names.push_back(data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end(), LessNoCase);
    return names;
}

bool AsksDiskForItsName(UINT driveType)
{
    return driveType == DRIVE_FIXED || driveType == DRIVE_RAMDISK;
}

} // namespace foldertree

using namespace foldertree;

namespace
{
int SystemIcon(const std::wstring &path, DWORD attributes, UINT extra)
{
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra;
    if (!::SHGetFileInfoW(path.c_str(), attributes, &info, sizeof(info), flags)) return -1;
    return info.iIcon;
}
} // namespace

void CFolderTree::Attach(HWND tree)
{
    m_tree = tree;
    SHFILEINFOW info{};
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    // The system image list is shared: the tree must not destroy it.
    if (images)
    {
        ::SetWindowLongPtrW(m_tree, GWL_STYLE,
                            ::GetWindowLongPtrW(m_tree, GWL_STYLE) | TVS_EDITLABELS);
        TreeView_SetImageList(m_tree, images, TVSIL_NORMAL);
    }
    m_folderImage = SystemIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
    m_openFolderImage =
        SystemIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);
    FillRoots();
}

void CFolderTree::FillRoots()
{
    m_boldItem = nullptr;
    TreeView_DeleteAllItems(m_tree);
    m_nodes.clear();
    wchar_t drives[512] = {};
    const DWORD length = ::GetLogicalDriveStringsW(ARRAYSIZE(drives) - 1, drives);
    for (const wchar_t *drive = drives; length && length < ARRAYSIZE(drives) && *drive;
         drive += wcslen(drive) + 1)
    {
        std::wstring root = drive;
        std::wstring label = root.substr(0, 2);
        const bool ask = AsksDiskForItsName(::GetDriveTypeW(root.c_str()));
        SHFILEINFOW info{};
        if (ask &&
            ::SHGetFileInfoW(root.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME) &&
            info.szDisplayName[0])
            label = info.szDisplayName;
        InsertFolder(TVI_ROOT, root, label, ask);
    }
}

HTREEITEM CFolderTree::InsertFolder(HTREEITEM parent, const std::wstring &path,
                                    const std::wstring &label, bool askDisk)
{
    const bool root = parent == TVI_ROOT;
    // A disk that may not answer at once gets the icon of its kind of
    // entry, which the shell gives without looking at it.
    int image = !root ? m_folderImage
                : askDisk
                    ? SystemIcon(path, 0, 0)
                    : SystemIcon(path, FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
    int selected = root ? image : m_openFolderImage;
    m_nodes.push_back(Node{path, false});
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t *>(label.c_str());
    insert.item.lParam = static_cast<LPARAM>(m_nodes.size() - 1);
    insert.item.cChildren = 1; // known when the folder is first expanded
    insert.item.iImage = image < 0 ? 0 : image;
    insert.item.iSelectedImage = selected < 0 ? insert.item.iImage : selected;
    return TreeView_InsertItem(m_tree, &insert);
}

CFolderTree::Node *CFolderTree::NodeOf(HTREEITEM item) const
{
    if (!item) return nullptr;
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!TreeView_GetItem(m_tree, &tv)) return nullptr;
    const size_t index = static_cast<size_t>(tv.lParam);
    return index < m_nodes.size() ? const_cast<Node *>(&m_nodes[index]) : nullptr;
}

std::wstring CFolderTree::ItemPath(HTREEITEM item) const
{
    const Node *node = NodeOf(item);
    return node ? node->path : std::wstring();
}

void CFolderTree::FillChildren(HTREEITEM item)
{
    Node *node = NodeOf(item);
    if (!node || node->filled) return;
    node->filled = true;
    const std::wstring path = node->path; // the node list may grow below
    std::vector<std::wstring> names;
    if (!path.empty()) names = ChildFolderNames(path, m_showHidden && m_showHidden());
    ::SendMessageW(m_tree, WM_SETREDRAW, FALSE, 0);
    for (const std::wstring &name : names)
        InsertFolder(item, path + name + L"\\", name);
    ::SendMessageW(m_tree, WM_SETREDRAW, TRUE, 0);
    if (names.empty())
    {
        TVITEMW tv{};
        tv.mask = TVIF_CHILDREN;
        tv.hItem = item;
        tv.cChildren = 0;
        TreeView_SetItem(m_tree, &tv);
    }
}

// Forgets what was read below `item`; it is read again on the next expansion.
void CFolderTree::ResetChildren(HTREEITEM item)
{
    TreeView_Expand(m_tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
    HTREEITEM child;
    while ((child = TreeView_GetChild(m_tree, item)) != nullptr)
        TreeView_DeleteItem(m_tree, child);
    if (Node *node = NodeOf(item)) node->filled = false;
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    tv.cChildren = 1;
    TreeView_SetItem(m_tree, &tv);
}

HTREEITEM CFolderTree::FindChild(HTREEITEM parent, const std::wstring &path)
{
    HTREEITEM child =
        parent == TVI_ROOT ? TreeView_GetRoot(m_tree) : TreeView_GetChild(m_tree, parent);
    for (; child; child = TreeView_GetNextSibling(m_tree, child))
        if (EqualNoCase(ItemPath(child), path)) return child;
    return nullptr;
}

bool CFolderTree::SelectFolder(const std::wstring &folder)
{
    const std::vector<std::wstring> chain = PathChain(folder);
    HTREEITEM parent = TVI_ROOT;
    HTREEITEM found = nullptr;
    size_t matched = 0;
    for (const std::wstring &step : chain)
    {
        if (parent != TVI_ROOT) FillChildren(parent);
        HTREEITEM item = FindChild(parent, step);
        // A share: the network is not asked for its icon.
        if (!item && parent == TVI_ROOT &&
            ::GetFileAttributesW(step.c_str()) != INVALID_FILE_ATTRIBUTES)
            item = InsertFolder(TVI_ROOT, step, step.substr(0, step.size() - 1), false);
        if (!item) break;
        if (found) TreeView_Expand(m_tree, found, TVE_EXPAND);
        found = item;
        parent = item;
        ++matched;
    }
    if (!found) return false;
    TreeView_SelectItem(m_tree, found);
    TreeView_EnsureVisible(m_tree, found);
    MarkBase();
    return matched == chain.size();
}

std::wstring CFolderTree::SelectedFolder() const
{
    for (HTREEITEM item = TreeView_GetSelection(m_tree); item;
         item = TreeView_GetParent(m_tree, item))
    {
        std::wstring path = ItemPath(item);
        if (!path.empty()) return path;
    }
    return std::wstring();
}

void CFolderTree::SetBaseFolder(const std::wstring &base, bool relative)
{
    m_base = base;
    if (!m_base.empty() && m_base.back() != L'\\') m_base += L'\\';
    m_relative = relative;
    MarkBase();
}

// The base folder's item, where it is in the tree, is bold in relative mode.
void CFolderTree::MarkBase()
{
    if (m_boldItem) TreeView_SetItemState(m_tree, m_boldItem, 0, TVIS_BOLD);
    m_boldItem = nullptr;
    if (!m_relative || m_base.empty()) return;
    HTREEITEM parent = TVI_ROOT;
    HTREEITEM item = nullptr;
    for (const std::wstring &step : PathChain(m_base))
    {
        item = FindChild(parent, step);
        if (!item) return; // not read yet: nothing to mark
        parent = item;
    }
    if (!item) return;
    m_boldItem = item;
    TreeView_SetItemState(m_tree, item, TVIS_BOLD, TVIS_BOLD);
}

void CFolderTree::Refresh()
{
    const std::wstring selected = SelectedFolder();
    FillRoots();
    if (!selected.empty()) SelectFolder(selected);
}

bool CFolderTree::RenameItem(HTREEITEM item, const wchar_t *newName)
{
    Node *node = NodeOf(item);
    if (!node || !newName || TreeView_GetParent(m_tree, item) == nullptr) return false;
    const std::wstring oldPath = node->path;
    if (!IsValidFolderName(newName))
    {
        ::MessageBeep(MB_ICONHAND);
        return false;
    }
    const std::wstring newPath = RenamedFolderPath(oldPath, newName);
    if (newPath == oldPath) return false;
    if (!::MoveFileW(oldPath.c_str(), newPath.c_str()))
    {
        SetTraceLocation(TRACE_SOURCE, __LINE__);
        LogWinErr(2, ::GetLastError(), L"MoveFile");
        ::MessageBeep(MB_ICONHAND);
        return false;
    }
    Trace(3, L"Renamed folder [%s] to [%s]", oldPath.c_str(), newPath.c_str());
    node->path = newPath;
    // The subfolders' paths changed with it: read them again when needed.
    ResetChildren(item);
    return true;
}

bool CFolderTree::HandleNotify(NMHDR *header, LRESULT &result, bool &folderChanged)
{
    if (!header || header->hwndFrom != m_tree) return false;
    switch (header->code)
    {
    case TVN_ITEMEXPANDINGW: {
        auto *view = reinterpret_cast<NMTREEVIEWW *>(header);
        if (view->action & TVE_EXPAND) FillChildren(view->itemNew.hItem);
        result = FALSE;
        return true;
    }
    case TVN_SELCHANGEDW:
        folderChanged = true;
        result = 0;
        return true;
    case TVN_BEGINLABELEDITW: {
        // Disks keep their names.
        auto *info = reinterpret_cast<NMTVDISPINFOW *>(header);
        result = TreeView_GetParent(m_tree, info->item.hItem) == nullptr ? TRUE : FALSE;
        return true;
    }
    case TVN_ENDLABELEDITW: {
        auto *info = reinterpret_cast<NMTVDISPINFOW *>(header);
        result = FALSE;
        if (info->item.pszText && RenameItem(info->item.hItem, info->item.pszText))
        {
            result = TRUE;
            folderChanged = TreeView_GetSelection(m_tree) == info->item.hItem;
        }
        return true;
    }
    default:
        return false;
    }
}
