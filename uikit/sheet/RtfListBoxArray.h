// CRtfListBoxArray: an owner-drawn list box over an array of rows in the
// small rich-text markup (RtfMarkup.h). It keeps the texts of its rows as
// it set them: every message to a subclassed control costs a round trip to
// the window server under Wine, far more than making the row's text, so a
// refill finds its unchanged rows without asking the list for them. Should
// the row count differ from the kept texts (rows changed behind its back),
// it reads them from the list again. Rows from the plain row on (the
// prompt of a new entry) are drawn as grey text, not as markup. The list
// itself holds each row's plain text, which is what a screen reader (or any
// other program asking the list) reads; the markup is only drawn. Rows read
// back from the list after a change behind its back are drawn plain.
#pragma once

#include "ListBox.h"
#include "RowList.h"

#include <climits>
#include <string>
#include <vector>

// What setting one row of a list does.
enum class RowChange
{
    Keep,    // the row already shows the text
    Replace, // the row is there with another text
    Append,  // the row is not there yet
};
// The change for setting `row` to `text` in a list of `count` rows whose
// row holds `current` (unused past the end).
RowChange RowChangeFor(int row, int count, const std::wstring &current, const std::wstring &text);

class CRtfListBoxArray : public CRowList
{
  public:
    using CRowList::SetRow;

    CRtfListBoxArray() = default;
    ~CRtfListBoxArray() override;
    CRtfListBoxArray(const CRtfListBoxArray &) = delete;
    CRtfListBoxArray &operator=(const CRtfListBoxArray &) = delete;

    // Takes `control`: rows one line of `font` (the dialog's) high and two
    // pixels more, drawn with it and a bold variant of it.
    void Attach(HWND control, HFONT font);
    void Detach();
    const CListBox &List() const { return m_list; }

    HWND Window() const override { return m_list.Window(); }
    int Count() const override { return m_list.GetCount(); }
    int Selection() const override { return m_list.GetCurSel(); }
    void Select(int row) override { m_list.SetCurSel(row); }
    // A list box cannot change a row's text: an unchanged row stays, a
    // changed one is replaced, keeping it selected if it was.
    void SetRow(int row, const std::wstring &text, int count) override;
    void DeleteRowsFrom(int first) override;
    int TopRow() const override { return m_list.GetTopIndex(); }
    void SetTopRow(int row) override { m_list.SetTopIndex(row); }

    // Rows from `row` on are drawn as plain grey text.
    void SetPlainRowsFrom(int row) { m_plainFrom = row; }
    // Draws one row (the parent's WM_DRAWITEM for this list).
    void DrawRow(const DRAWITEMSTRUCT &item);
    // Whether the list has drawn a row since it was attached.
    bool HasDrawn() const { return m_drawn; }
    // The kept texts, read again first when `count` rows differ from them.
    const std::vector<std::wstring> &KeptTexts(int count);

  private:
    CListBox m_list;
    std::vector<std::wstring> m_kept;
    HFONT m_boldFont = nullptr;
    int m_plainFrom = INT_MAX;
    bool m_drawn = false;
};
