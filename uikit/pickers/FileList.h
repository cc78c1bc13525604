// CFileList: a list-view control that shows the files of one folder with
// the shell's icons, filtered by a name pattern (wildcards, such as
// "rep*.txt"), with multiple selection. The filelist functions are the
// decisions behind it, callable without a window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace filelist
{

struct Entry
{
    std::wstring name;
    DWORD attributes = 0;
};

// Whether `name` matches `pattern` (the shell's wildcard match; "*" and an
// empty pattern match every name, "*.*" also names without a dot).
bool NameMatches(const std::wstring &name, const std::wstring &pattern);

// The names the list shows: files (no folders) that match `pattern`, hidden
// and system files only when `showHidden` is set, sorted by name
// (case-insensitive).
std::vector<std::wstring> VisibleNames(const std::vector<Entry> &entries,
                                       const std::wstring &pattern, bool showHidden);

// The entries of `folder`; false when it cannot be read.
bool ReadFolder(const std::wstring &folder, std::vector<Entry> &entries);

} // namespace filelist

class CFileList
{
  public:
    CFileList() = default;
    CFileList(const CFileList &) = delete;
    CFileList &operator=(const CFileList &) = delete;

    // Takes over a list-view control (of a dialog): icons and multiple
    // selection.
    void Attach(HWND list);
    HWND Window() const { return m_list; }
    // Asked at each refresh whether hidden and system files are listed
    // (null: they are not).
    void SetShowHiddenQuery(bool (*showHidden)()) { m_showHidden = showHidden; }

    // Shows the files of `folder` (with or without trailing backslash);
    // false, with an empty list, when the folder cannot be read.
    bool SetFolder(const std::wstring &folder);
    const std::wstring &Folder() const { return m_folder; }
    void SetFilter(const std::wstring &pattern) { m_filter = pattern; }
    const std::wstring &Filter() const { return m_filter; }
    // Reads the folder again and shows what matches the filter.
    bool Refresh();

    int Count() const;
    std::wstring NameAt(int index) const;
    // The selected names, in list order.
    std::vector<std::wstring> SelectedNames() const;
    // Selects exactly the entry named `name` (case-insensitive); false
    // when it is not listed.
    bool SelectName(const std::wstring &name);

    // The list's WM_NOTIFY: `selectionChanged` is set when the user changed
    // the selection (not while the list is filled).
    bool HandleNotify(NMHDR *header, bool &selectionChanged);

  private:
    HWND m_list = nullptr;
    std::wstring m_folder;
    std::wstring m_filter = L"*";
    std::vector<std::wstring> m_names;
    bool m_filling = false;
    bool (*m_showHidden)() = nullptr;
};
