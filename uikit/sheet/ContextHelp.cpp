// Context help popups through HtmlHelpW, the F1 request and the help ids
// of dialog controls.
#define TRACE_SOURCE "Taskel\\Taskel"
#include "ContextHelp.h"

#include "FxException.h"
#include "Trace.h"

namespace
{
HtmlHelpFunction g_seam = nullptr;
TraceSite g_popupSite{TRACE_SOURCE, __LINE__};
std::wstring g_helpFile;
std::wstring g_popupFile;

// hhctrl.ocx stays loaded once it was needed: its popups live on after the call.
HtmlHelpFunction SystemHtmlHelp()
{
    static HtmlHelpFunction function = [] {
        HMODULE library = ::LoadLibraryW(L"hhctrl.ocx");
        return library ? reinterpret_cast<HtmlHelpFunction>(
                             reinterpret_cast<void *>(::GetProcAddress(library, "HtmlHelpW")))
                       : nullptr;
    }();
    return function;
}

HtmlHelpFunction HtmlHelp()
{
    return g_seam ? g_seam : SystemHtmlHelp();
}

bool FileExists(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

void SetHtmlHelpSeam(HtmlHelpFunction function)
{
    g_seam = function;
}

std::wstring FindHelpFile(const std::wstring &folder, const wchar_t *name)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    path += L".chm";
    return FileExists(path) ? path : std::wstring();
}

DWORD OwnHelpIdFor(int controlId, DWORD currentHelpId)
{
    const DWORD id = static_cast<DWORD>(controlId);
    if (currentHelpId || id == 0 || id == 0xFFFF || controlId == -1) return 0;
    return id;
}

void GiveControlsHelpIds(HWND dialog)
{
    if (!dialog) return;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        const DWORD helpId = OwnHelpIdFor(::GetDlgCtrlID(child), ::GetWindowContextHelpId(child));
        if (helpId) ::SetWindowContextHelpId(child, helpId);
    }
}

void CContextHelp::SetHelpFile(const std::wstring &helpFile, const std::wstring &popupFile)
{
    g_helpFile = helpFile;
    g_popupFile = helpFile.empty() ? std::wstring() : popupFile;
}

bool CContextHelp::HasHelp()
{
    return !g_helpFile.empty();
}

const std::wstring &CContextHelp::HelpFile()
{
    return g_helpFile;
}

std::wstring CContextHelp::PopupSource()
{
    return g_helpFile + L"::/" + g_popupFile;
}

void CContextHelp::ShowPopup(HWND owner, DWORD helpId, POINT at)
{
    try
    {
        Trace(4, L"Help [%u]", helpId);
        if (!HasHelp()) return;
        HtmlHelpFunction function = HtmlHelp();
        if (!function) return;
        HelpPopup popup{};
        popup.cbStruct = sizeof(popup);
        popup.idString = helpId;
        popup.pt = at;
        popup.clrForeground = static_cast<COLORREF>(-1);
        popup.clrBackground = static_cast<COLORREF>(-1);
        popup.rcMargins = {-1, -1, -1, -1};
        const std::wstring source = PopupSource();
        function(owner, source.c_str(), HELP_HH_DISPLAY_TEXT_POPUP,
                 reinterpret_cast<DWORD_PTR>(&popup));
    }
    TRACE_CATCH_SITE(4, g_popupSite)
}

void CContextHelp::SetPopupTraceSite(const TraceSite &site)
{
    g_popupSite = site;
}

bool CContextHelp::RequestHelpForFocus()
{
    Trace(3, L"OnHelp");
    HWND focus = ::GetFocus();
    if (!focus) return false;
    HWND dialog = ::GetParent(focus);
    wchar_t className[16];
    while (dialog &&
           !(::GetClassNameW(dialog, className, 16) && lstrcmpW(className, L"#32770") == 0))
        dialog = ::GetParent(dialog);
    // A control without a help id of its own (a sheet's button) still asks:
    // the sheet knows its buttons' help by their ids.
    const DWORD helpId = ::GetWindowContextHelpId(focus);
    if (!dialog) return false;

    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = ::GetDlgCtrlID(focus);
    info.hItemHandle = focus;
    info.dwContextId = helpId;
    const DWORD position = ::GetMessagePos();
    info.MousePos = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    return true;
}
