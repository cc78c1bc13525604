// The wizard's default push button (what Enter presses): Next whenever Next
// is enabled. Some sheets make an enabled Finish the default instead, so
// Enter on a page whose Finish means something else ("Another") would act
// on it; the sheet applies this after every PSM_SETWIZBUTTONS.
#pragma once

#include <windows.h>

namespace fx
{
// The button for `buttons` (PSWIZB_* flags): Next when enabled, else an
// enabled Finish, else none (0).
int WizardDefaultButton(DWORD buttons);
// Makes that button the sheet's default push button.
void ApplyWizardDefaultButton(HWND sheet, DWORD buttons);
} // namespace fx
