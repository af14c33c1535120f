// Hit-test codes of the sizing edges, and the test shared by the controls that can be resized.
#pragma once

#include <cstdint>

namespace qm {

constexpr int HTCLIENT = 1;
constexpr int HTRIGHT = 11;
constexpr int HTBOTTOM = 15;
constexpr int HTBOTTOMRIGHT = 17;

// (cornerX, cornerY): screen position of the point just beyond the control's bottom-right
// corner; (x, y): the pointer, read as signed 16-bit values as the window system delivers them.
// Returns a sizing code, or HTCLIENT for the ordinary hit test.
constexpr int SizingHitTest(int cornerX, int cornerY, int x, int y, int zone) {
    const int px = static_cast<std::int16_t>(x), py = static_cast<std::int16_t>(y);
    if (px >= cornerX - zone && py >= cornerY - zone) return HTBOTTOMRIGHT;
    if (px >= cornerX - zone) return HTRIGHT;
    if (py >= cornerY - zone) return HTBOTTOM;
    return HTCLIENT;
}

} // namespace qm
