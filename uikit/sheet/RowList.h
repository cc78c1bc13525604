// CRowList: what the one-column list controls over an array of rows share
// (the list view with in-place editing, CListViewArrayEdit, and the
// rich-text list box, CRtfListBoxArray), so that their owner fills, selects
// and trims either without asking which kind it holds. CRedrawOff keeps a
// control from drawing while it is filled.
#pragma once

#include <windows.h>

#include <string>

class CRowList
{
  public:
    virtual ~CRowList() = default;

    virtual HWND Window() const = 0;
    virtual int Count() const = 0;
    // The selected row, -1 for none.
    virtual int Selection() const = 0;
    // Selects `row` alone and brings it into view.
    virtual void Select(int row) = 0;
    // Sets the text of `row`; a row at or past `count`, the list's row count
    // (a fill knows it and spares the question), is appended.
    virtual void SetRow(int row, const std::wstring &text, int count) = 0;
    void SetRow(int row, const std::wstring &text) { SetRow(row, text, Count()); }
    // Deletes the rows from `first` on.
    virtual void DeleteRowsFrom(int first) = 0;
    // The first row in sight, for lists that keep it across a refill; 0
    // where the control keeps it itself.
    virtual int TopRow() const { return 0; }
    virtual void SetTopRow(int) {}
};

// Redrawing off for the life of the object, then on again with the whole
// control repainted.
class CRedrawOff
{
  public:
    explicit CRedrawOff(HWND control) : m_control(control)
    {
        ::SendMessageW(m_control, WM_SETREDRAW, FALSE, 0);
    }
    ~CRedrawOff()
    {
        ::SendMessageW(m_control, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_control, nullptr, TRUE);
    }
    CRedrawOff(const CRedrawOff &) = delete;
    CRedrawOff &operator=(const CRedrawOff &) = delete;

  private:
    HWND m_control;
};
