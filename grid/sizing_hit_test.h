// Which sizing handle, if any, a pointer is on when a grid may be resized by the user.
#pragma once

namespace qm {

// Hit-test codes as the window system names them.
constexpr int HTNOWHERE = 0;  // "not a handle": the grid's ordinary hit test applies
constexpr int HTCLIENT = 1;
constexpr int HTRIGHT = 11;
constexpr int HTBOTTOM = 15;
constexpr int HTBOTTOMRIGHT = 17;

// How deep the grid's sizing zone is, in pixels, measured inwards from the right and bottom.
constexpr int GridSizingZone = 4;

// corner: the point the grid's width right of and its height below its client origin, in the
// same (screen) coordinates as the pointer. Returns HTBOTTOMRIGHT, HTRIGHT, HTBOTTOM, or
// HTNOWHERE when the pointer is on none of them.
constexpr int GridSizingHitTest(int cornerX, int cornerY, int x, int y) {
    const bool right = x >= cornerX - GridSizingZone;
    const bool bottom = y >= cornerY - GridSizingZone;
    if (right && bottom) return HTBOTTOMRIGHT;
    if (right) return HTRIGHT;
    if (bottom) return HTBOTTOM;
    return HTNOWHERE;
}

}  // namespace qm
