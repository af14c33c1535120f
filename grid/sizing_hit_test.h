// Which sizing handle, if any, a pointer is on when a grid may be resized by the user.
#pragma once

#include "controls/sizing_hit_test.h"

namespace qm {

// The grid's sizing zone is 4 pixels deep, measured inwards from the right and bottom.
constexpr int GridSizingZone = 4;

// corner: the point the grid's width right of and its height below its client origin, in the
// same screen coordinates as the pointer. HTBOTTOMRIGHT, HTRIGHT, HTBOTTOM, or HTCLIENT for the
// ordinary hit test.
constexpr int GridSizingHitTest(int cornerX, int cornerY, int x, int y) {
    return SizingHitTest(cornerX, cornerY, x, y, GridSizingZone);
}

} // namespace qm
