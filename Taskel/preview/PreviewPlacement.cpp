// The preview window's placement in the profile.
#include "PreviewPlacement.h"

#include "RegKey.h"

const wchar_t kPreviewPlacementValue[] = L"PreviewPlacement";

namespace
{
// The offset of the primary monitor's work area from its screen corner:
// WINDOWPLACEMENT positions are work-area coordinates.
POINT WorkAreaOffset()
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    const POINT origin = {0, 0};
    if (!::GetMonitorInfoW(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info))
        return origin;
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}
} // namespace

bool LoadPreviewPlacement(HKEY root, const wchar_t *key, WINDOWPLACEMENT &placement)
{
    fx::CRegKey profile(root, key, true, false);
    if (!profile.IsOpen()) return false;
    WINDOWPLACEMENT read = {};
    DWORD size = sizeof(read);
    DWORD type = 0;
    if (::RegQueryValueExW(profile.Handle(), kPreviewPlacementValue, nullptr, &type,
                           reinterpret_cast<BYTE *>(&read), &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof(read) || read.length != sizeof(read))
        return false;
    const RECT &r = read.rcNormalPosition;
    if (r.right <= r.left || r.bottom <= r.top) return false;
    placement = read;
    return true;
}

bool SavePreviewPlacement(HKEY root, const wchar_t *key, const WINDOWPLACEMENT &placement)
{
    fx::CRegKey profile(root, key, false, true);
    if (!profile.IsOpen()) return false;
    return ::RegSetValueExW(profile.Handle(), kPreviewPlacementValue, 0, REG_BINARY,
                            reinterpret_cast<const BYTE *>(&placement),
                            sizeof(placement)) == ERROR_SUCCESS;
}

RECT ClampRect(const RECT &wanted, const RECT &area, SIZE minimum)
{
    const LONG areaWidth = area.right - area.left;
    const LONG areaHeight = area.bottom - area.top;
    LONG width = wanted.right - wanted.left;
    LONG height = wanted.bottom - wanted.top;
    if (width < minimum.cx) width = minimum.cx;
    if (height < minimum.cy) height = minimum.cy;
    if (width > areaWidth) width = areaWidth;
    if (height > areaHeight) height = areaHeight;
    LONG left = wanted.left;
    LONG top = wanted.top;
    if (left + width > area.right) left = area.right - width;
    if (top + height > area.bottom) top = area.bottom - height;
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    return {left, top, left + width, top + height};
}

bool RestoreWindowPlacement(HWND window, HKEY root, const wchar_t *key, SIZE minimum)
{
    WINDOWPLACEMENT placement = {};
    if (!LoadPreviewPlacement(root, key, placement)) return false;
    const POINT offset = WorkAreaOffset();
    RECT screen = placement.rcNormalPosition;
    ::OffsetRect(&screen, offset.x, offset.y);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST), &info))
        return false;
    screen = ClampRect(screen, info.rcWork, minimum);
    ::OffsetRect(&screen, -offset.x, -offset.y);
    placement.rcNormalPosition = screen;
    placement.flags = 0;
    placement.showCmd = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    return ::SetWindowPlacement(window, &placement) != FALSE;
}

bool SaveWindowPlacement(HWND window, HKEY root, const wchar_t *key)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(window, &placement)) return false;
    return SavePreviewPlacement(root, key, placement);
}
