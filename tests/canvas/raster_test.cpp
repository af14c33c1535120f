#include <gtest/gtest.h>

#include "tests/canvas/pixels.h"

namespace qm {
namespace {

using test::Surface;

TEST(CanvasRaster, RectangleIncludesLeftTopAndExcludesRightBottom) {
    Surface s(12, 12);
    s.canvas.Pen.Color = clRed;
    s.canvas.Brush.Color = clNavy;
    s.canvas.Rectangle(2, 3, 7, 8);
    EXPECT_EQ(s.At(2, 3), clRed);
    EXPECT_EQ(s.At(6, 7), clRed);
    EXPECT_EQ(s.At(6, 3), clRed);
    EXPECT_EQ(s.At(2, 7), clRed);
    EXPECT_EQ(s.At(7, 7), clWhite);
    EXPECT_EQ(s.At(6, 8), clWhite);
    EXPECT_EQ(s.At(3, 4), clNavy);
    EXPECT_EQ(s.At(5, 6), clNavy);
    EXPECT_EQ(s.BoxOf(clRed), Rect(2, 3, 7, 8));
    EXPECT_EQ(s.BoxOf(clNavy), Rect(3, 4, 6, 7));
}

TEST(CanvasRaster, FillAndFrameRectCoverTheRectangleOnly) {
    Surface s(10, 10);
    s.canvas.Brush.Color = clNavy;
    s.canvas.FillRect(Rect(1, 1, 4, 3));
    EXPECT_EQ(s.BoxOf(clNavy), Rect(1, 1, 4, 3));
    EXPECT_EQ(s.Count(clNavy), 6);
    s.canvas.Brush.Color = clRed;
    s.canvas.FrameRect(Rect(5, 5, 9, 9));
    EXPECT_EQ(s.Count(clRed), 12);
    EXPECT_EQ(s.At(6, 6), clWhite);
    s.canvas.Brush.Style = TBrushStyle::bsClear;
    s.canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(s.At(0, 0), clWhite);
}

TEST(CanvasRaster, LineIncludesStartAndExcludesEnd) {
    struct Case {
        TPoint from, to;
    } cases[] = {{{1, 1}, {8, 1}}, {{8, 1}, {1, 1}}, {{2, 0}, {2, 9}}, {{0, 0}, {9, 9}},
                 {{9, 0}, {0, 9}}, {{1, 2}, {8, 5}}, {{3, 9}, {5, 0}}};
    for (const auto& c : cases) {
        Surface s(10, 10);
        s.canvas.MoveTo(c.from.X, c.from.Y);
        s.canvas.LineTo(c.to.X, c.to.Y);
        SCOPED_TRACE(testing::Message() << c.from.X << "," << c.from.Y << " -> " << c.to.X << "," << c.to.Y);
        EXPECT_EQ(s.At(c.from.X, c.from.Y), clBlack);
        EXPECT_EQ(s.At(c.to.X, c.to.Y), clWhite);
        EXPECT_EQ(s.Count(clBlack), std::max(std::abs(c.to.X - c.from.X), std::abs(c.to.Y - c.from.Y)));
        EXPECT_EQ(s.canvas.PenPos, c.to);
    }
}

TEST(CanvasRaster, PolylineDrawsEveryJointOnce) {
    Surface s(10, 10);
    s.canvas.Pen.Mode = TPenMode::pmXor;
    s.canvas.Pen.Color = clWhite; // white xor white gives black: a joint drawn twice would stay white
    s.canvas.Polyline({{1, 8}, {1, 1}, {8, 1}, {8, 8}});
    EXPECT_EQ(s.At(1, 1), clBlack);
    EXPECT_EQ(s.At(8, 1), clBlack);
    EXPECT_EQ(s.At(1, 8), clBlack);
    EXPECT_EQ(s.At(8, 8), clWhite);
    EXPECT_EQ(s.Count(clBlack), 7 + 7 + 7);
}

TEST(CanvasRaster, RectangleOutlineInXorModeTouchesEachPixelOnce) {
    Surface s(10, 10);
    s.canvas.Pen.Mode = TPenMode::pmXor;
    s.canvas.Pen.Color = clWhite;
    s.canvas.Brush.Style = TBrushStyle::bsClear;
    s.canvas.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(s.Count(clBlack), 2 * 5 + 2 * 2);
}

TEST(CanvasRaster, FilledTriangleWithOnePenAndBrushCoversItsEdges) {
    // The slant of a caption band: (0, 6), (6, 0), (6, 6).
    Surface s(10, 10);
    s.canvas.Pen.Color = clRed;
    s.canvas.Brush.Color = clRed;
    s.canvas.Polygon({{0, 6}, {6, 0}, {6, 6}});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x <= 6 && y <= 6 && x + y >= 6;
            EXPECT_EQ(s.At(x, y) == clRed, inside) << x << "," << y;
        }
}

TEST(CanvasRaster, PolygonFillWithoutPenExcludesRightAndBottomEdges) {
    Surface s(10, 10);
    s.canvas.Pen.Style = TPenStyle::psClear;
    s.canvas.Brush.Color = clNavy;
    s.canvas.Polygon({{2, 2}, {7, 2}, {7, 6}, {2, 6}});
    EXPECT_EQ(s.BoxOf(clNavy), Rect(2, 2, 7, 6));
}

TEST(CanvasRaster, DottedPenAlternatesAndFillsGapsOnlyWithASolidBrush) {
    Surface s(12, 3);
    s.canvas.Pen.Style = TPenStyle::psDot;
    s.canvas.Brush.Style = TBrushStyle::bsClear;
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(10, 0);
    s.canvas.Brush.Style = TBrushStyle::bsSolid;
    s.canvas.Brush.Color = clRed;
    s.canvas.MoveTo(0, 2);
    s.canvas.LineTo(10, 2);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(s.At(x, 0), x % 2 == 0 ? clBlack : clWhite) << x;
        EXPECT_EQ(s.At(x, 2), x % 2 == 0 ? clBlack : clRed) << x;
    }
    EXPECT_EQ(s.At(10, 0), clWhite);
}

