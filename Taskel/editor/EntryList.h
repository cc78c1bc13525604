// CEntryList: one list of the command page, the sources or the target, in
// its two views: the specification view (a list view whose labels are
// edited in place) and the description view (a rich-text list box), each
// with its label. It shows the view the display preference asks for,
// fills the shown list from the command (the sources in steps, with one
// more row that prompts for a new entry), keeps the list's home rectangle
// (the source list grows over the target's room for actions without a
// target) and answers which of its controls a window is.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ListViewArrayEdit.h"
#include "RtfListBoxArray.h"

class ICommandBody;

class CEntryList
{
  public:
    enum class Role
    {
        Sources,
        Target,
    };

    CEntryList(Role role, const ICommandBody &body);
    CEntryList(const CEntryList &) = delete;
    CEntryList &operator=(const CEntryList &) = delete;

    // Takes the role's controls of `page` when its template has them
    // (true); `font` is the page's dialog font.
    bool Attach(HWND page, HFONT font);
    void Detach();
    bool IsAttached() const { return m_page != nullptr; }
    Role GetRole() const { return m_role; }

    // Whether the display preference shows descriptions.
    static bool DescriptionView();
    // The list of the view shown, and the two lists themselves.
    CRowList &Shown();
    CListViewArrayEdit &Specifications() { return m_specifications; }
    CRtfListBoxArray &Descriptions() { return m_descriptions; }
    // Whether `control` is one of the two lists; the description list box.
    bool Owns(HWND control) const;
    bool IsDescriptionList(HWND control) const;
    // The list `control` is (null when it is none of this list's).
    CRowList *ListOf(HWND control);

    // Shows the view's list and label (hidden when `visible` is false) and
    // hides the other view's.
    void ShowView(bool visible = true);
    // Both labels.
    void SetLabel(const std::wstring &text);
    // Where the lists were placed by the template, and moving both.
    const RECT &HomeRect() const { return m_home; }
    void Place(const RECT &rect);

    // The selected row of the view shown (-1 for none), and selecting one.
    int Selection();
    void Select(int row);

    // The entries shown (the target: one row), and one entry's text in the
    // view shown (markup in the description view).
    const std::vector<std::wstring> &Entries() const;
    std::wstring RowText(const std::wstring &entry) const;
    // Sets one row from its entry (after a swap).
    void ShowEntry(int row, const std::wstring &entry);
    // The entry of the selected row of `control`, one of this list's (the
    // target's lists: the target); empty when none is selected.
    std::wstring SelectedEntry(HWND control);

    // Fills the shown list from the entries: the first step now, the next
    // ones on this list's fill timer of the page window.
    void Fill();
    // A tick of the fill timer; `sheetShown` tells whether the sheet shows.
    // False when the description view is no longer shown: the fill stops.
    bool OnFillTimer(bool sheetShown);
    // True while rows wait for a fill step and the folder names their
    // descriptions use are not yet asked for.
    bool NamesPending() const;
    UINT_PTR FillTimer() const;

  private:
    // Sets up to `limit` rows from m_fillRow on, for at most `budgetMs` when
    // that is not 0; after the last entry the prompt row, and rows left from
    // a longer list go.
    void FillRows(int limit, DWORD budgetMs);
    void RequestNames();

    Role m_role;
    const ICommandBody &m_body;
    HWND m_page = nullptr;
    CListViewArrayEdit m_specifications;
    CRtfListBoxArray m_descriptions;
    RECT m_home{};
    mutable std::vector<std::wstring> m_targetRow;
    // The fill in steps: the next entry, the ticks waited for the list's
    // first drawing, and whether the names of the rows to come were asked for.
    size_t m_fillRow = 0;
    int m_fillWaits = 0;
    bool m_namesRequested = false;
};
