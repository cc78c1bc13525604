// Helpers of the preview tests: the window opened on a thread of its own as
// the editor opens it (ShowPreviewWindow returns when it closes), and its
// controls read and pressed from the test's thread.
#pragma once

#include <windows.h>

#include <string>

#include "PreviewWindow.h"
#include "UniqueHandle.h"

class CPreviewHost
{
  public:
    // Starts ShowPreviewWindow(nullptr, source) on a thread of its own.
    explicit CPreviewHost(const PreviewSource &source);
    // Closes a window still open and waits for the thread.
    ~CPreviewHost();
    CPreviewHost(const CPreviewHost &) = delete;
    CPreviewHost &operator=(const CPreviewHost &) = delete;

    // The window once it is visible (null when it did not appear).
    HWND WaitForWindow();
    HWND Window() const { return m_window; }
    HWND Item(int id) const { return ::GetDlgItem(m_window, id); }
    // ShowPreviewWindow returned within `timeoutMs`.
    bool WaitEnded(DWORD timeoutMs);
    bool Ended() const;
    DWORD ThreadId() const { return m_threadId; }

  private:
    static DWORD WINAPI Thread(void *self) noexcept;
    PreviewSource m_source;
    fx::unique_handle m_thread;
    DWORD m_threadId = 0;
    HWND m_window = nullptr;
};

std::wstring WindowText(HWND window);
int ItemCount(HWND list);
std::wstring ListText(HWND list, int row, int column);
// A button pressed as a click does it, without waiting for what it starts
// (a dialog it opens runs on the window's thread).
void Click(HWND dialog, int id);
// Chooses entry `index` of the "Show:" box as the user does.
void ChooseFilter(HWND dialog, int index);
// CF_UNICODETEXT on the clipboard (empty when there is none).
std::wstring ClipboardText();
void EmptyTheClipboard();
