// The painted end of the title bar.
#include <gtest/gtest.h>

#include <QImage>

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
        {0, 0, Title},  {10, 0, Title}, {0, 10, Title},  // the upper-left triangle
        {24, 17, Form}, {24, 1, Form},  {1, 17, Form},   // the lower-right one
        {12, 12, Form}, {11, 7, Title},
    };
    for (const Case& c : cases) EXPECT_EQ(canvas.Pixel(c.x, c.y), c.color) << c.x << "," << c.y;
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

}  // namespace
}  // namespace qm::test
