// CTaskelProgress: the runner's tray icon holder. A hidden popup window for
// the caller's window owns the animated notification-area icon and the
// animation it shows, and forwards its timer messages to the icon.
#pragma once

#include <windows.h>

#include <memory>

#include "AniNotifyIcon.h"
#include "AniRes.h"

class CTaskelProgress
{
  public:
    // Creates the hidden window owned by `owner` (may be null); animations
    // and titles come from `resources` (the module of this code when null).
    explicit CTaskelProgress(HWND owner, HMODULE resources = nullptr);
    ~CTaskelProgress();
    CTaskelProgress(const CTaskelProgress &) = delete;
    CTaskelProgress &operator=(const CTaskelProgress &) = delete;

    // Shows animation `iconId` with the string `titleId` as tooltip: adds the
    // icon the first time, replaces animation and tooltip afterwards. Does
    // nothing when the window is gone, the pair is already shown, or the
    // notification area refused the icon before.
    void Show(int iconId, int titleId);

    HWND Window() const { return m_window; }
    const CAniNotifyIcon &Icon() const { return m_icon; }
    int IconId() const { return m_iconId; }
    int TitleId() const { return m_titleId; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HMODULE m_module;
    HWND m_window = nullptr;
    std::unique_ptr<CAniRes> m_animation;
    CAniNotifyIcon m_icon;
    int m_iconId = 0;
    int m_titleId = 0;
    bool m_refused = false;
};

// The module that holds this code (Taskel.dll, or a test program that links
// the core), whose resources hold the animations and titles.
HMODULE TaskelCodeModule();
