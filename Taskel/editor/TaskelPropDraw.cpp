// CTaskelPropBase, drawing: the rich-text rows of the description lists,
// the arrow buttons and the colour hints of the option boxes.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "TaskelPropBase.h"

#include <vector>

#include "RtfMarkup.h"
#include "TaskelClass.h"
#include "resource.h"

void CTaskelPropBase::DrawListItem(const DRAWITEMSTRUCT &item)
{
    if (item.itemID == static_cast<UINT>(-1)) return;
    if (item.CtlID == IDC_SOURCE_DESCRIPTIONS) m_listDrawn = true;
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = ::GetFocus() == item.hwndItem;
    const int background = selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(background));

    const LRESULT length = ::SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    std::wstring markup(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    ::SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(&markup[0]));
    markup.resize(static_cast<size_t>(length > 0 ? length : 0));

    const size_t count = m_document ? m_document->GetSourceCount() : 0;
    const bool prompt = item.CtlID == IDC_SOURCE_DESCRIPTIONS && item.itemID >= count;
    COLORREF text = ::GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT
                                  : prompt            ? COLOR_GRAYTEXT
                                                      : COLOR_WINDOWTEXT);
    RECT r = item.rcItem;
    r.left += 2;
    r.top += 1;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    std::vector<RtfRun> runs =
        prompt ? std::vector<RtfRun>{RtfRun{markup}} : ParseRtfMarkup(markup);
    DrawRtfRuns(dc, r, runs, font, m_boldFont, text, selected && focused);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
}

void CTaskelPropBase::DrawMoveButton(const DRAWITEMSTRUCT &item)
{
    UINT state = item.CtlID == IDC_MOVE_UP ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (item.itemState & ODS_SELECTED) state |= DFCS_PUSHED;
    if (item.itemState & ODS_DISABLED) state |= DFCS_INACTIVE;
    RECT r = item.rcItem;
    ::DrawFrameControl(item.hDC, &r, DFC_SCROLL, state);
    if (item.itemState & ODS_FOCUS)
    {
        ::InflateRect(&r, -3, -3);
        ::DrawFocusRect(item.hDC, &r);
    }
}

HBRUSH CTaskelPropBase::OptionColour(HDC dc, HWND control)
{
    const int id = ::GetDlgCtrlID(control);
    if (OptionBoxIndex(id) < 0) return nullptr;
    OptionBoxes boxes{};
    ReadOptionBoxes(boxes);
    switch (OptionBoxHint(id, boxes, m_mask))
    {
    case OptionHint::Shadow:
        // Greyed caption on the dialog's face: the runner passes it over.
        if (!m_shadowBrush) m_shadowBrush = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return m_shadowBrush;
    case OptionHint::Light:
        if (!m_lightBrush) m_lightBrush = ::CreateSolidBrush(::GetSysColor(COLOR_3DLIGHT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_3DLIGHT));
        return m_lightBrush;
    case OptionHint::None:
    default:
        return nullptr;
    }
}
