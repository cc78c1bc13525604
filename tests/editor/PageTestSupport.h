// Helpers of the command page tests: a modeless property sheet holding one
// command page on a real command file, message pumping, keyboard state,
// list texts, the preview window a page button opens, and screenshots into
// the build folder.
#pragma once

#include "TestWindows.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// The text of a list view's item `row` in `column`.
std::wstring ListViewText(HWND list, int row, int column = 0);
int ListViewCount(HWND list);
std::wstring ListBoxText(HWND list, int row);
int ListBoxCount(HWND list);
std::wstring WindowText(HWND window);

// Saves a picture of `window` as PNG into the build folder
// (FERROVANE_BUILD_DIR, else the temporary folder); returns its path.
std::wstring SaveScreenshot(HWND window, const std::wstring &name);

// What a preview window showed once its plan was whole.
struct PreviewSeen
{
    bool shown = false;                          // the window appeared and filled
    HWND owner = nullptr;                        // the window that owns it
    bool ownerEnabled = true;                    // whether the owner took input while it showed
    bool runShown = false;                       // the Run button
    bool ran = false;                            // Run was pressed and `ran` came true
    std::vector<std::vector<std::wstring>> rows; // action, source, target, what happens
    std::wstring screenshot;                     // its picture, when `screenshotName` was given
};

// Clicks `button`, which opens the preview window titled `title` on this
// thread and returns when it closes; a worker thread waits for the window,
// reads it once filled, presses Run when `ran` is given and waits for it to
// answer true, and closes the window (also when it does not fill in time).
PreviewSeen PreviewFromButton(HWND button, const std::wstring &title,
                              const std::wstring &screenshotName = std::wstring(),
                              const std::function<bool()> &ran = nullptr);
