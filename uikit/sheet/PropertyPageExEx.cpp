// The property-page base: page description, page handle, the shared dialog
// procedure and the page callback. Every control of a page gets its id as
// context help id, so F1 and "What's This?" lead to its popup.
#define TRACE_SOURCE "MfcGui\\PropertyPageExEx"
#include "PropertyPageExEx.h"

#include "ContextHelp.h"
#include "FxException.h"
#include "Trace.h"

namespace
{
// The description form that carries an activation context (52 bytes on
// 32-bit Windows); every comctl32 from version 6 accepts it.
const DWORD kDescriptionSize = CCSIZEOF_STRUCT(PROPSHEETPAGEW, hActCtx);

// Messages whose answer is the procedure's return value rather than
// DWLP_MSGRESULT (the dialog manager's rule, as in SetDlgMsgResult).
bool AnswersDirectly(UINT message)
{
    switch (message)
    {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

INT_PTR Answer(HWND window, UINT message, bool handled, LRESULT result)
{
    if (!handled) return FALSE;
    if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
} // namespace

bool AnswerAfterThrow(UINT message, UINT code, LRESULT &result)
{
    if (message != WM_NOTIFY) return false;
    switch (code)
    {
    case PSN_APPLY:
        result = PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    case PSN_WIZFINISH:
        result = TRUE;
        return true;
    case PSN_WIZNEXT:
    case PSN_WIZBACK:
        result = -1;
        return true;
    case PSN_SETACTIVE:
    case PSN_KILLACTIVE:
    case PSN_QUERYCANCEL:
        result = 0;
        return true;
    default:
        return false;
    }
}

HINSTANCE UikitModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&UikitModule), &module);
    return module;
}

CPropertyPageExEx::CPropertyPageExEx(UINT templateId, HINSTANCE resources)
    : m_templateId(templateId), m_resources(resources ? resources : UikitModule())
{
}

CPropertyPageExEx::~CPropertyPageExEx()
{
    // A page destroyed while its window lives must not be reached again.
    if (m_window && ::IsWindow(m_window)) ::SetWindowLongPtrW(m_window, DWLP_USER, 0);
}

void CPropertyPageExEx::SetTitle(const std::wstring &title)
{
    m_title = title;
}
void CPropertyPageExEx::SetHeaderTitle(const std::wstring &text)
{
    m_headerTitle = text;
}
void CPropertyPageExEx::SetHeaderSubtitle(const std::wstring &text)
{
    m_headerSubtitle = text;
}

void CPropertyPageExEx::SetTrapSite(const TraceSite &site, DWORD level)
{
    m_trapSite = site;
    m_trapLevel = level;
}

void CPropertyPageExEx::SetRefParent(UINT *counter)
{
    m_refParent = counter;
    if (counter)
        m_flags |= PSP_USEREFPARENT;
    else
        m_flags &= ~PSP_USEREFPARENT;
}

PROPSHEETPAGEW CPropertyPageExEx::Description() const
{
    PROPSHEETPAGEW page{};
    page.dwSize = kDescriptionSize;
    page.dwFlags = m_flags | PSP_USECALLBACK;
    page.hInstance = m_resources;
    page.pszTemplate = MAKEINTRESOURCEW(m_templateId);
    page.pfnDlgProc = &CPropertyPageExEx::DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    page.pfnCallback = &CPropertyPageExEx::PageCallback;
    page.pcRefParent = m_refParent;
    if (!m_title.empty())
    {
        page.dwFlags |= PSP_USETITLE;
        page.pszTitle = m_title.c_str();
    }
    if (!m_headerTitle.empty())
    {
        page.dwFlags |= PSP_USEHEADERTITLE;
        page.pszHeaderTitle = m_headerTitle.c_str();
    }
    if (!m_headerSubtitle.empty())
    {
        page.dwFlags |= PSP_USEHEADERSUBTITLE;
        page.pszHeaderSubTitle = m_headerSubtitle.c_str();
    }
    if (m_activationContext)
    {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = m_activationContext;
    }
    return page;
}

HPROPSHEETPAGE CPropertyPageExEx::Create()
{
    const PROPSHEETPAGEW page = Description();
    return ::CreatePropertySheetPageW(&page);
}

bool CPropertyPageExEx::IsCurrentPage() const
{
    HWND sheet = Sheet();
    return sheet && m_window &&
           reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) == m_window;
}

void CPropertyPageExEx::SetModified(bool modified)
{
    if (HWND sheet = Sheet())
        ::SendMessageW(sheet, modified ? PSM_CHANGED : PSM_UNCHANGED,
                       reinterpret_cast<WPARAM>(m_window), 0);
}

CPropertyPageExEx *CPropertyPageExEx::FromWindow(HWND window)
{
    return reinterpret_cast<CPropertyPageExEx *>(::GetWindowLongPtrW(window, DWLP_USER));
}

