#include <gtest/gtest.h>

#include "grid/sizing_hit_test.h"

namespace qm {
namespace {

struct HitCase {
    const char* what;
    int dx; // pointer minus corner
    int dy;
    int code;
};

TEST(GridSizingHitTest, ZonesAroundTheCorner) {
    const HitCase cases[] = {
        {"3 left, 10 above: right edge", -3, -10, HTRIGHT},
        {"3 left, 2 above: corner", -3, -2, HTBOTTOMRIGHT},
        {"exactly 4 left and 4 above: corner", -4, -4, HTBOTTOMRIGHT},
        {"5 left, 4 above: bottom edge", -5, -4, HTBOTTOM},
        {"4 left, 5 above: right edge", -4, -5, HTRIGHT},
        {"5 left, 5 above: ordinary", -5, -5, HTCLIENT},
        {"far inside: ordinary", -100, -60, HTCLIENT},
        {"on the corner point itself", 0, 0, HTBOTTOMRIGHT},
        {"past the right edge, high up", 2, -50, HTRIGHT},
        {"below the bottom, far left", -50, 3, HTBOTTOM},
    };
    // Screen coordinates: the grid's client origin need not be at 0,0.
    const int cornerX = 300 + 250, cornerY = 200 + 154;
    for (const HitCase& c : cases)
        EXPECT_EQ(GridSizingHitTest(cornerX, cornerY, cornerX + c.dx, cornerY + c.dy), c.code) << c.what;
}

} // namespace
} // namespace qm