TEST(CanvasRaster, ClearPenDrawsNoOutline) {
    Surface s(8, 8);
    s.canvas.Pen.Style = TPenStyle::psClear;
    s.canvas.Brush.Color = clNavy;
    s.canvas.Rectangle(1, 1, 5, 5);
    EXPECT_EQ(s.BoxOf(clNavy), Rect(1, 1, 5, 5));
    EXPECT_EQ(s.Count(clBlack), 0);
}

TEST(CanvasRaster, ClipRegionLimitsEveryKindOfDrawing) {
    Surface s(20, 20);
    const TRect bands[] = {Rect(0, 0, 20, 2), Rect(0, 18, 20, 20)};
    s.canvas.SetClipRegion(bands);
    s.canvas.Brush.Color = clNavy;
    s.canvas.FillRect(Rect(0, 0, 20, 20));
    s.canvas.MoveTo(5, 0);
    s.canvas.LineTo(5, 20);
    s.canvas.SetPixel(10, 10, clRed);
    EXPECT_EQ(s.Count(clNavy), 2 * 20 * 2 - 4);
    EXPECT_EQ(s.Count(clBlack), 4);
    EXPECT_EQ(s.At(10, 10), clWhite);
    EXPECT_EQ(s.At(5, 10), clWhite);
    s.canvas.ClearClip();
    s.canvas.SetPixel(10, 10, clRed);
    EXPECT_EQ(s.At(10, 10), clRed);
}

TEST(CanvasRaster, IntersectAndExcludeClip) {
    Surface s(10, 10);
    s.canvas.IntersectClipRect(Rect(0, 0, 6, 6));
    s.canvas.IntersectClipRect(Rect(3, 3, 10, 10));
    s.canvas.ExcludeClipRect(Rect(4, 4, 5, 5));
    s.canvas.Brush.Color = clNavy;
    s.canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(s.Count(clNavy), 9 - 1);
    EXPECT_EQ(s.At(4, 4), clWhite);
}

TEST(CanvasRaster, MovedOriginShiftsDrawingClipAndPixelReads) {
    Surface s(10, 10);
    s.canvas.MoveOrigin(-3, 2);
    s.canvas.SetClipRect(Rect(3, 0, 6, 3)); // device (0, 2) to (3, 5)
    s.canvas.Brush.Color = clNavy;
    s.canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(s.BoxOf(clNavy), Rect(0, 2, 3, 5));
    EXPECT_EQ(s.canvas.Pixel(3, 0), clNavy);
    EXPECT_EQ(s.canvas.Pixel(-20, 0), clNone);
}

TEST(CanvasRaster, SaveAndRestoreBringBackPenBrushFontOriginAndClip) {
    Surface s(10, 10);
    s.canvas.Pen.Color = clRed;
    s.canvas.Font.SetHeight(-20);
    s.canvas.Save();
    s.canvas.Pen.Color = clNavy;
    s.canvas.Font.SetHeight(-9);
    s.canvas.MoveOrigin(4, 4);
    s.canvas.SetClipRect(Rect(0, 0, 1, 1));
    s.canvas.Restore();
    EXPECT_EQ(s.canvas.Pen.Color, clRed);
    EXPECT_EQ(s.canvas.Font.Height(), -20);
    EXPECT_EQ(s.canvas.Origin(), Point(0, 0));
    EXPECT_FALSE(s.canvas.HasClip());
    s.canvas.Restore(); // nothing saved: harmless
}

TEST(CanvasRaster, EllipseStaysInsideItsRectangleAndIsFilled) {
    Surface s(12, 12);
    s.canvas.Pen.Color = clRed;
    s.canvas.Brush.Color = clNavy;
    s.canvas.Ellipse(Rect(1, 1, 11, 9));
    const TRect box = s.BoxOf(clRed);
    EXPECT_EQ(box, Rect(1, 1, 11, 9));
    EXPECT_EQ(s.At(6, 5), clNavy);
    EXPECT_EQ(s.At(1, 1), clWhite);
}

TEST(CanvasRaster, WidePenStampsASquare) {
    Surface s(10, 10);
    s.canvas.Pen.Width = 3;
    s.canvas.MoveTo(2, 5);
    s.canvas.LineTo(7, 5);
    EXPECT_EQ(s.BoxOf(clBlack), Rect(1, 4, 8, 7));
}

} // namespace
} // namespace qm
