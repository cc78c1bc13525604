// CFolderTree: a tree-view control of the file system's folders, with the
// shell's icons. The disks are the roots; a folder's subfolders are read
// when it is first expanded. Hidden folders are listed only while the
// owner's hidden-folder query answers true. A folder can be renamed in place (the
// tree's label editing renames it on disk). The foldertree functions are
// the decisions behind it, callable without a window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace foldertree
{

// The folders from the root down to `folder`, each with a trailing
// backslash: "C:\a\b" gives "C:\", "C:\a\", "C:\a\b\"; a UNC path starts
// at its share ("\\srv\share\"). Empty when `folder` is not qualified.
std::vector<std::wstring> PathChain(const std::wstring &folder);

// Whether a directory entry is shown as a folder: directories other than
// "." and "..", hidden ones only when `showHidden` is set.
bool ListsFolder(DWORD attributes, const std::wstring &name, bool showHidden);

// A name that a folder can be renamed to: not empty, not "." or "..", no
// path separator or character the file system refuses, not ending in a
// space or a dot.
bool IsValidFolderName(const std::wstring &name);

// `folder` (with or without trailing backslash) with its last component
// replaced by `name`, with trailing backslash.
std::wstring RenamedFolderPath(const std::wstring &folder, const std::wstring &name);

// The subfolders of `folder`, sorted by name (case-insensitive).
std::vector<std::wstring> ChildFolderNames(const std::wstring &folder, bool showHidden);

// Whether a disk of `driveType` (GetDriveType, which reads no media) may be
// asked for its shell name and icon: only fixed disks and RAM disks, which
// answer at once. A network drive that is not connected, an empty CD drive
// or a slow removable one would hold the window for seconds; they are
// shown by their letter and a generic icon.
bool AsksDiskForItsName(UINT driveType);

} // namespace foldertree

class CFolderTree
{
  public:
    CFolderTree() = default;
    CFolderTree(const CFolderTree &) = delete;
    CFolderTree &operator=(const CFolderTree &) = delete;

    // Takes over a tree-view control (of a dialog): icons, label editing,
    // and the disks as roots.
    void Attach(HWND tree);
    HWND Window() const { return m_tree; }
    // Asked each time a folder is read whether hidden folders are listed
    // (null: they are not).
    void SetShowHiddenQuery(bool (*showHidden)()) { m_showHidden = showHidden; }

    // Expands the tree down to `folder` and selects it. When only part of
    // the path exists, the deepest existing folder is selected; false then
    // (and when nothing of it exists).
    bool SelectFolder(const std::wstring &folder);
    // The selected folder with trailing backslash (the parent item's when
    // the selection is no file-system folder); empty without selection.
    std::wstring SelectedFolder() const;

    // The folder that relative paths start at; shown in bold while
    // `relative` is set.
    void SetBaseFolder(const std::wstring &base, bool relative);

    // Reads the disks and the open folders again (after the hidden-folder
    // preference changed), keeping the selection.
    void Refresh();

    // The tree's WM_NOTIFY. True when handled (`result` is the answer);
    // `folderChanged` is set when the selected folder changed, by a new
    // selection or by renaming a folder in place.
    bool HandleNotify(NMHDR *header, LRESULT &result, bool &folderChanged);

  private:
    struct Node
    {
        std::wstring path; // with trailing backslash; empty: no file-system folder
        bool filled = false;
    };

    void FillRoots();
    // `askDisk`: a root whose shell icon may be asked for (see
    // AsksDiskForItsName).
    HTREEITEM InsertFolder(HTREEITEM parent, const std::wstring &path, const std::wstring &label,
                           bool askDisk = true);
    void FillChildren(HTREEITEM item);
    void ResetChildren(HTREEITEM item);
    HTREEITEM FindChild(HTREEITEM parent, const std::wstring &path);
    Node *NodeOf(HTREEITEM item) const;
    std::wstring ItemPath(HTREEITEM item) const;
    void MarkBase();
    bool RenameItem(HTREEITEM item, const wchar_t *newName);

    HWND m_tree = nullptr;
    // Item data is an index into this list; it grows until the next fill.
    std::vector<Node> m_nodes;
    std::wstring m_base;
    bool m_relative = false;
    HTREEITEM m_boldItem = nullptr;
    int m_folderImage = -1;
    int m_openFolderImage = -1;
    bool (*m_showHidden)() = nullptr;
};
