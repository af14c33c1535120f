// The painted end of the title bar.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <utility>

#include "canvas/canvas.h"
#include "framework/title_bar.h"

namespace qm::test {
namespace {

constexpr TColor Title = 0x3A6EA5;
constexpr TColor Form = 0x95B2C3;

TEST(TitleEnd, DiagonalFromBottomLeftToTopRight) {
    // The paint box of the design: 25 x 18 at the origin of its panel.
    QImage image(25, 18, QImage::Format_RGB32);
    image.fill(Qt::black);
    Canvas canvas(&image);
    PaintTitleEnd(canvas, Bounds(0, 0, 25, 18), Title, Form);
    struct Case {
        int x, y;
        TColor color;
    } cases[] = {
        {0, 0, Title},  {10, 0, Title}, {0, 10, Title}, // the upper-left triangle
        {24, 17, Form}, {24, 1, Form},  {1, 17, Form},  // the lower-right one
        {12, 12, Form}, {11, 7, Title},
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvas.Pixel(c.x, c.y), c.color) << c.x << "," << c.y;
    // Every pixel is one of the two colours, and each column turns from title to form once.
    for (int x = 0; x < 25; ++x) {
        int turns = 0;
        for (int y = 0; y < 18; ++y) {
            const TColor p = canvas.Pixel(x, y);
            ASSERT_TRUE(p == Title || p == Form) << x << "," << y;
            if (y > 0 && p != canvas.Pixel(x, y - 1)) ++turns;
        }
        EXPECT_LE(turns, 1) << x;
    }
}

TEST(TitleEnd, OffsetBoxLeavesTheRestUntouched) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    Canvas canvas(&image);
    PaintTitleEnd(canvas, Bounds(5, 6, 25, 18), Title, Form);
    EXPECT_EQ(canvas.Pixel(5, 6), Title);
    EXPECT_EQ(canvas.Pixel(4, 6), clBlack);
    EXPECT_EQ(canvas.Pixel(5, 5), clBlack);
    EXPECT_EQ(canvas.Pixel(29, 23), Form);
}

// The three title-button glyphs as described: 16 by 16 on white (the transparent colour, taken
// from the bottom-left pixel), a grey outline inset by one pixel, and the black sign inside.
TEST(TitleGlyphs, OutlineAndSign) {
    struct Case {
        TTitleGlyph kind;
        const char* name;
    } cases[] = {{TTitleGlyph::Close, "close"},
                 {TTitleGlyph::Maximize, "maximise"},
                 {TTitleGlyph::Minimize, "minimise"}};
    for (const Case& c : cases) {
        const QImage g = TitleGlyph(c.kind);
        ASSERT_EQ(g.size(), QSize(16, 16)) << c.name;
        auto at = [&](int x, int y) { return g.pixel(x, y) & 0xFFFFFFu; };
        for (const auto& [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}, {2, 2}, {13, 13}})
            EXPECT_EQ(at(x, y), 0xFFFFFFu) << c.name << " " << x << "," << y;
        for (int i = 1; i <= 14; ++i) {
            EXPECT_EQ(at(i, 1), 0x808080u) << c.name << " top " << i;
            EXPECT_EQ(at(i, 14), 0x808080u) << c.name << " bottom " << i;
            EXPECT_EQ(at(1, i), 0x808080u) << c.name << " left " << i;
            EXPECT_EQ(at(14, i), 0x808080u) << c.name << " right " << i;
        }
        // The sign: the black pixels, their box and how they fill it.
        int left = 16, top = 16, right = -1, bottom = -1, black = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (at(x, y) == 0) {
                    ++black;
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        const int w = right - left + 1, h = bottom - top + 1;
        switch (c.kind) {
        case TTitleGlyph::Close: // two diagonals of an 8 x 8 box
            EXPECT_EQ(w, 8) << c.name;
            EXPECT_EQ(h, 8) << c.name;
            EXPECT_EQ(black, 16) << c.name;
            for (int i = 0; i < 8; ++i) {
                EXPECT_EQ(at(left + i, top + i), 0u) << c.name << " " << i;
                EXPECT_EQ(at(right - i, top + i), 0u) << c.name << " " << i;
            }
            break;
        case TTitleGlyph::Maximize: // a frame whose top edge is two rows deep
            EXPECT_GE(w, 6) << c.name;
            for (int x = left; x <= right; ++x) {
                EXPECT_EQ(at(x, top), 0u) << c.name;
                EXPECT_EQ(at(x, top + 1), 0u) << c.name;
                EXPECT_EQ(at(x, bottom), 0u) << c.name;
            }
            for (int y = top; y <= bottom; ++y) {
                EXPECT_EQ(at(left, y), 0u) << c.name;
                EXPECT_EQ(at(right, y), 0u) << c.name;
            }
            EXPECT_EQ(black, 2 * w + 2 * (h - 2) + (w - 2)) << c.name;
            break;
        case TTitleGlyph::Minimize: // a solid bar two rows high in the lower third
            EXPECT_EQ(h, 2) << c.name;
            EXPECT_EQ(black, 2 * w) << c.name;
            EXPECT_GE(top, 16 * 2 / 3 - 1) << c.name;
            EXPECT_LE(bottom, 13) << c.name;
            break;
        }
    }
}

} // namespace
} // namespace qm::test
