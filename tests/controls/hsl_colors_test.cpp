#include <gtest/gtest.h>

#include "controls/hsl_colors.h"

namespace qm {
namespace {

TEST(DeriveQmColor, WhiteWithDefaultStepsGivesLightness100And200) {
    const TColor focused = DeriveQmColor(clWhite, 10, true);
    const TColor border = DeriveQmColor(clWhite, 50, false);
    EXPECT_EQ(ColorToHsl240(focused).L, 100); // the ceiling is 100, not 240
    EXPECT_EQ(ColorToHsl240(border).L, 200);
    EXPECT_EQ(GetRValue(focused), GetGValue(focused)); // a grey
}

TEST(DeriveQmColor, StepsAndLimits) {
    struct Case {
        TColor flat;
        int step;
        bool lighten;
        int lightness;
    } cases[] = {
        {clBlack, 50, false, 0},        // 0 + 10 - 50 floors at 0
        {clBlack, 20, true, 30},        // 0 + 10 + 20
        {clGray, 100, true, 100},       // capped
        {RGB(0, 0, 128), 5, false, 65}, // 60 + 10 - 5
        {clWhite, 5, false, 240},       // 245 is held to the scale
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToHsl240(DeriveQmColor(c.flat, c.step, c.lighten)).L, c.lightness)
            << std::hex << c.flat << std::dec << " step " << c.step;
}

TEST(DeriveQmColor, StepZeroKeepsTheColourAndHueAndSaturationStay) {
    EXPECT_EQ(DeriveQmColor(0x123456, 0, true), 0x123456u);
    EXPECT_EQ(DeriveQmColor(clBtnFace, 0, false), clBtnFace);
    const THsl240 before = ColorToHsl240(RGB(200, 80, 40));
    const THsl240 after = ColorToHsl240(DeriveQmColor(RGB(200, 80, 40), 30, false));
    EXPECT_NEAR(after.H, before.H, 1);
    EXPECT_NEAR(after.S, before.S, 2);
}

TEST(Hsl240, KnownValuesAndRoundTrip) {
    EXPECT_EQ(ColorToHsl240(clWhite).L, 240);
    EXPECT_EQ(ColorToHsl240(RGB(255, 0, 0)).H, 0);
    EXPECT_EQ(ColorToHsl240(RGB(0, 255, 0)).H, 80);
    EXPECT_EQ(ColorToHsl240(RGB(0, 0, 255)).H, 160);
    EXPECT_EQ(ColorToHsl240(RGB(0, 0, 255)).S, 240);
    for (TColor c : {0x8396A0u, 0xC6D7D9u, 0x123456u, 0xFFFFFFu, 0u}) {
        const TColor back = Hsl240ToColor(ColorToHsl240(c));
        EXPECT_NEAR(int(GetRValue(back)), int(GetRValue(c)), 2) << std::hex << c;
        EXPECT_NEAR(int(GetGValue(back)), int(GetGValue(c)), 2) << std::hex << c;
        EXPECT_NEAR(int(GetBValue(back)), int(GetBValue(c)), 2) << std::hex << c;
    }
}

} // namespace
} // namespace qm
