#include <gtest/gtest.h>

#include <QWidget>

#include "canvas/draw_routines.h"
#include "canvas/widget_color.h"
#include "tests/canvas/pixels.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

using test::Surface;

TEST(FillGradient, VerticalBandsOverlapByOnePixelAndNeverReachTheEndColour) {
    Surface s(10, 12);
    FillGradient(s.canvas, RGB(0, 0, 0), RGB(100, 40, 0), false, Rect(0, 0, 10, 8), 4);
    const TColor expected[] = {RGB(0, 0, 0),   RGB(0, 0, 0),   RGB(25, 10, 0), RGB(25, 10, 0), RGB(50, 20, 0),
                               RGB(50, 20, 0), RGB(75, 30, 0), RGB(75, 30, 0), RGB(75, 30, 0), clWhite};
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(s.At(0, y), expected[y]) << y;
        EXPECT_EQ(s.At(9, y), expected[y]) << y;
    }
    EXPECT_EQ(s.At(10 - 1, 0), RGB(0, 0, 0));
}

TEST(FillGradient, HorizontalBandsAndHalvesRoundToEven) {
    struct Case {
        unsigned to;
        unsigned secondBand;
    } cases[] = {{5, 2}, {7, 4}, {9, 4}, {3, 2}}; // 2.5 -> 2, 3.5 -> 4, 4.5 -> 4, 1.5 -> 2
    for (const auto& c : cases) {
        Surface s(12, 3);
        FillGradient(s.canvas, RGB(0, 0, 0), RGB(c.to, 0, 0), true, Rect(0, 0, 10, 2), 2);
        EXPECT_EQ(s.At(4, 0), RGB(0, 0, 0)) << c.to;
        EXPECT_EQ(s.At(5, 1), RGB(c.secondBand, 0, 0)) << c.to;
        EXPECT_EQ(s.At(10, 0), RGB(c.secondBand, 0, 0)) << c.to; // one pixel beyond
        EXPECT_EQ(s.At(5, 2), clWhite);
        EXPECT_EQ(s.At(11, 0), clWhite);
    }
}

TEST(FillGradient, ZeroBandsDrawOneBandInTheStartColourPlusOnePixel) {
    Surface s(10, 10);
    FillGradient(s.canvas, clRed, clNavy, false, Rect(1, 1, 6, 6), 0);
    EXPECT_EQ(s.BoxOf(clRed), Rect(1, 1, 6, 7));
    EXPECT_EQ(s.Count(clRed), 5 * 6);
}

TEST(FillGradient, SystemColoursAreResolvedFirst) {
    Surface s(4, 4);
    FillGradient(s.canvas, clBtnFace, clBtnFace, false, Rect(0, 0, 4, 4), 2);
    EXPECT_EQ(s.At(1, 1), ColorToRGB(clBtnFace));
}

TEST(DrawBevelFrame, TopLeftAndBottomRightColoursPerRing) {
    Surface s(8, 8);
    DrawBevelFrame(s.canvas, Rect(0, 0, 7, 6), clRed, clNavy, 2);
    struct Case {
        int x, y;
        TColor color;
    } cases[] = {{0, 0, clRed},   {0, 4, clRed},   {5, 0, clRed},  {6, 0, clNavy}, {6, 5, clNavy},
                 {0, 5, clNavy},  {1, 1, clRed},   {4, 1, clRed},  {5, 1, clNavy}, {1, 4, clNavy},
                 {2, 2, clWhite}, {7, 0, clWhite}, {0, 6, clWhite}};
    for (const auto& c : cases)
        EXPECT_EQ(s.At(c.x, c.y), c.color) << c.x << "," << c.y;
}

class PaintParent : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
};

struct DotParent : QWidget, TParentPainter {
    void PaintOwnPicture(Canvas& c) override {
        c.Brush.Color = clSilver;
        c.FillRect(Rect(0, 0, width(), height()));
        c.SetPixel(6, 8, clRed);
    }
};

TEST_F(PaintParent, ColourOfAPlainParentClippedToItsClientArea) {
    QWidget parent;
    parent.resize(10, 10);
    SetWidgetColor(&parent, clNavy);
    QWidget child(&parent);
    child.setGeometry(5, 5, 10, 10);
    Surface s(10, 10);
    PaintParentBackground(&child, s.canvas);
    EXPECT_EQ(s.BoxOf(clNavy), Rect(0, 0, 5, 5));
    EXPECT_EQ(s.At(7, 7), clWhite);
    EXPECT_FALSE(s.canvas.HasClip()); // state restored
}

TEST_F(PaintParent, ParentPaintsItsOwnPictureAtTheChildOffset) {
    DotParent parent;
    parent.resize(20, 20);
    QWidget child(&parent);
    child.setGeometry(5, 7, 4, 4);
    Surface s(4, 4);
    PaintParentBackground(&child, s.canvas);
    EXPECT_EQ(s.At(1, 1), clRed);
    EXPECT_EQ(s.At(0, 0), clSilver);
}

TEST_F(PaintParent, NothingWithoutAParent) {
    QWidget lone;
    Surface s(4, 4);
    PaintParentBackground(&lone, s.canvas);
    EXPECT_EQ(s.Count(clWhite), 16);
}

TEST_F(PaintParent, ChildrenHearOfTheirParentsColour) {
    struct Listener : QWidget {
        using QWidget::QWidget;
        int heard = 0;
        bool event(QEvent* e) override {
            if (e->type() == ParentColorChangedEventType()) ++heard;
            return QWidget::event(e);
        }
    };
    QWidget parent;
    auto* child = new Listener(&parent);
    SetWidgetColor(&parent, clRed);
    EXPECT_EQ(child->heard, 1);
    EXPECT_EQ(ParentColorOf(child), clRed);
    EXPECT_EQ(ParentColorOf(&parent), clBtnFace);
}

} // namespace
} // namespace qm
