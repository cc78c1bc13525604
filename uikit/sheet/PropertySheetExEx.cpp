// The sheet frame: creation inside the library's activation context, the
// traced modal run with deferred showing, and the icons. Context help is in
// PropertySheetHelp.cpp, the wizard's band and header in
// PropertySheetWizard.cpp.
#define TRACE_SOURCE "Taskel\\PropertySheet"
#include "PropertySheetExEx.h"

#include "ActivationContext.h"
#include "ContextHelp.h"
#include "FxException.h"
#include "Trace.h"
#include "UikitResources.h"
#include "WizardMsAa.h"

namespace
{
// The sheet being created on this thread: the sheet callback has no user
// data, so it finds its object here.
thread_local CPropertySheetExEx *t_creating = nullptr;

constexpr UINT_PTR kSubclassId = 0x5E7;
// The window property that leads from the sheet window to its object
// (MinGW's comctl32 import library has no GetWindowSubclass).
const wchar_t kSheetProperty[] = L"Ferrovane.PropertySheet";
} // namespace

CPropertySheetExEx::CPropertySheetExEx(const std::wstring &caption, HWND parent,
                                       HINSTANCE resources)
    : m_caption(caption), m_parent(parent), m_resources(resources ? resources : UikitModule())
{
}

CPropertySheetExEx::~CPropertySheetExEx()
{
    if (m_window && ::IsWindow(m_window)) ::DestroyWindow(m_window);
    if (m_largeIcon) ::DestroyIcon(m_largeIcon);
    if (m_smallIcon) ::DestroyIcon(m_smallIcon);
    DropBand(true);
    if (m_accessibility)
    {
        m_accessibility->SetWindow(nullptr);
        m_accessibility->ExternalRelease();
    }
}

void CPropertySheetExEx::SetWizardMode()
{
    m_flags |= PSH_WIZARD97 | PSH_WIZARDCONTEXTHELP | PSH_WIZARD | PSH_WIZARDHASFINISH;
}

CPropertySheetExEx *CPropertySheetExEx::FromWindow(HWND window)
{
    return static_cast<CPropertySheetExEx *>(::GetPropW(window, kSheetProperty));
}

HWND CPropertySheetExEx::CreateSheetWindow(HWND owner)
{
    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPageExEx *page : m_pages)
    {
        page->SetActivationContext(LibraryActivationContext());
        if (HPROPSHEETPAGE handle = page->Create()) handles.push_back(handle);
    }

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = m_flags | PSH_MODELESS | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = m_resources;
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.nStartPage = m_startPage < handles.size() ? m_startPage : 0;
    header.phpage = handles.data();
    header.pfnCallback = &CPropertySheetExEx::SheetCallback;
    if (m_headerBitmap)
    {
        header.dwFlags |= PSH_HEADER;
        header.pszbmHeader = MAKEINTRESOURCEW(m_headerBitmap);
    }

    CActivationScope scope;
    t_creating = this;
    HWND window = nullptr;
    try
    {
        window = reinterpret_cast<HWND>(::PropertySheetW(&header));
    }
    catch (...)
    {
        t_creating = nullptr;
        throw;
    }
    t_creating = nullptr;
    // A modeless sheet that failed destroyed the handles it was given.
    return window;
}

// The platform's sheet callback: once the sheet window exists (and before
// the dialog manager shows it), subclass it.
int CALLBACK CPropertySheetExEx::SheetCallback(HWND window, UINT message, LPARAM)
{
    try
    {
        if (message == PSCB_INITIALIZED && t_creating) t_creating->Attach(window);
    }
    TRACE_CATCH_ALL(2)
    return 0;
}

