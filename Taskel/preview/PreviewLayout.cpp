// Anchored controls of a resizable dialog.
#include "PreviewLayout.h"

RECT AnchoredPlace(const AnchoredRect &control, int dx, int dy)
{
    RECT r = control.rect;
    if (control.anchors & ANCHOR_MOVE_X)
    {
        r.left += dx;
        r.right += dx;
    }
    else if (control.anchors & ANCHOR_RIGHT)
    {
        r.right += dx;
    }
    if (control.anchors & ANCHOR_MOVE_Y)
    {
        r.top += dy;
        r.bottom += dy;
    }
    else if (control.anchors & ANCHOR_BOTTOM)
    {
        r.bottom += dy;
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void CAnchorLayout::Add(HWND dialog, int id, unsigned anchors)
{
    HWND control = ::GetDlgItem(dialog, id);
    if (!control) return;
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    m_items.push_back({id, {r, anchors}});
}

void CAnchorLayout::Start(HWND dialog)
{
    RECT client;
    ::GetClientRect(dialog, &client);
    m_first = {client.right, client.bottom};
}

void CAnchorLayout::Apply(HWND dialog) const
{
    RECT client;
    if (!::GetClientRect(dialog, &client) || m_items.empty()) return;
    const int dx = client.right - m_first.cx;
    const int dy = client.bottom - m_first.cy;
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(m_items.size()));
    for (const Item &item : m_items)
    {
        HWND control = ::GetDlgItem(dialog, item.id);
        if (!control) continue;
        const RECT r = AnchoredPlace(item.place, dx, dy);
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (positions)
            positions = ::DeferWindowPos(positions, control, nullptr, r.left, r.top,
                                         r.right - r.left, r.bottom - r.top, flags);
        else
            ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           flags);
    }
    if (positions) ::EndDeferWindowPos(positions);
    ::InvalidateRect(dialog, nullptr, TRUE);
}
