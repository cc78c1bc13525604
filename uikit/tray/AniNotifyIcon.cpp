// The animated notification-area icon: add, modify and remove with retries,
// and one frame step per timer tick.
#define TRACE_SOURCE "ImageUtil\\AniNotifyIcon"
#include "AniNotifyIcon.h"

#include <uxtheme.h>

#include <functional>

#include "AniRes.h"
#include "AniTimer.h"
#include "Trace.h"

namespace
{
NotifyIconFunction g_notify = Shell_NotifyIconW;

enum : UINT
{
    TIP_CHARS = 128,
};
} // namespace

void SetNotifyIconSeam(NotifyIconFunction function)
{
    g_notify = function ? function : Shell_NotifyIconW;
}

UINT AniNotifyCallbackMessage()
{
    static const UINT message = RegisterWindowMessageW(L"27B21270-AC9E-472D-B436-06B79253DF0A");
    return message;
}

CAniNotifyIcon::CAniNotifyIcon()
    : m_cx(GetSystemMetrics(SM_CXSMICON)), m_cy(GetSystemMetrics(SM_CYSMICON)),
      m_depthLimit(IsThemeActive() ? 0 : 4)
{
}

CAniNotifyIcon::~CAniNotifyIcon()
{
    Remove();
}

HICON CAniNotifyIcon::FrameIcon(const CAniRes &animation, size_t frame) const
{
    return animation.FrameIcon(frame, m_cx, m_cy, m_depthLimit);
}

namespace
{
// Up to NOTIFY_ATTEMPTS calls of the shell, NOTIFY_RETRY_MS apart; an
// attempt counts when the shell accepts it and `accepted` (if any) agrees.
bool Attempt(DWORD message, NOTIFYICONDATAW &data, const std::function<bool()> &accepted)
{
    bool haveError = false;
    DWORD lastError = 0;
    for (int left = NOTIFY_ATTEMPTS - 1; left >= 0; --left)
    {
        if (g_notify(message, &data))
        {
            if (!accepted || accepted()) return true;
        }
        else
        {
            DWORD error = GetLastError();
            if (IsTraceEnabled(1) && (!haveError || error != lastError))
            {
                TRACE_HERE();
                LogWinErr(2, error, L"Shell_NotifyIcon [%8.8X] [%d]", data.uID, left);
            }
            haveError = true;
            lastError = error;
        }
        if (left > 0) SleepEx(NOTIFY_RETRY_MS, TRUE);
    }
    return false;
}
} // namespace

bool CAniNotifyIcon::Notify(DWORD message)
{
    return Attempt(message, *m_data, nullptr);
}

void CAniNotifyIcon::SetTip(const wchar_t *tooltip)
{
    lstrcpynW(m_data->szTip, tooltip, TIP_CHARS);
    m_data->uFlags |= NIF_TIP;
}

void CAniNotifyIcon::Release()
{
    m_clock.reset();
    if (m_data && m_data->hIcon) DestroyIcon(m_data->hIcon);
    m_data.reset();
    m_animation = nullptr;
}

bool CAniNotifyIcon::Add(HWND window, const CAniRes *animation, const wchar_t *tooltip)
{
    Remove();
    if (!window || !animation || !animation->HasHeader()) return false;

    m_data.reset(new NOTIFYICONDATAW());
    m_data->hIcon = FrameIcon(*animation, 0);
    m_clock.reset(new CAniTimer(*animation));
    if (!m_data->hIcon)
    {
        Release();
        return false;
    }
    m_data->cbSize = NOTIFYICONDATAW_V2_SIZE;
    m_data->hWnd = window;
    m_data->uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(this));
    m_data->uFlags = NIF_MESSAGE | NIF_ICON;
    m_data->uCallbackMessage = AniNotifyCallbackMessage();
    if (tooltip) SetTip(tooltip);
    m_animation = animation;

    if (Notify(NIM_ADD))
    {
        if (m_clock->Start(window)) return true;
        // Shown but not animatable (no frames or no rate): take it away
        // again rather than leave a still icon the caller does not know of.
        Remove();
        return false;
    }
    Release();
    return false;
}

bool CAniNotifyIcon::Modify(const CAniRes *animation, const wchar_t *tooltip)
{
    if (!m_data) return false;
    HICON oldIcon = m_data->hIcon;
    HICON newIcon = nullptr;
    std::unique_ptr<CAniTimer> newClock;
    if (animation)
    {
        newIcon = FrameIcon(*animation, 0);
        if (!newIcon || !animation->HasHeader())
        {
            if (newIcon) DestroyIcon(newIcon);
            return false;
        }
        newClock.reset(new CAniTimer(*animation));
        m_data->hIcon = newIcon;
        m_data->uFlags |= NIF_ICON;
    }
    if (tooltip) SetTip(tooltip);

    HWND window = m_data->hWnd;
    CAniTimer *clock = newClock.get();
    if (Attempt(NIM_MODIFY, *m_data, [clock, window] { return !clock || clock->Start(window); }))
    {
        if (newClock)
        {
            m_clock = std::move(newClock);
            m_animation = animation;
            DestroyIcon(oldIcon);
        }
        return true;
    }
    if (newIcon)
    {
        m_data->hIcon = oldIcon;
        DestroyIcon(newIcon);
    }
    return false;
}

bool CAniNotifyIcon::Remove()
{
    m_clock.reset();
    if (!m_data) return false;
    Notify(NIM_DELETE);
    Release();
    return true;
}

void CAniNotifyIcon::OnTimer(UINT_PTR id)
{
    try
    {
        if (!m_clock || !m_data || !m_animation || id != m_clock->Id()) return;
        HICON icon = FrameIcon(*m_animation, m_clock->Step());
        if (!icon) return;
        HICON previous = m_data->hIcon;
        m_data->hIcon = icon;
        m_data->uFlags = NIF_ICON;
        if (g_notify(NIM_MODIFY, m_data.get()))
            DestroyIcon(previous);
        else
        {
            TRACE_HERE();
            LogWinErr(0, GetLastError(), L"Shell_NotifyIcon [%8.8X]", m_data->uID);
            m_data->hIcon = previous;
            DestroyIcon(icon);
        }
    }
    catch (...)
    {
    }
}