void CPropertySheetExEx::Attach(HWND window)
{
    m_window = window;
    ::SetPropW(window, kSheetProperty, this);
    ::SetWindowSubclass(window, &CPropertySheetExEx::SubclassProc, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    // What creation gives every sheet: the program icons and the caption's "?".
    SetIcons();
    ::SetWindowLongPtrW(window, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CPropertySheetExEx::SetIcons()
{
    if (!m_largeIcon)
        m_largeIcon = static_cast<HICON>(::LoadImageW(m_resources, MAKEINTRESOURCEW(IDI_PROGRAM),
                                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (!m_smallIcon)
        m_smallIcon = static_cast<HICON>(
            ::LoadImageW(m_resources, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 16, 16, 0));
    if (m_largeIcon)
        ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon));
    if (m_smallIcon)
        ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
}

INT_PTR CPropertySheetExEx::DoModal()
{
    // The owner is the top-level window of the parent; it is disabled while
    // the sheet runs, and any mouse capture ends first.
    HWND owner = m_parent ? ::GetAncestor(m_parent, GA_ROOT) : nullptr;
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    if (HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);

    m_endRequest = IDCANCEL;
    m_finishRequested = (m_flags & PSH_WIZARDHASFINISH) != 0;
    HWND window = nullptr;
    try
    {
        Trace(0x1002, L"Create PropertySheet");
        window = CreateSheetWindow(owner);
        const DWORD error = ::GetLastError();
        Trace(0x1002, L"Created PropertySheet");
        if (window && m_taskbar)
            ::SetWindowLongPtrW(window, GWL_EXSTYLE,
                                ::GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
        TRACE_HERE();
        LogWinErr(2, error, L"PropertySheet");
    }
    TRACE_CATCH_ALL(2)

    INT_PTR result = -1;
    if (window && ::IsWindow(window))
    {
        const bool showNow = IsWizard() && m_taskbar;
        m_inModalLoop = true;
        if (showNow) ::ShowWindow(window, SW_SHOWNORMAL);
        Trace(0x1002, L"RunModal PropertySheet IsVisible [%u]",
              ::IsWindowVisible(window) ? 1u : 0u);
        result = RunModalLoop(!showNow);
        Trace(0x1002, L"RunModal PropertySheet Complete");
        m_inModalLoop = false;

        const bool wasActive = ::GetActiveWindow() == window;
        if (::IsWindow(window))
            ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                               SWP_NOACTIVATE);
        if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
        if (wasActive && owner) ::SetActiveWindow(owner);
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
    else if (ownerWasEnabled)
    {
        ::EnableWindow(owner, TRUE);
    }
    m_window = nullptr;
    if (m_accessibility) m_accessibility->SetWindow(nullptr);
    return result;
}

bool CPropertySheetExEx::SheetEnded() const
{
    return !::IsWindow(m_window) || ::SendMessageW(m_window, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
}

INT_PTR CPropertySheetExEx::RunModalLoop(bool showOnIdle)
{
    bool shown = !showOnIdle;
    MSG msg;
    while (!SheetEnded())
    {
        if (!shown && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            shown = true;
            ::ShowWindow(m_window, SW_SHOWNORMAL);
            ::UpdateWindow(m_window);
            continue;
        }
        // Messages sent to the sheet (PSM_PRESSBUTTON from another process,
        // a button click sent by a test tool) are handled inside the peek
        // and may end the sheet without any posted message: wait for input of
        // any kind and look at the sheet again, rather than block in
        // GetMessage until something is posted.
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            // A message sent while peeking may have ended the sheet.
            if (SheetEnded()) break;
            ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT)
        {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // F1 asks for the help of the focused control, once.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && ::IsChild(m_window, msg.hwnd))
        {
            CContextHelp::RequestHelpForFocus();
            continue;
        }
        if (msg.message == WM_KEYUP && msg.wParam == VK_F1) continue;
        if (!PropSheet_IsDialogMessage(m_window, &msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return m_endRequest;
}

// Which button ends the sheet when it ends: the last OK, Finish or Cancel
// asked for, by a click, the keyboard or another program's message.
void CPropertySheetExEx::NoteEndRequest(UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) m_endRequest = IDOK;
        if (LOWORD(wParam) == IDCANCEL) m_endRequest = IDCANCEL;
        if (LOWORD(wParam) == IDC_SHEET_FINISH) m_endRequest = IDC_SHEET_FINISH;
        break;
    case PSM_PRESSBUTTON:
        if (wParam == PSBTN_OK) m_endRequest = IDOK;
        if (wParam == PSBTN_CANCEL) m_endRequest = IDCANCEL;
        if (wParam == PSBTN_FINISH) m_endRequest = IDC_SHEET_FINISH;
        break;
    case WM_CLOSE:
        m_endRequest = IDCANCEL;
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) m_endRequest = IDCANCEL;
        break;
    default:
        break;
    }
}

LRESULT CALLBACK CPropertySheetExEx::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto *sheet = reinterpret_cast<CPropertySheetExEx *>(self);
    try
    {
        if (message == WM_NCDESTROY)
        {
            ::RemoveWindowSubclass(window, &CPropertySheetExEx::SubclassProc, kSubclassId);
            ::RemovePropW(window, kSheetProperty);
            return ::DefSubclassProc(window, message, wParam, lParam);
        }
        return sheet->WindowProc(message, wParam, lParam);
    }
    TRACE_CATCH_ALL(2)
    return 0;
}

LRESULT CPropertySheetExEx::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefSubclassProc(m_window, message, wParam, lParam);
}

LRESULT CPropertySheetExEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    NoteEndRequest(message, wParam, lParam);
    switch (message)
    {
    case WM_SHOWWINDOW:
        return OnShowWindow(wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS *>(lParam));
        break;
    case WM_CONTEXTMENU:
        if (OnContextMenu(wParam, lParam)) return 0;
        break;
    case WM_HELP:
        OnHelp(reinterpret_cast<const HELPINFO *>(lParam));
        return TRUE;
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wParam))) return TRUE;
        break;
    case WM_SYSCOLORCHANGE:
        DropBand(false);
        break;
    case PSM_SETHEADERTITLEW:
    case PSM_SETHEADERSUBTITLEW:
        OnHeaderText(message, wParam, lParam);
        break;
    case WM_GETOBJECT:
        if (LRESULT result = OnGetObject(wParam, lParam)) return result;
        break;
    case PSM_SETWIZBUTTONS:
        m_finishRequested =
            (m_flags & PSH_WIZARDHASFINISH) || (lParam & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH));
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

