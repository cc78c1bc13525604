// Helpers of the editor tests: running a sheet modally while a timer of
// the same thread drives it, pumping, and saving a window's picture.
#pragma once

#include "TestWindows.h"

#include <windows.h>

#include <functional>
#include <string>

class CPropertySheetExEx;

// Runs `sheet.DoModal()`; once the sheet is visible, `during` runs with the
// sheet window (inside the modal loop). When `during` leaves the sheet
// open, Cancel is pressed. Returns DoModal's result.
INT_PTR RunSheet(CPropertySheetExEx &sheet, const std::function<void(HWND)> &during);
// The build folder (FERROVANE_BUILD_DIR) as a Windows path with a trailing
// backslash; the temporary folder when it is not set.
std::wstring BuildFolder();
// Saves what the screen shows of `window` as a PNG file.
bool SaveWindowPicture(HWND window, const std::wstring &path);
