// CListViewArrayEdit: a report-view list view of one column over an array
// of rows whose labels the user edits in place: full-row selection, the
// column as wide as the control less a scroll bar, rows set by index, and
// the in-place editor started by the owner. It owns nothing.
#pragma once

#include "ListView.h"
#include "RowList.h"

class CListViewArrayEdit : public CRowList
{
  public:
    using CRowList::SetRow;

    // Takes `control` and gives it its column (once per control).
    void Attach(HWND control);
    void Detach() { m_list = CListView(); }
    const CListView &List() const { return m_list; }

    HWND Window() const override { return m_list.Window(); }
    int Count() const override { return m_list.GetItemCount(); }
    int Selection() const override { return m_list.GetFirstSelected(); }
    void Select(int row) override;
    void SetRow(int row, const std::wstring &text, int count) override;
    void DeleteRowsFrom(int first) override;

    // Starts editing the label of `row`; returns the edit control (null
    // when editing did not start).
    HWND EditLabel(int row) const { return m_list.EditLabel(row); }
    // The edit control while a label is being edited.
    HWND EditControl() const { return m_list.GetEditControl(); }

  private:
    CListView m_list;
};
