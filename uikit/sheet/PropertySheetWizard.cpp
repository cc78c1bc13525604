// The sheet in wizard mode: the vertical title band painted beside the
// pages (rendered once into a bitmap, dropped when the system colours
// change), and the header texts kept for the header's accessibility object.
#define TRACE_SOURCE "Taskel\\PropertySheet"
#include "PropertySheetExEx.h"

#include <algorithm>

#include "FxException.h"
#include "Trace.h"
#include "WizardMsAa.h"

namespace
{
// The band font's first height, and the margin it keeps from the page's
// top and bottom.
constexpr int kInitialFontHeight = 100;
constexpr int kBandMargin = 4;

RECT ChildRect(HWND parent, HWND child)
{
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}
} // namespace

void CPropertySheetExEx::SetBandTitle(const std::wstring &title)
{
    m_bandBackground = RGB(207, 223, 239);
    m_bandTextColour = RGB(0, 0, 48);
    m_bandTitle = title;
    DropBand(true);
    if (m_window) ::InvalidateRect(m_window, nullptr, TRUE);
}

void CPropertySheetExEx::DropBand(bool font)
{
    if (m_bandBitmap) ::DeleteObject(m_bandBitmap);
    m_bandBitmap = nullptr;
    if (font && m_bandFont)
    {
        ::DeleteObject(m_bandFont);
        m_bandFont = nullptr;
    }
}

