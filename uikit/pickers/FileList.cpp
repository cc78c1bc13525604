// The file list: reading and filtering a folder's files, and the list-view
// control that shows them.
#define TRACE_SOURCE "UiKit\\FileList"
#include "FileList.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "NoCase.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace filelist
{

bool NameMatches(const std::wstring &name, const std::wstring &pattern)
{
    if (pattern.empty() || pattern == L"*" || pattern == L"*.*") return true;
    return ::PathMatchSpecW(name.c_str(), pattern.c_str()) != FALSE;
}

std::vector<std::wstring> VisibleNames(const std::vector<Entry> &entries,
                                       const std::wstring &pattern, bool showHidden)
{
    std::vector<std::wstring> names;
    for (const Entry &entry : entries)
    {
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!showHidden && (entry.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        if (NameMatches(entry.name, pattern)) names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end(), [](const std::wstring &a, const std::wstring &b) {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                      static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
    });
    return names;
}

bool ReadFolder(const std::wstring &folder, std::vector<Entry> &entries)
{
    entries.clear();
    std::wstring pattern = folder;
    if (pattern.empty()) return false;
    if (pattern.back() != L'\\') pattern += L'\\';
    const DWORD attributes = ::GetFileAttributesW(pattern.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    pattern += L"*";
    WIN32_FIND_DATAW data;
    fx::unique_find find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                            FindExSearchNameMatch, nullptr, 0));
    if (!find.is_valid()) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do
    {
        if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L".."))
            entries.push_back(Entry{data.cFileName, data.dwFileAttributes});
    } while (::FindNextFileW(find.get(), &data));
    return true;
}

} // namespace filelist

void CFileList::Attach(HWND list)
{
    m_list = list;
    SHFILEINFOW info{};
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    // The system image list is shared: the list must not destroy it.
    LONG_PTR style = ::GetWindowLongPtrW(m_list, GWL_STYLE);
    style = (style & ~(LVS_SINGLESEL | LVS_TYPEMASK)) | LVS_LIST | LVS_SHAREIMAGELISTS |
            LVS_SHOWSELALWAYS;
    ::SetWindowLongPtrW(m_list, GWL_STYLE, style);
    if (images) ListView_SetImageList(m_list, images, LVSIL_SMALL);
}

bool CFileList::SetFolder(const std::wstring &folder)
{
    m_folder = folder;
    if (!m_folder.empty() && m_folder.back() != L'\\') m_folder += L'\\';
    return Refresh();
}

bool CFileList::Refresh()
{
    std::vector<filelist::Entry> entries;
    const bool read = filelist::ReadFolder(m_folder, entries);
    const std::vector<std::wstring> selected = SelectedNames();
    m_names = filelist::VisibleNames(entries, m_filter, m_showHidden && m_showHidden());
    m_filling = true;
    ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(m_list);
    int index = 0;
    for (const std::wstring &name : m_names)
    {
        SHFILEINFOW info{};
        ::SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                         SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.pszText = const_cast<wchar_t *>(name.c_str());
        item.iImage = info.iIcon;
        const int at = ListView_InsertItem(m_list, &item);
        for (const std::wstring &keep : selected)
            if (at >= 0 && EqualNoCase(keep, name))
                ListView_SetItemState(m_list, at, LVIS_SELECTED, LVIS_SELECTED);
        ++index;
    }
    ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
    m_filling = false;
    return read;
}

int CFileList::Count() const
{
    return ListView_GetItemCount(m_list);
}

std::wstring CFileList::NameAt(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_names.size() ? m_names[index]
                                                                     : std::wstring();
}

std::vector<std::wstring> CFileList::SelectedNames() const
{
    std::vector<std::wstring> names;
    if (!m_list) return names;
    for (int i = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(m_list, i, LVNI_SELECTED))
        names.push_back(NameAt(i));
    return names;
}

bool CFileList::SelectName(const std::wstring &name)
{
    int found = -1;
    for (size_t i = 0; i < m_names.size(); ++i)
        if (EqualNoCase(m_names[i], name)) found = static_cast<int>(i);
    if (found < 0) return false;
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(m_list, found, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_list, found, FALSE);
    return true;
}

bool CFileList::HandleNotify(NMHDR *header, bool &selectionChanged)
{
    if (!header || header->hwndFrom != m_list || header->code != LVN_ITEMCHANGED) return false;
    auto *view = reinterpret_cast<NMLISTVIEW *>(header);
    if (!m_filling && (view->uChanged & LVIF_STATE) &&
        ((view->uNewState ^ view->uOldState) & LVIS_SELECTED) && (view->uNewState & LVIS_SELECTED))
        selectionChanged = true;
    return true;
}
