// Where the preview window was: its placement kept in the product's
// profile below HKEY_CURRENT_USER (value "PreviewPlacement", the
// WINDOWPLACEMENT record) and brought back onto a monitor that shows it.
#pragma once

#include <windows.h>

extern const wchar_t kPreviewPlacementValue[];

bool LoadPreviewPlacement(HKEY root, const wchar_t *key, WINDOWPLACEMENT &placement);
bool SavePreviewPlacement(HKEY root, const wchar_t *key, const WINDOWPLACEMENT &placement);

// `wanted` moved (and shrunk when it is bigger) so that it lies inside
// `area`, and grown to at least `minimum`.
RECT ClampRect(const RECT &wanted, const RECT &area, SIZE minimum);

// The placement saved for the window restored on the monitor nearest to
// where it was, never minimized; false (nothing done) when none is saved.
bool RestoreWindowPlacement(HWND window, HKEY root, const wchar_t *key, SIZE minimum);
bool SaveWindowPlacement(HWND window, HKEY root, const wchar_t *key);
