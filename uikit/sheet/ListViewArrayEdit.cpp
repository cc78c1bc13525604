// CListViewArrayEdit: the column, rows by index, selection.
#include "ListViewArrayEdit.h"

void CListViewArrayEdit::Attach(HWND control)
{
    m_list = CListView(control);
    if (!control) return;
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    ::GetClientRect(control, &client);
    m_list.InsertColumn(0, std::wstring(), client.right - ::GetSystemMetrics(SM_CXVSCROLL));
}

void CListViewArrayEdit::Select(int row)
{
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row);
}

void CListViewArrayEdit::SetRow(int row, const std::wstring &text, int count)
{
    if (row < count)
        m_list.SetItemText(row, 0, text);
    else
        m_list.InsertItem(row, text);
}

void CListViewArrayEdit::DeleteRowsFrom(int first)
{
    for (int n = Count(); n > first; --n)
        m_list.DeleteItem(n - 1);
}
