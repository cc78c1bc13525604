// Names that screen readers announce for controls whose dialog label says
// something else (a group box above an edit, a link without a caption),
// given through the accessibility framework's dynamic annotation service.
#pragma once

#include <windows.h>

#include <string>

// Whether the platform offers the annotation service.
bool AccessibleNamesAvailable();
// Annotates `control` with `name`; false where the service is missing.
bool SetAccessibleName(HWND control, const std::wstring &name);
// Removes the annotation again (before the control is destroyed).
void ClearAccessibleName(HWND control);
