#include <gtest/gtest.h>

#include "canvas/bitmap.h"
#include "tests/canvas/pixels.h"

namespace qm {
namespace {

using test::Surface;

// A 4x4 picture: white background with a grey square and one red pixel.
TBitmap Glyph() {
    TBitmap b(4, 4);
    b.GetCanvas().Brush.Color = clWhite;
    b.GetCanvas().FillRect(Rect(0, 0, 4, 4));
    b.GetCanvas().Brush.Color = clGray;
    b.GetCanvas().FillRect(Rect(1, 1, 3, 3));
    b.GetCanvas().SetPixel(3, 0, clRed);
    return b;
}

TEST(CanvasBitmap, DrawCopiesEveryPixelUnlessTransparent) {
    Surface s(10, 10);
    s.canvas.Brush.Color = clNavy;
    s.canvas.FillRect(Rect(0, 0, 10, 10));
    TBitmap g = Glyph();
    s.canvas.Draw(2, 2, g);
    EXPECT_EQ(s.At(2, 2), clWhite);
    EXPECT_EQ(s.At(3, 3), clGray);
    g.Transparent = true; // the bottom-left pixel's colour, white, is see-through
    s.canvas.Draw(6, 6, g);
    EXPECT_EQ(s.At(6, 6), clNavy);
    EXPECT_EQ(s.At(6, 9), clNavy);
    EXPECT_EQ(s.At(7, 7), clGray);
    EXPECT_EQ(s.At(9, 6), clRed);
}

TEST(CanvasBitmap, FixedTransparentColour) {
    Surface s(6, 6);
    TBitmap g = Glyph();
    g.Transparent = true;
    g.TransparentMode = TTransparentMode::tmFixed;
    g.TransparentColor = clGray;
    s.canvas.Brush.Color = clNavy;
    s.canvas.FillRect(Rect(0, 0, 6, 6));
    s.canvas.Draw(0, 0, g);
    EXPECT_EQ(s.At(1, 1), clNavy);
    EXPECT_EQ(s.At(0, 0), clWhite);
}

TEST(CanvasBitmap, StretchDrawScalesToTheRectangle) {
    Surface s(10, 10);
    TBitmap g = Glyph();
    s.canvas.StretchDraw(Rect(0, 0, 8, 8), g);
    EXPECT_EQ(s.BoxOf(clGray), Rect(2, 2, 6, 6));
    EXPECT_EQ(s.BoxOf(clRed), Rect(6, 0, 8, 2));
    EXPECT_EQ(s.At(8, 8), clWhite);
}

TEST(CanvasBitmap, MaskPaintsTheOpaquePixelsInOneColour) {
    Surface s(6, 6);
    s.canvas.DrawMask(1, 1, Glyph(), clNavy);
    EXPECT_EQ(s.Count(clNavy), 5);
    EXPECT_EQ(s.At(1, 1), clWhite);
}

TEST(CanvasBitmap, DrawIsClippedAndCopyRectCopiesBetweenCanvases) {
    Surface s(10, 10);
    TBitmap g = Glyph();
    s.canvas.SetClipRect(Rect(0, 0, 3, 10));
    s.canvas.Draw(1, 1, g);
    EXPECT_EQ(s.Count(clGray), 2);
    Surface t(10, 10);
    t.canvas.CopyRect(Rect(5, 5, 7, 7), g.GetCanvas(), Rect(1, 1, 3, 3));
    EXPECT_EQ(t.BoxOf(clGray), Rect(5, 5, 7, 7));
}

TEST(CanvasBitmap, SetSizeKeepsPixelsAndCopiesAreIndependent) {
    TBitmap g = Glyph();
    TBitmap copy = g;
    g.SetSize(6, 6);
    EXPECT_EQ(g.GetCanvas().Pixel(1, 1), clGray);
    EXPECT_EQ(g.GetCanvas().Pixel(5, 5), clWhite);
    copy.GetCanvas().SetPixel(1, 1, clRed);
    EXPECT_EQ(g.GetCanvas().Pixel(1, 1), clGray);
    EXPECT_EQ(copy.Width(), 4);
}

} // namespace
} // namespace qm
