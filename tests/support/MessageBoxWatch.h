// Message boxes as the user sees them: while a watcher lives, every message
// box that one process shows is found (a visible dialog of class "#32770"
// owned by that process), read (caption and text) and dismissed with its
// button, so tests of whole processes can check what the user was told and
// no box is ever left open. A property sheet the test does not drive itself
// counts as one too: it is recorded with the text "(property sheet)" and
// cancelled, which changes nothing. Needs a display: GUI tests run under
// xvfb-run.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ShownMessage
{
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons; // captions, in the box's order
    std::wstring defaultButton;        // the caption Enter would press
};

class CMessageBoxWatcher
{
  public:
    explicit CMessageBoxWatcher(DWORD processId);
    ~CMessageBoxWatcher();
    CMessageBoxWatcher(const CMessageBoxWatcher &) = delete;
    CMessageBoxWatcher &operator=(const CMessageBoxWatcher &) = delete;

    // Ends the watch after a last look; the boxes seen, in order.
    std::vector<ShownMessage> Stop();

  private:
    void Poll();

    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<ShownMessage> m_shown;
    std::vector<HWND> m_answered;
    std::thread m_thread;
};

// The boxes as one line each, "caption: text", for failure messages.
std::string Describe(const std::vector<ShownMessage> &shown);
