// The wizard's buttons as a page sets them: PSM_SETWIZBUTTONS, then the
// default push button (what Enter presses). Some sheets make an enabled
// Finish the default whenever it is enabled, so Enter on a page whose
// Finish means something else ("Another") would act on it: here Enter
// moves on with Next, and finishes only on the last page.
#pragma once

#include <windows.h>

namespace fx
{
// The button for `buttons` (PSWIZB_* flags): Finish on the last page when
// it is enabled, else Next when enabled, else an enabled Finish, else none
// (0).
int WizardDefaultButton(DWORD buttons, bool lastPage);
// Sets the buttons and makes that one the sheet's default push button.
void SetWizardButtons(HWND sheet, DWORD buttons, bool lastPage);
} // namespace fx
