// CListBox: a thin wrapper over a list box with strings: rows, their texts,
// the selection, the top row and the row height. It owns nothing.
#pragma once

#include "DialogControls.h"

#include <string>

class CListBox : public CControl
{
  public:
    using CControl::CControl;
    using CControl::GetText;

    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    // The selected row of a single-selection list box, -1 for none.
    int GetCurSel() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    void SetCurSel(int row) const { Send(LB_SETCURSEL, static_cast<WPARAM>(row)); }
    // The text of `row` (empty for a row that is not there).
    std::wstring GetText(int row) const;
    // Inserts before `row` (-1: at the end); returns the new row or LB_ERR.
    int InsertString(int row, const std::wstring &text) const;
    bool DeleteString(int row) const
    {
        return Send(LB_DELETESTRING, static_cast<WPARAM>(row)) != LB_ERR;
    }
    void ResetContent() const { Send(LB_RESETCONTENT); }
    int GetTopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }
    void SetTopIndex(int row) const { Send(LB_SETTOPINDEX, static_cast<WPARAM>(row)); }
    // The height of every row of a fixed owner-drawn list box.
    void SetItemHeight(int height) const { Send(LB_SETITEMHEIGHT, 0, height); }
};
