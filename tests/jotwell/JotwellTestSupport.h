// Helpers of the Jotwell tests: a property sheet in this process that takes
// the pages a shell extension adds (as the shell's Properties or the
// command library's running sheet would), pumping, and the controls of the
// settings page driven as a user drives them.
#pragma once

#include "TestWindows.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// A modeless sheet around the pages `extension->AddPages` hands over.
class CExtensionSheet
{
  public:
    // The extension's AddPages is called with this object as its lParam.
    explicit CExtensionSheet(IShellPropSheetExt *extension);
    ~CExtensionSheet();
    CExtensionSheet(const CExtensionSheet &) = delete;
    CExtensionSheet &operator=(const CExtensionSheet &) = delete;

    HRESULT AddResult() const { return m_addResult; }
    size_t PageCount() const { return m_pages.size(); }
    // Creates and shows the sheet; false when it could not be created.
    bool Open(const std::wstring &caption = L"Preferences");
    HWND Window() const { return m_window; }
    HWND CurrentPage() const;
    // PSM_PRESSBUTTON (PSBTN_APPLYNOW, PSBTN_OK, PSBTN_CANCEL) and a pump.
    void Press(int button);
    // Cancels (when still open) and destroys the sheet and its pages.
    void Close();

  private:
    static BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM self);

    std::vector<HPROPSHEETPAGE> m_pages;
    HRESULT m_addResult = E_FAIL;
    HWND m_window = nullptr;
};

// The user's actions on a dialog's controls.
void Click(HWND dialog, int id);
// Types `text` into the edit `id` and leaves the field (focus to `next`).
void TypeInto(HWND dialog, int id, const std::wstring &text, int next);
std::wstring TextOf(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

// The build folder's screenshots folder (created), with a trailing backslash.
std::wstring ScreenshotFolder();
bool SaveWindowPicture(HWND window, const std::wstring &path);
