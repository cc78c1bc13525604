// Context help through compiled HTML help: a help file with a popup topic
// file ("Taskel.chm::/TextPopups.txt"), popups shown through HtmlHelpW,
// which is loaded from hhctrl.ocx when first needed (MinGW has no import
// library for it). Without a help file nothing is shown and no error
// appears. F1 becomes a WM_HELP request to the dialog of the focused
// control.
#pragma once

#include <windows.h>

#include <string>

#include "Trace.h"

// HtmlHelpW's shape; tests install their own to see the requests (null
// restores the run-time loaded one).
using HtmlHelpFunction = HWND(WINAPI *)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
void SetHtmlHelpSeam(HtmlHelpFunction function);

// HtmlHelpW's popup command and record (htmlhelp.h is not part of MinGW).
enum : UINT
{
    HELP_HH_DISPLAY_TEXT_POPUP = 0x000E,
};
struct HelpPopup
{
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    LPCWSTR pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    LPCWSTR pszFont;
};

// The help file in `folder` ("<folder>\Taskel.chm") when it exists, else
// empty: the library then offers no help.
std::wstring FindHelpFile(const std::wstring &folder, const wchar_t *name);

// The context help id a dialog control gets from its control id: the id
// itself, unless the control has no id of its own (0, or IDC_STATIC as a
// WORD or -1) or already has a help id (0 = leave it as it is).
DWORD OwnHelpIdFor(int controlId, DWORD currentHelpId);
// Gives every direct child of `dialog` its OwnHelpIdFor help id. Only the
// dialog's own controls: the parts of a control (a combo box's edit, a list
// view's header) have ids of their own that mean nothing to the help file.
void GiveControlsHelpIds(HWND dialog);

class CContextHelp
{
  public:
    // Installs the help file and its popup topic file; an empty file
    // removes help.
    static void SetHelpFile(const std::wstring &helpFile, const std::wstring &popupFile);
    static bool HasHelp();
    static const std::wstring &HelpFile();
    // "<help file>::/<popup file>", the file argument of a popup request.
    static std::wstring PopupSource();

    // Shows the popup text of `helpId` at `at` (screen coordinates) beside
    // `owner`. Traces "Help [%u]"; without a help file nothing more happens.
    // An exception is traced at level 4 at the library's popup site.
    static void ShowPopup(HWND owner, DWORD helpId, POINT at);
    static void SetPopupTraceSite(const TraceSite &site);
    // F1: sends the dialog that holds the focused control a WM_HELP record
    // for it, with the control's context help id (0 when it has none: the
    // sheet finds its own buttons' help by their ids). Traces "OnHelp".
    static bool RequestHelpForFocus();
};
