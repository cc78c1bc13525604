// Context help of a dialog's controls outside a property sheet: F1 and the
// "What's This?" menu of a right click show the popup of the control's
// context help id (its own id, see GiveControlsHelpIds).
#pragma once

#include <windows.h>

// WM_HELP: the popup of the control the request names.
void ShowDialogControlHelp(HWND dialog, const HELPINFO *info);
// WM_CONTEXTMENU: "What's This?" for the control clicked (or focused, from
// the keyboard); false when it has no help.
bool OfferWhatsThis(HWND dialog, HWND clicked, LPARAM lParam);
