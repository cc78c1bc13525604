// CPropertySheetExEx, context help: the help ids of the sheet's own
// buttons, "What's This?" on a right click, and WM_HELP shown as the
// popup of the control's help id.
#define TRACE_SOURCE "Taskel\\PropertySheet"
#include "PropertySheetExEx.h"

#include "ContextHelp.h"
#include "DialogControls.h"
#include "Trace.h"
#include "UikitResources.h"

namespace
{
std::wstring LoadText(HINSTANCE module, UINT id)
{
    const wchar_t *text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}
} // namespace

UINT SheetControlHelpContext(UINT controlId, bool finishRequested, bool hasSeparateFinish,
                             DWORD finishOwnHelpId)
{
    switch (controlId)
    {
    case IDCANCEL:
        return HELPID_SHEET_CANCEL;
    case IDC_SHEET_BACK:
        return HELPID_SHEET_BACK;
    case IDC_SHEET_NEXT:
        return finishRequested && !hasSeparateFinish ? HELPID_SHEET_FINISH : HELPID_SHEET_NEXT;
    case IDC_SHEET_FINISH:
        return finishOwnHelpId ? static_cast<UINT>(finishOwnHelpId) : UINT(HELPID_SHEET_FINISH);
    default:
        return 0;
    }
}

UINT CPropertySheetExEx::GetControlHelpContext(UINT controlId)
{
    Trace(4, L"GetControlHelpContext [%u]", controlId);
    const DWORD finishOwn =
        m_window ? ::GetWindowContextHelpId(::GetDlgItem(m_window, IDC_SHEET_FINISH)) : 0;
    return SheetControlHelpContext(controlId, m_finishRequested,
                                   (m_flags & PSH_WIZARDHASFINISH) != 0, finishOwn);
}

DWORD ChooseControlHelpId(ControlPlace place, DWORD ownHelpId, UINT tableHelpId)
{
    switch (place)
    {
    case ControlPlace::Sheet:
        return tableHelpId;
    case ControlPlace::Page:
        return ownHelpId;
    default:
        return ownHelpId ? ownHelpId : tableHelpId;
    }
}

namespace
{
bool IsGroupBox(HWND window)
{
    wchar_t className[16];
    return ::GetClassNameW(window, className, 16) && lstrcmpiW(className, L"Button") == 0 &&
           (::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The visible control of `page` under `screen`. A group box only when no
// control inside it is there: it comes first in the tab order and encloses
// its buttons.
HWND PageControlAt(HWND page, POINT screen)
{
    HWND box = nullptr;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        RECT rect;
        if (!::IsWindowVisible(child) || !::GetWindowRect(child, &rect) ||
            !::PtInRect(&rect, screen))
            continue;
        if (!IsGroupBox(child)) return child;
        if (!box) box = child;
    }
    return box;
}
} // namespace

ControlPlace CPropertySheetExEx::PlaceOf(HWND control) const
{
    if (!control || !m_window) return ControlPlace::Unknown;
    if (::GetParent(control) == m_window) return ControlPlace::Sheet;
    return ::IsChild(m_window, control) ? ControlPlace::Page : ControlPlace::Unknown;
}

// Right click (or the menu key) on one of the sheet's buttons, or on a
// control of the current page, offers "What's This?", which asks for that
// control's help: the sheet's buttons by the table, page controls by their
// own context help id.
bool CPropertySheetExEx::OnContextMenu(WPARAM wParam, LPARAM lParam)
{
    POINT screen = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1)
    {
        const DWORD position = ::GetMessagePos();
        screen = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    }
    POINT client = screen;
    ::ScreenToClient(m_window, &client);
    HWND control = ::ChildWindowFromPointEx(m_window, client, CWP_SKIPINVISIBLE);
    if (!control || control == m_window) return false;
    HWND page = reinterpret_cast<HWND>(::SendMessageW(m_window, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (control == page)
    {
        // The window the click was on, when it is one of the page's
        // controls; else the control under the point.
        HWND clicked = reinterpret_cast<HWND>(wParam);
        control = clicked && clicked != page && ::IsChild(page, clicked)
                      ? clicked
                      : PageControlAt(page, screen);
        if (!control) return false;
    }
    const UINT id = static_cast<UINT>(::GetDlgCtrlID(control));
    const ControlPlace place = PlaceOf(control);
    const UINT helpId =
        ChooseControlHelpId(place, ::GetWindowContextHelpId(control),
                            place == ControlPlace::Page ? 0u : GetControlHelpContext(id));
    if (!helpId) return false;

    unique_menu menu(::CreatePopupMenu());
    if (!menu) return false;
    const std::wstring text = LoadText(m_resources, IDS_WHATS_THIS);
    ::AppendMenuW(menu.get(), MF_STRING, 1, text.empty() ? L"What's This?" : text.c_str());
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                         screen.y, 0, m_window, nullptr));
    menu.reset();
    if (chosen == 1)
    {
        HELPINFO info{};
        info.cbSize = sizeof(info);
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = static_cast<int>(id);
        info.hItemHandle = control;
        info.dwContextId = helpId;
        info.MousePos = screen;
        ::SendMessageW(m_window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }
    return true;
}

void CPropertySheetExEx::OnHelp(const HELPINFO *info)
{
    if (!info || info->iContextType != HELPINFO_WINDOW) return;
    // The sheet's own buttons keep the table's ids; a page control's own id
    // is its help, and a page control without one has none (its id could
    // be one of the buttons' ids).
    const ControlPlace place = PlaceOf(static_cast<HWND>(info->hItemHandle));
    const DWORD own = static_cast<DWORD>(info->dwContextId);
    const bool needTable = place == ControlPlace::Sheet || (place == ControlPlace::Unknown && !own);
    const DWORD helpId = ChooseControlHelpId(
        place, own, needTable ? GetControlHelpContext(static_cast<UINT>(info->iCtrlId)) : 0u);
    if (!helpId) return;
    // Cancel's help is a wizard's only.
    if (helpId == HELPID_SHEET_CANCEL && !IsWizard()) return;
    CContextHelp::ShowPopup(m_window, helpId, info->MousePos);
}
