// Context help of the preview window's controls.
#include "PreviewHelp.h"

#include "ContextHelp.h"
#include "DialogControls.h"
#include "TaskelStrings.h"
#include "UikitResources.h"

void ShowDialogControlHelp(HWND dialog, const HELPINFO *info)
{
    if (!info || info->iContextType != HELPINFO_WINDOW) return;
    // A part of a control (a list's header, a combo box's edit) asks as the
    // control it belongs to.
    HWND control = static_cast<HWND>(info->hItemHandle);
    while (control && ::GetParent(control) != dialog)
        control = ::GetParent(control);
    DWORD helpId = control ? ::GetWindowContextHelpId(control) : 0;
    if (!helpId && control) helpId = OwnHelpIdFor(::GetDlgCtrlID(control), 0);
    if (helpId) CContextHelp::ShowPopup(dialog, helpId, info->MousePos);
}

bool OfferWhatsThis(HWND dialog, HWND clicked, LPARAM lParam)
{
    POINT screen = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    HWND control = clicked;
    if (lParam == -1)
    {
        // From the keyboard: the focused control, at its corner.
        control = ::GetFocus();
        RECT r = {};
        if (control) ::GetWindowRect(control, &r);
        screen = {r.left + 4, r.top + 4};
    }
    else if (control == dialog)
    {
        POINT client = screen;
        ::ScreenToClient(dialog, &client);
        control = ::ChildWindowFromPointEx(dialog, client, CWP_SKIPINVISIBLE);
    }
    while (control && ::GetParent(control) != dialog)
        control = ::GetParent(control);
    if (!control) return false;
    const DWORD helpId = ::GetWindowContextHelpId(control);
    if (!helpId) return false;
    unique_menu menu(::CreatePopupMenu());
    if (!menu) return false;
    const std::wstring text = LoadTaskelString(IDS_WHATS_THIS);
    ::AppendMenuW(menu.get(), MF_STRING, 1, text.empty() ? L"What's This?" : text.c_str());
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                         screen.y, 0, dialog, nullptr));
    if (chosen == 1) CContextHelp::ShowPopup(dialog, helpId, screen);
    return true;
}
