// The preview window's controls following its size: each control keeps its
// distance to the edges it is anchored to, as the template placed it.
#pragma once

#include <windows.h>

#include <vector>

enum : unsigned
{
    ANCHOR_RIGHT = 1,  // the right edge follows the window's right edge
    ANCHOR_BOTTOM = 2, // the bottom edge follows the window's bottom edge
    ANCHOR_MOVE_X = 4, // the left edge too (the control moves, keeping its width)
    ANCHOR_MOVE_Y = 8, // the top edge too (the control moves, keeping its height)
};

struct AnchoredRect
{
    RECT rect; // in the client area as first laid out
    unsigned anchors;
};

// Where a control goes when the client area grew by `dx`, `dy` from the size
// it was first laid out for (negative: shrank).
RECT AnchoredPlace(const AnchoredRect &control, int dx, int dy);

class CAnchorLayout
{
  public:
    // Records where `id` sits in `dialog` now, with its anchors.
    void Add(HWND dialog, int id, unsigned anchors);
    // Records the client size the controls were laid out for.
    void Start(HWND dialog);
    void Apply(HWND dialog) const;

  private:
    struct Item
    {
        int id;
        AnchoredRect place;
    };
    std::vector<Item> m_items;
    SIZE m_first = {0, 0};
};
