// Names (and roles) that screen readers announce for a dialog's controls,
// set through the system's accessibility property service (dynamic
// annotation) where a control's label alone would read wrongly. Where the
// service is missing, controls keep their default names.
#pragma once

#include <windows.h>

#include <string>

// Gives `control` the announced `name` and, when `role` is not 0, the role
// (ROLE_SYSTEM_*). False when the service refused or is missing.
bool SetAccessibleName(HWND control, const std::wstring &name, DWORD role = 0);

// Test seam: every request goes to `hook` instead (null: the service).
using AccessibleNameHook = bool (*)(HWND control, const std::wstring &name, DWORD role);
void SetAccessibleNameHook(AccessibleNameHook hook);
