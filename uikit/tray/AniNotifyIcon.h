// CAniNotifyIcon: an animated icon in the taskbar's notification area. It
// adds the icon for a window, steps it through an animation on that
// window's timer, replaces animation and tooltip on request and removes the
// icon again. Every shell call is retried, since the notification area may
// not be ready yet.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>

class CAniRes;
class CAniTimer;

// The shell's notify-icon call; tests install their own to observe or fail
// it (null restores the system's).
using NotifyIconFunction = BOOL(WINAPI *)(DWORD message, PNOTIFYICONDATAW data);
void SetNotifyIconSeam(NotifyIconFunction function);

// The process's callback message of the tray icon, registered once.
UINT AniNotifyCallbackMessage();

// Attempts of every shell call and the pause between them.
enum : int
{
    NOTIFY_ATTEMPTS = 10,
    NOTIFY_RETRY_MS = 100,
};

class CAniNotifyIcon
{
  public:
    CAniNotifyIcon();
    ~CAniNotifyIcon();
    CAniNotifyIcon(const CAniNotifyIcon &) = delete;
    CAniNotifyIcon &operator=(const CAniNotifyIcon &) = delete;

    // Shows `animation` (not owned; must outlive the icon) for `window`,
    // which forwards its WM_TIMER messages to OnTimer.
    bool Add(HWND window, const CAniRes *animation, const wchar_t *tooltip);
    // Replaces the animation and/or the tooltip of the shown icon.
    bool Modify(const CAniRes *animation, const wchar_t *tooltip);
    // Removes the icon; returns whether one was shown.
    bool Remove();
    // Advances the animation when `id` is the clock's timer.
    void OnTimer(UINT_PTR id);

    bool IsShown() const { return m_data != nullptr; }
    const NOTIFYICONDATAW *Data() const { return m_data.get(); }
    const CAniTimer *Clock() const { return m_clock.get(); }
    UINT DepthLimit() const { return m_depthLimit; }
    void SetDepthLimit(UINT limit) { m_depthLimit = limit; }

  private:
    HICON FrameIcon(const CAniRes &animation, size_t frame) const;
    // Up to NOTIFY_ATTEMPTS shell calls; each distinct error traced once.
    bool Notify(DWORD message);
    void SetTip(const wchar_t *tooltip);
    void Release();

    const CAniRes *m_animation = nullptr;
    std::unique_ptr<CAniTimer> m_clock;
    std::unique_ptr<NOTIFYICONDATAW> m_data;
    int m_cx;
    int m_cy;
    UINT m_depthLimit;
};
