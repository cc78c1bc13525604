// COptionBoxGroup: the twelve option check boxes of the command page
// (template 126). It shows, enables and ticks them for a command, reads
// their ticks back into options, and gives the captions their drawing
// hints; TaskelOptionBoxes.h decides all of it. The page keeps the command
// and decides whether a click may change it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "TaskelOptionBoxes.h"

class CTaskel;

class COptionBoxGroup
{
  public:
    COptionBoxGroup() = default;
    ~COptionBoxGroup();
    COptionBoxGroup(const COptionBoxGroup &) = delete;
    COptionBoxGroup &operator=(const COptionBoxGroup &) = delete;

    // Takes the boxes of `page` when its template has them (true).
    bool Attach(HWND page);
    void Detach();
    bool IsAttached() const { return m_page != nullptr; }

    // Shows the boxes for `command` (all hidden without one).
    void Show(const CTaskel *command);
    // `options` with the bits of the boxes as they are ticked.
    uint32_t Stored(uint32_t options) const;
    // Redraws the captions whose hints follow "Ignore errors".
    void RedrawHints() const;
    // The brush for a box's caption (WM_CTLCOLORBTN, WM_CTLCOLORSTATIC), with
    // the colours set on `dc`; null for a control without a hint.
    HBRUSH HintBrush(HDC dc, HWND control);
    // The system colours changed: the brushes are made again.
    void DropBrushes();

  private:
    OptionBoxes Ticked() const;

    HWND m_page = nullptr;
    OptionBoxes m_shown{};
    uint32_t m_mask = 0;
    HBRUSH m_shadowBrush = nullptr;
    HBRUSH m_lightBrush = nullptr;
};
