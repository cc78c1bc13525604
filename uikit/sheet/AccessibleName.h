// The names screen readers announce for controls whose own text does not
// say what they are, set through the system's annotation service
// (IAccPropServices). Where the service is missing (older systems, Wine)
// nothing happens and the calls answer false.
#pragma once

#include <windows.h>

#include <string>

bool AccessibleNamesAvailable();
// Sets the name, and the role when `role` is not 0 (ROLE_SYSTEM_...).
bool SetAccessibleName(HWND control, const std::wstring &name, DWORD role = 0);
void ClearAccessibleName(HWND control);

// Tests see the names a page sets through this hook instead of the service.
using AccessibleNameHook = bool (*)(HWND control, const std::wstring &name, DWORD role);
void SetAccessibleNameHook(AccessibleNameHook hook);
