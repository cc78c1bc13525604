// CRtfListBoxArray: rows by index with their kept texts, and the drawing of
// a row's markup.
#include "RtfListBoxArray.h"

#include "RtfMarkup.h"

RowChange RowChangeFor(int row, int count, const std::wstring &current, const std::wstring &text)
{
    if (row >= count) return RowChange::Append;
    return current == text ? RowChange::Keep : RowChange::Replace;
}

CRtfListBoxArray::~CRtfListBoxArray()
{
    Detach();
}

void CRtfListBoxArray::Attach(HWND control, HFONT font)
{
    Detach();
    m_list = CListBox(control);
    if (!control) return;
    LOGFONTW lf{};
    if (font && ::GetObjectW(font, sizeof(lf), &lf))
    {
        lf.lfWeight = FW_BOLD;
        m_boldFont = ::CreateFontIndirectW(&lf);
    }
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    m_list.SetItemHeight(tm.tmHeight + 2);
}

void CRtfListBoxArray::Detach()
{
    if (m_boldFont) ::DeleteObject(m_boldFont);
    m_boldFont = nullptr;
    m_list = CListBox();
    m_kept.clear();
    m_drawn = false;
}

const std::vector<std::wstring> &CRtfListBoxArray::KeptTexts(int count)
{
    if (m_kept.size() != static_cast<size_t>(count))
    {
        m_kept.clear();
        for (int row = 0; row < count; ++row)
            m_kept.push_back(m_list.GetText(row));
    }
    return m_kept;
}

void CRtfListBoxArray::SetRow(int row, const std::wstring &text, int count)
{
    const std::vector<std::wstring> &kept = KeptTexts(count);
    const std::wstring &current = row < count ? kept[static_cast<size_t>(row)] : text;
    switch (RowChangeFor(row, count, current, text))
    {
    case RowChange::Keep:
        return;
    case RowChange::Replace: {
        const bool selected = Selection() == row;
        m_list.DeleteString(row);
        m_list.InsertString(row, StripRtfMarkup(text));
        m_kept[static_cast<size_t>(row)] = text;
        if (selected) Select(row);
        return;
    }
    case RowChange::Append:
        if (m_list.InsertString(row, StripRtfMarkup(text)) == row)
            m_kept.push_back(text);
        else
            m_kept.clear(); // not inserted: read again at the next row
        return;
    }
}

void CRtfListBoxArray::DeleteRowsFrom(int first)
{
    for (int n = Count(); n > first; --n)
        m_list.DeleteString(n - 1);
    if (first >= 0 && m_kept.size() > static_cast<size_t>(first))
        m_kept.resize(static_cast<size_t>(first));
}

void CRtfListBoxArray::DrawRow(const DRAWITEMSTRUCT &item)
{
    if (item.itemID == static_cast<UINT>(-1)) return;
    m_drawn = true;
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = ::GetFocus() == item.hwndItem;
    const int background = selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(background));

    const int row = static_cast<int>(item.itemID);
    const std::vector<std::wstring> &kept = KeptTexts(Count());
    const std::wstring markup =
        row < static_cast<int>(kept.size()) ? kept[static_cast<size_t>(row)] : m_list.GetText(row);
    const bool plain = row >= m_plainFrom;
    const COLORREF text = ::GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT
                                        : plain             ? COLOR_GRAYTEXT
                                                            : COLOR_WINDOWTEXT);
    RECT r = item.rcItem;
    r.left += 2;
    r.top += 1;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    const std::vector<RtfRun> runs =
        plain ? std::vector<RtfRun>{RtfRun{markup}} : ParseRtfMarkup(markup);
    DrawRtfRuns(dc, r, runs, font, m_boldFont, text, selected && focused);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
}
