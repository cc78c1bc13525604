// CListView: a thin wrapper over a list-view control (report or icon view):
// columns, items with their texts, images and item data, selection and
// focus, and in-place label editing. It owns nothing.
#pragma once

#include "DialogControls.h"

#include <commctrl.h>

#include <string>

class CListView : public CControl
{
  public:
    using CControl::CControl;

    void SetExtendedStyle(DWORD mask, DWORD style) const
    {
        Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(style));
    }
    HIMAGELIST SetImageList(HIMAGELIST images, int which) const;
    DWORD GetViewStyle() const; // LVS_REPORT, LVS_ICON, LVS_SMALLICON or LVS_LIST
    void SetViewStyle(DWORD view) const;

    int InsertColumn(int index, const std::wstring &text, int width,
                     int format = LVCFMT_LEFT) const;
    void SetColumnWidth(int index, int width) const { Send(LVM_SETCOLUMNWIDTH, index, width); }

    // Inserts at `index` (clamped to the end); returns the new index or -1.
    int InsertItem(int index, const std::wstring &text, LPARAM data = 0, int image = -1) const;
    bool SetItemText(int index, int column, const std::wstring &text) const;
    std::wstring GetItemText(int index, int column = 0) const;
    bool SetItemData(int index, LPARAM data) const;
    LPARAM GetItemData(int index) const;
    bool SetItemImage(int index, int image) const;
    bool DeleteItem(int index) const { return Send(LVM_DELETEITEM, index) != 0; }
    bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS) != 0; }
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

    // LVNI_* search from `start` (-1: from the beginning).
    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(Send(LVM_GETNEXTITEM, start, flags));
    }
    int GetSelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }
    int GetFirstSelected() const { return GetNextItem(-1, LVNI_SELECTED); }
    int GetFocused() const { return GetNextItem(-1, LVNI_FOCUSED); }
    void SetItemState(int index, UINT state, UINT mask) const;
    // Selects only `index`, focuses it and scrolls it into view.
    void SelectOnly(int index) const;
    void EnsureVisible(int index) const { Send(LVM_ENSUREVISIBLE, index, FALSE); }

    // Starts in-place editing of the label; returns the edit control.
    HWND EditLabel(int index) const { return reinterpret_cast<HWND>(Send(LVM_EDITLABELW, index)); }
    HWND GetEditControl() const { return reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL)); }
    void CancelEditLabel() const { Send(LVM_CANCELEDITLABEL); }
};
