#include <gtest/gtest.h>

#include "tests/canvas/pixels.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

using test::Surface;

class CanvasText : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
    static void UseRedFont(Canvas& c) {
        c.Font.SetName("Tahoma");
        c.Font.SetHeight(-11);
        c.Font.SetColor(clRed);
        c.Brush.Style = TBrushStyle::bsClear;
    }
};

TEST_F(CanvasText, SingleLineAlignmentFollowsMeasurement) {
    const std::string text = "HHH";
    struct Case {
        unsigned flags;
        const char* name;
    } cases[] = {{36, "left"}, {37, "centre"}, {38, "right"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s(100, 40);
        UseRedFont(s.canvas);
        TRect r = Rect(5, 5, 95, 35);
        s.canvas.DrawText(text, r, c.flags);
        const int w = s.canvas.TextWidth(text), h = s.canvas.TextHeight(text);
        const int y = 5 + (30 - h) / 2;
        const int x = c.flags == 36 ? 5 : c.flags == 37 ? 5 + (90 - w) / 2 : 95 - w;
        const TRect box = s.BoxOf(clRed);
        ASSERT_FALSE(box.IsEmpty());
        EXPECT_GE(box.Left, x);
        EXPECT_LE(box.Right, x + w);
        EXPECT_GE(box.Top, y);
        EXPECT_LE(box.Bottom, y + h);
        EXPECT_LE(box.Left - x, 2); // the glyphs start near the computed origin
    }
}

TEST_F(CanvasText, CalcRectMeasuresWithoutDrawing) {
    Surface s(100, 60);
    UseRedFont(s.canvas);
    TRect r = Rect(10, 10, 11, 11);
    const int h = s.canvas.DrawText("ab\ncdef", r, DT_CALCRECT);
    EXPECT_EQ(h, 2 * s.canvas.TextHeight("x"));
    EXPECT_EQ(r, Rect(10, 10, 10 + s.canvas.TextWidth("cdef"), 10 + h));
    EXPECT_EQ(s.Count(clRed), 0);
}

TEST_F(CanvasText, PrefixMarksAreNotDrawnUnlessAsked) {
    Surface s(100, 30);
    UseRedFont(s.canvas);
    TRect a = Rect(0, 0, 1, 1), b = Rect(0, 0, 1, 1);
    s.canvas.DrawText("A&&B", a, DT_CALCRECT | DT_SINGLELINE);
    s.canvas.DrawText("A&&B", b, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(a.Width(), s.canvas.TextWidth("A&B"));
    EXPECT_EQ(b.Width(), s.canvas.TextWidth("A&&B"));
}

TEST_F(CanvasText, TextIsClippedToItsRectangleUnlessNoClip) {
    for (bool noClip : {false, true}) {
        Surface s(100, 30);
        UseRedFont(s.canvas);
        TRect r = Rect(10, 0, 14, 30);
        s.canvas.DrawText("HHHHHH", r, DT_SINGLELINE | DT_VCENTER | (noClip ? DT_NOCLIP : 0));
        const TRect box = s.BoxOf(clRed);
        if (noClip)
            EXPECT_GT(box.Right, 14);
        else
            EXPECT_LE(box.Right, 14);
    }
}

TEST_F(CanvasText, SolidBrushFillsTheTextCellClearBrushDoesNot) {
    Surface s(100, 30);
    UseRedFont(s.canvas);
    s.canvas.Brush.Style = TBrushStyle::bsSolid;
    s.canvas.Brush.Color = clNavy;
    s.canvas.TextOut(3, 4, "Hi");
    EXPECT_EQ(s.BoxOf(clNavy).Left, 3);
    EXPECT_EQ(s.BoxOf(clNavy).Top, 4);
    EXPECT_EQ(s.canvas.PenPos, Point(3 + s.canvas.TextWidth("Hi"), 4));
}

TEST_F(CanvasText, EscapementRotatesAboutTheOrigin) {
    Surface s(60, 80);
    UseRedFont(s.canvas);
    s.canvas.Font.SetOrientation(900); // reads from bottom to top
    const int w = s.canvas.TextWidth("HHH"), h = s.canvas.TextHeight("HHH");
    s.canvas.TextOut(20, 70, "HHH");
    const TRect box = s.BoxOf(clRed);
    ASSERT_FALSE(box.IsEmpty());
    EXPECT_GE(box.Left, 20);
    EXPECT_LE(box.Right, 20 + h);
    EXPECT_LE(box.Bottom, 71);
    EXPECT_GE(box.Top, 70 - w);
}

TEST_F(CanvasText, ChineseTextHasWidthAndHeight) {
    Surface s(10, 10);
    s.canvas.Font.SetName("宋体");
    s.canvas.Font.SetHeight(-12);
    EXPECT_GT(s.canvas.TextWidth("收入等级"), s.canvas.TextWidth("收入"));
    EXPECT_GT(s.canvas.TextHeight("收入等级"), 11);
}

TEST_F(CanvasText, FontChangesAreReported) {
    TFont f;
    int changes = 0;
    f.OnChange = [&] { ++changes; };
    f.SetHeight(-13);
    f.SetHeight(-13);
    f.SetStyle(fsBold);
    TFont other;
    f.Assign(other);
    f.Assign(other);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(f.Height(), other.Height());
    f.SetSize(9);
    EXPECT_EQ(f.Height(), -12);
}

} // namespace
} // namespace qm
