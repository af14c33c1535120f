#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qm {
namespace {

TEST(Colors, SystemColoursResolveThroughTheTable) {
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clBtnShadow), clGray);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), clWhite);
    EXPECT_EQ(ColorToRGB(clBackground), 0xA56E3Au);
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_TRUE(IsSystemColor(clBtnFace));
    EXPECT_FALSE(IsSystemColor(clNone));
    EXPECT_EQ(ColorToRGB(0xFF0000FF), clBlack); // beyond the table

    const TColor face = ColorToRGB(clBtnFace);
    SetSystemColor(15, 0x112233);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x112233u);
    SetSystemColor(15, face);
    SetSystemColor(-1, 0); // ignored
    SetSystemColor(999, 0);
}

TEST(Colors, RgbPacking) {
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
    EXPECT_EQ(GetRValue(0x030201), 1u);
    EXPECT_EQ(GetGValue(0x030201), 2u);
    EXPECT_EQ(GetBValue(0x030201), 3u);
}

} // namespace
} // namespace qm