LRESULT CPropertySheetExEx::OnShowWindow(WPARAM wParam, LPARAM lParam)
{
    if (!wParam) return Default(WM_SHOWWINDOW, wParam, lParam);
    if (m_taskbar)
        ::SetWindowLongPtrW(m_window, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(m_window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    if (IsWizard() && m_taskbar)
    {
        if (HWND tabs = reinterpret_cast<HWND>(::SendMessageW(m_window, PSM_GETTABCONTROL, 0, 0)))
            ::ShowWindow(tabs, SW_HIDE);
    }
    else if (!m_inModalLoop)
    {
        Trace(0x1002, L"PropSheet WM_SHOWWINDOW ignored");
        return 0;
    }
    Trace(0x1002, L"PropSheet WM_SHOWWINDOW");
    const LRESULT result = Default(WM_SHOWWINDOW, wParam, lParam);
    ::RedrawWindow(m_window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return result;
}

void CPropertySheetExEx::OnWindowPosChanging(WINDOWPOS *position)
{
    if (!position || !(position->flags & SWP_SHOWWINDOW)) return;
    if (m_taskbar)
        ::SetWindowLongPtrW(m_window, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(m_window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    if (IsWizard() && m_taskbar) return;
    if (m_inModalLoop)
    {
        Trace(0x1002, L"PropSheet SWP_SHOWWINDOW");
    }
    else
    {
        Trace(0x1002, L"PropSheet SWP_SHOWWINDOW ignored");
        position->flags &= ~SWP_SHOWWINDOW;
    }
}
