// The wizard's buttons and its default push button.
#include "WizardButtons.h"

#include <commctrl.h>

#include "PropertySheetExEx.h"

namespace fx
{
int WizardDefaultButton(DWORD buttons, bool lastPage)
{
    const bool finish = (buttons & PSWIZB_FINISH) && !(buttons & PSWIZB_DISABLEDFINISH);
    if (lastPage && finish) return IDC_SHEET_FINISH;
    if (buttons & PSWIZB_NEXT) return IDC_SHEET_NEXT;
    return finish ? IDC_SHEET_FINISH : 0;
}

void SetWizardButtons(HWND sheet, DWORD buttons, bool lastPage)
{
    if (!sheet) return;
    ::SendMessageW(sheet, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
    const int id = WizardDefaultButton(buttons, lastPage);
    if (!id) return;
    ::SendMessageW(sheet, DM_SETDEFID, static_cast<WPARAM>(id), 0);
    // The push buttons' look follows: only the default one has the frame.
    for (int other : {int(IDC_SHEET_NEXT), int(IDC_SHEET_FINISH)})
    {
        HWND button = ::GetDlgItem(sheet, other);
        if (!button) continue;
        const bool isDefault = (::GetWindowLongPtrW(button, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0;
        if (isDefault != (other == id))
            ::SendMessageW(button, BM_SETSTYLE, other == id ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                           TRUE);
    }
}
} // namespace fx