bool CPropertyPageExEx::OnCommand(WORD, WORD, HWND)
{
    return false;
}
bool CPropertyPageExEx::OnTimer(UINT_PTR)
{
    return false;
}
bool CPropertyPageExEx::OnContextMenu(HWND, POINT)
{
    return false;
}
bool CPropertyPageExEx::OnHelp(HELPINFO *)
{
    return false;
}
bool CPropertyPageExEx::OnMessage(UINT, WPARAM, LPARAM, LRESULT &)
{
    return false;
}

bool CPropertyPageExEx::OnNotify(UINT_PTR, NMHDR *header, LRESULT &result)
{
    return header && header->hwndFrom == Sheet() && DispatchSheetNotify(header, result);
}

bool CPropertyPageExEx::DispatchSheetNotify(NMHDR *header, LRESULT &result)
{
    switch (header->code)
    {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;
        return true;
    case PSN_APPLY:
        result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    case PSN_QUERYCANCEL:
        result = OnQueryCancel() ? FALSE : TRUE;
        return true;
    case PSN_RESET:
        OnReset();
        result = 0;
        return true;
    case PSN_WIZBACK:
        result = OnWizardBack();
        return true;
    case PSN_WIZNEXT:
        result = OnWizardNext();
        return true;
    case PSN_WIZFINISH:
        result = OnWizardFinish() ? FALSE : TRUE;
        return true;
    case PSN_HELP:
        OnHelpButton();
        result = 0;
        return true;
    default:
        return false;
    }
}

INT_PTR CPropertyPageExEx::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    bool handled = false;
    switch (message)
    {
    case WM_INITDIALOG: {
        const bool setFocus = OnInitDialog();
        // After the page's own init, which may have set ids of its own.
        GiveControlsHelpIds(m_window);
        return setFocus ? TRUE : FALSE;
    }
    case WM_COMMAND:
        handled = OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        break;
    case WM_NOTIFY:
        handled = OnNotify(wParam, reinterpret_cast<NMHDR *>(lParam), result);
        break;
    case WM_TIMER:
        handled = OnTimer(wParam);
        break;
    case WM_CONTEXTMENU: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        handled = OnContextMenu(reinterpret_cast<HWND>(wParam), point);
        break;
    }
    case WM_HELP:
        handled = OnHelp(reinterpret_cast<HELPINFO *>(lParam));
        if (handled) result = TRUE;
        break;
    default:
        handled = OnMessage(message, wParam, lParam, result);
        break;
    }
    return Answer(m_window, message, handled, result);
}

INT_PTR CPropertyPageExEx::TrappedDispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Pages without a site of their own trace as the page base.
    const TraceSite site = m_trapSite.source ? m_trapSite : TraceSite{TRACE_SOURCE, __LINE__};
    const DWORD level = m_trapSite.source ? m_trapLevel : 2;
    try
    {
        return Dispatch(message, wParam, lParam);
    }
    TRACE_CATCH_ALL_IN(level, site.source, site.line)
    const auto *header = message == WM_NOTIFY ? reinterpret_cast<const NMHDR *>(lParam) : nullptr;
    LRESULT result = 0;
    const bool answered = AnswerAfterThrow(message, header ? header->code : 0, result);
    return Answer(m_window, message, answered, result);
}

INT_PTR CALLBACK CPropertyPageExEx::DialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    try
    {
        CPropertyPageExEx *page = nullptr;
        if (message == WM_INITDIALOG)
        {
            // lParam is the sheet's copy of the description; its lParam is the page.
            const auto *description = reinterpret_cast<const PROPSHEETPAGEW *>(lParam);
            page =
                description ? reinterpret_cast<CPropertyPageExEx *>(description->lParam) : nullptr;
            if (!page) return FALSE;
            page->m_window = window;
            ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        }
        else
        {
            page = FromWindow(window);
            if (!page) return FALSE;
        }
        if (message == WM_NCDESTROY)
        {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            page->OnDestroy();
            page->m_window = nullptr;
            return FALSE;
        }
        return page->TrappedDispatch(message, wParam, lParam);
    }
    TRACE_CATCH_ALL(2)
    return FALSE;
}

UINT CALLBACK CPropertyPageExEx::PageCallback(HWND, UINT message, LPPROPSHEETPAGEW description)
{
    try
    {
        auto *page =
            description ? reinterpret_cast<CPropertyPageExEx *>(description->lParam) : nullptr;
        if (!page) return 1;
        if (message != PSPCB_RELEASE)
        {
            if (page->m_sink) page->m_sink->OnPageCallback(*page, message);
            return 1;
        }
        page->OnRelease();
        IPageCallbackSink *sink = page->m_sink;
        if (page->m_deleteOnRelease)
        {
            if (sink) sink->OnPageCallback(*page, message);
            delete page;
        }
        else if (sink)
        {
            // The sink's count is the last thing touched: once it drops, a
            // sweep on another thread may free the page.
            sink->OnPageCallback(*page, message);
        }
    }
    TRACE_CATCH_ALL(2)
    // PSPCB_CREATE: a non-zero answer lets the sheet create the page.
    return 1;
}