bool CPropertySheetExEx::OnEraseBackground(HDC dc)
{
    try
    {
        if (!dc) return false;
        const int saved = ::SaveDC(dc);
        if (HWND page = reinterpret_cast<HWND>(::SendMessageW(m_window, PSM_GETCURRENTPAGEHWND, 0, 0)))
        {
            const RECT r = ChildRect(m_window, page);
            ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        if (IsWizard())
            for (HWND child = ::GetWindow(m_window, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT))
                if (::IsWindowVisible(child))
                {
                    const RECT r = ChildRect(m_window, child);
                    ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
                }
        RECT client{};
        ::GetClientRect(m_window, &client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        if (IsWizard() && !m_bandTitle.empty()) DrawBand(dc);
        ::RestoreDC(dc, saved);
        return true;
    }
    TRACE_CATCH_ALL(2)
    return false;
}

// The band: the title running bottom to top beside the pages, in the band
// colours, vertically centred on the first page.
void CPropertySheetExEx::DrawBand(HDC dc)
{
    if (m_pages.empty() || !m_pages[0]->Window()) return;
    const RECT page = ChildRect(m_window, m_pages[0]->Window());
    const int available = (page.bottom - page.top) - 2 * kBandMargin;
    if (available <= 0) return;

    if (!m_bandFont)
    {
        LOGFONTW lf{};
        lf.lfHeight = kInitialFontHeight;
        lf.lfEscapement = 900;
        lf.lfOrientation = 900;
        lf.lfWeight = 400;
        lf.lfQuality = 4;
        lf.lfOutPrecision = 7;
        lf.lfPitchAndFamily = 32;
        lf.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(lf.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
        HFONT trial = ::CreateFontIndirectW(&lf);
        HGDIOBJ old = ::SelectObject(dc, trial);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, m_bandTitle.c_str(), static_cast<int>(m_bandTitle.size()),
                                &extent);
        ::SelectObject(dc, old);
        ::DeleteObject(trial);
        // The title's length fits the page's height; the band is no wider
        // than the margin beside the page (but readable).
        int height = extent.cx > 0 ? kInitialFontHeight * available / extent.cx : kInitialFontHeight;
        height = (std::min)(height, kInitialFontHeight);
        if (page.left >= 12) height = (std::min)(height, static_cast<int>(page.left));
        height = (std::max)(height, 12);
        if (IsTraceEnabled(1)) Trace(4, L"Using title font height [%d]", height);
        lf.lfHeight = height;
        m_bandFont = ::CreateFontIndirectW(&lf);
        old = ::SelectObject(dc, m_bandFont);
        ::GetTextExtentPoint32W(dc, m_bandTitle.c_str(), static_cast<int>(m_bandTitle.size()),
                                &extent);
        ::SelectObject(dc, old);
        // Rotated, the text's length is the band's height and its height the width.
        const int width = extent.cy;
        const int length = (std::min)(static_cast<int>(extent.cx), available);
        const int left = page.left > width ? (page.left - width) / 2 : 0;
        const int top = page.top + ((page.bottom - page.top) - length) / 2;
        m_bandRect = {left, top, left + width, top + length};
    }

    const int width = m_bandRect.right - m_bandRect.left;
    const int height = m_bandRect.bottom - m_bandRect.top;
    if (!m_bandBitmap)
    {
        HDC memory = ::CreateCompatibleDC(dc);
        HBITMAP bitmap = memory ? ::CreateCompatibleBitmap(dc, width, height) : nullptr;
        if (bitmap)
        {
            HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
            HGDIOBJ oldFont = ::SelectObject(memory, m_bandFont);
            RECT all = {0, 0, width, height};
            ::FillRect(memory, &all, ::GetSysColorBrush(COLOR_BTNFACE));
            ::SetTextColor(memory, m_bandTextColour);
            ::SetBkColor(memory, m_bandBackground);
            ::SetBkMode(memory, OPAQUE);
            ::TextOutW(memory, 0, height, m_bandTitle.c_str(), static_cast<int>(m_bandTitle.size()));
            ::SelectObject(memory, oldFont);
            ::SelectObject(memory, oldBitmap);
            m_bandBitmap = bitmap;
        }
        if (memory) ::DeleteDC(memory);
    }
    if (m_bandBitmap)
    {
        HDC memory = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, m_bandBitmap);
        const BOOL copied = ::BitBlt(dc, m_bandRect.left, m_bandRect.top, width, height, memory, 0,
                                     0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        if (copied) return;
    }
    // Without a rendering: the plain text.
    HGDIOBJ old = ::SelectObject(dc, m_bandFont);
    ::SetTextColor(dc, RGB(0, 0, 96));
    ::SetBkMode(dc, TRANSPARENT);
    ::TextOutW(dc, m_bandRect.left, m_bandRect.bottom, m_bandTitle.c_str(),
               static_cast<int>(m_bandTitle.size()));
    ::SelectObject(dc, old);
}

CWizardMsAa &CPropertySheetExEx::Accessibility()
{
    if (!m_accessibility)
    {
        m_accessibility = new CWizardMsAa(m_window);
        m_accessibility->ExternalAddRef();
        m_accessibility->SetTitle(m_headerTitle);
        m_accessibility->SetSubtitle(m_headerSubtitle);
    }
    m_accessibility->SetWindow(m_window);
    return *m_accessibility;
}

// A header text that changes goes to the accessibility object; a screen
// reader that is running hears of it even before it asked for the object.
void CPropertySheetExEx::OnHeaderText(UINT message, WPARAM, LPARAM text)
{
    std::wstring value;
    if (text && IS_INTRESOURCE(text))
    {
        const wchar_t *resource = nullptr;
        const int length = ::LoadStringW(m_resources, static_cast<UINT>(text),
                                         reinterpret_cast<LPWSTR>(&resource), 0);
        if (length > 0) value.assign(resource, static_cast<size_t>(length));
    }
    else if (text)
    {
        value = reinterpret_cast<const wchar_t *>(text);
    }
    const bool title = message == PSM_SETHEADERTITLEW;
    std::wstring &stored = title ? m_headerTitle : m_headerSubtitle;
    if (stored == value) return;
    stored = value;
    BOOL screenReader = FALSE;
    if (!m_accessibility &&
        !(::SystemParametersInfoW(SPI_GETSCREENREADER, 0, &screenReader, 0) && screenReader))
        return;
    CWizardMsAa &object = Accessibility();
    if (title)
        object.SetTitle(value);
    else
        object.SetSubtitle(value);
    object.Announce(title ? CWizardMsAa::CHILD_TITLE : CWizardMsAa::CHILD_SUBTITLE);
}

IAccessible *CPropertySheetExEx::HeaderAccessibility()
{
    IAccessible *object = Accessibility().Accessible();
    object->AddRef();
    return object;
}

LRESULT CPropertySheetExEx::OnGetObject(WPARAM flags, LPARAM objectId)
{
    if (static_cast<LONG>(objectId) != OBJID_WIZARD_HEADER || !IsWizard()) return 0;
    const LRESULT result =
        ::LresultFromObject(__uuidof(IAccessible), flags, Accessibility().Accessible());
    if (result <= 0)
    {
        TRACE_HERE();
        LogComErr(2, static_cast<HRESULT>(result), L"LresultFromObject");
    }
    return result > 0 ? result : 0;
}
