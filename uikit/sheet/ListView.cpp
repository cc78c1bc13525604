// CListView and CControl: the few control calls that need more than a line.
#include "ListView.h"

#include <vector>

std::wstring CControl::GetText() const
{
    const int length = ::GetWindowTextLengthW(m_window);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(m_window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

HIMAGELIST CListView::SetImageList(HIMAGELIST images, int which) const
{
    return reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(images)));
}

DWORD CListView::GetViewStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_window, GWL_STYLE)) & LVS_TYPEMASK;
}

void CListView::SetViewStyle(DWORD view) const
{
    const LONG_PTR style = ::GetWindowLongPtrW(m_window, GWL_STYLE);
    ::SetWindowLongPtrW(m_window, GWL_STYLE,
                        (style & ~LONG_PTR(LVS_TYPEMASK)) | LONG_PTR(view & LVS_TYPEMASK));
}

int CListView::InsertColumn(int index, const std::wstring &text, int width, int format) const
{
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<LPWSTR>(text.c_str());
    column.iSubItem = index;
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
}

int CListView::InsertItem(int index, const std::wstring &text, LPARAM data, int image) const
{
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index < 0 ? GetItemCount() : index;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    item.lParam = data;
    if (image >= 0)
    {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListView::SetItemText(int index, int column, const std::wstring &text) const
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    return Send(LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item)) != 0;
}

std::wstring CListView::GetItemText(int index, int column) const
{
    // The control copies at most the buffer's size; grow until the text fits.
    for (size_t size = 260;; size *= 4)
    {
        std::vector<wchar_t> buffer(size);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        const auto length =
            static_cast<size_t>(Send(LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < size || size > 0x100000)
            return std::wstring(buffer.data(), length < size ? length : size - 1);
    }
}

bool CListView::SetItemData(int index, LPARAM data) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

LPARAM CListView::GetItemData(int index) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

bool CListView::SetItemImage(int index, int image) const
{
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

void CListView::SetItemState(int index, UINT state, UINT mask) const
{
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void CListView::SelectOnly(int index) const
{
    SetItemState(-1, 0, LVIS_SELECTED);
    if (index < 0 || index >= GetItemCount()) return;
    SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(index);
}
