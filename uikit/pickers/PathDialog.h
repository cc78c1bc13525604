// CPathDialog: the modal dialog in which the user types or browses one path
// specification: an edit field with the current specification, a Browse
// button that picks a folder (keeping the file part), OK and Cancel. The
// result is the combined path: relative to the base folder when the
// settings key's "Relative" value is set and it lies below the base.
#pragma once

#include <windows.h>

#include <string>

class CPathDialog
{
  public:
    CPathDialog(std::wstring title, std::wstring settingsKey, std::wstring baseFolder,
                std::wstring path);

    // The Browse button's caption (the caller's string table).
    void SetBrowseText(const std::wstring &text) { m_browse = text; }
    // IDOK or IDCANCEL.
    INT_PTR DoModal(HWND owner);
    const std::wstring &Path() const { return m_path; }

    // The registry key of the application profile the settings key lives
    // under (HKEY_CURRENT_USER), e.g. "Software\Veltrac\Ferrovane".
    static void SetProfileKey(const std::wstring &key);
    // The "Relative" value under the settings key.
    static bool ReadRelative(const std::wstring &settingsKey);

    enum : int
    {
        IDC_PATH_EDIT = 100,
        IDC_PATH_BROWSE = 101,
    };

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnBrowse(HWND window);
    void OnOk(HWND window);

    std::wstring m_title;
    std::wstring m_settingsKey;
    std::wstring m_base;
    std::wstring m_path;
    std::wstring m_browse = L"&Browse...";
};
