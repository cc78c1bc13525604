// Helpers of the command page tests: a modeless property sheet holding one
// command page on a real command file, message pumping, keyboard state,
// list texts and screenshots into the build folder.
#pragma once

#include "TestWindows.h"

#include <windows.h>

#include <memory>
#include <string>

#include "TaskelPropPage.h"

class CPageHost
{
  public:
    // Loads `path` into a new command page and shows it in a modeless sheet.
    CPageHost(const std::wstring &path, bool readOnly, bool descriptions);
    ~CPageHost();
    CPageHost(const CPageHost &) = delete;
    CPageHost &operator=(const CPageHost &) = delete;

    HRESULT LoadResult() const { return m_load; }
    CTaskelPropPage &Page() { return *m_page; }
    HWND Sheet() const { return m_sheet; }
    HWND Item(int id) const { return ::GetDlgItem(m_page->Window(), id); }
    CTaskel &Command() { return *m_page->Command(); }

  private:
    std::unique_ptr<CTaskelPropPage> m_page;
    HWND m_sheet = nullptr;
    HRESULT m_load = E_FAIL;
};

// The view the command pages show (the process-wide display preference).
void SetDescriptionView(bool descriptions);

// Holds VK_CONTROL down in this thread's keyboard state while it lives.
class CControlKeyDown
{
  public:
    CControlKeyDown();
    ~CControlKeyDown();
};

std::wstring ListViewText(HWND list, int row);
int ListViewCount(HWND list);
std::wstring ListBoxText(HWND list, int row);
int ListBoxCount(HWND list);
std::wstring WindowText(HWND window);

// Saves a picture of `window` as PNG into the build folder
// (FERROVANE_BUILD_DIR, else the temporary folder); returns its path.
std::wstring SaveScreenshot(HWND window, const std::wstring &name);
