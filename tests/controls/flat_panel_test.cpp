#include <gtest/gtest.h>

#include <QMouseEvent>

#include "canvas/widget_color.h"
#include "controls/flat_panel.h"
#include "controls/sizing_hit_test.h"
#include "tests/canvas/pixels.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

constexpr TColor kPanel = 0xC6D7D9;
constexpr TColor kHigh = clRed;
constexpr TColor kShadow = clNavy;
constexpr TColor kText = clBlack;

class FlatPanel : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }

    // The form's panel: caption band in the top-left corner, Tahoma -11, margins 3.
    static void Configure(TFlatPanel& p, const std::string& caption) {
        p.resize(200, 60);
        p.SetColor(kPanel);
        p.SetColorHighLight(kHigh);
        p.SetColorShadow(kShadow);
        p.SetQmCaptionPosition(TQmCaptionPosition::cpLeftTop);
        p.QmCaptionFont().SetName("Tahoma");
        p.QmCaptionFont().SetHeight(-11);
        p.QmCaptionFont().SetColor(kText);
        p.SetCaption(caption);
    }
    // Caption width and height as the panel's canvas measures them.
    static TSize Measure(const TFlatPanel& p) {
        QImage img(1, 1, QImage::Format_RGB32);
        Canvas c(&img);
        c.Font.Assign(p.QmCaptionFont());
        return c.TextExtent(p.Caption());
    }
    static test::Surface Paint(TFlatPanel& p) {
        test::Surface s(p.width(), p.height());
        p.PaintTo(s.canvas);
        return s;
    }
};

TEST_F(FlatPanel, NewPanelDefaults) {
    TFlatPanel p;
    EXPECT_EQ(p.width(), 185);
    EXPECT_EQ(p.height(), 41);
    EXPECT_FALSE(p.Transparent());
    EXPECT_EQ(p.QmCaptionPosition(), TQmCaptionPosition::cpNone);
    EXPECT_FALSE(p.QmShowLine());
    EXPECT_EQ(p.QmMarginTop() + p.QmMarginBottom() + p.QmMarginLeft() + p.QmMarginRight(), 12);
    EXPECT_EQ(p.QmCaptionColor(), clNone);
    EXPECT_EQ(p.QmCaptionColorTo(), clNone);
    EXPECT_TRUE(p.QmVerticalGradient());
    EXPECT_FALSE(p.QmCanChangeSize());
    EXPECT_EQ(p.ColorHighLight(), 8623776u);
    EXPECT_EQ(p.ColorShadow(), 8623776u);
    EXPECT_TRUE(p.ParentColor());
    EXPECT_TRUE(p.ParentFont());
    EXPECT_EQ(p.Alignment(), TAlignment::taCenter);
    EXPECT_EQ(p.Color(), clBtnFace); // no parent
    EXPECT_EQ(p.contentsRect(), QRect(1, 1, 183, 39));
}

TEST_F(FlatPanel, FrameAndBackground) {
    TFlatPanel p;
    Configure(p, "");
    p.SetQmCaptionPosition(TQmCaptionPosition::cpNone);
    auto s = Paint(p);
    EXPECT_EQ(s.At(0, 0), kHigh);
    EXPECT_EQ(s.At(0, 58), kHigh);
    EXPECT_EQ(s.At(198, 0), kHigh);
    EXPECT_EQ(s.At(199, 0), kShadow);
    EXPECT_EQ(s.At(0, 59), kShadow);
    EXPECT_EQ(s.At(199, 59), kShadow);
    EXPECT_EQ(s.At(100, 30), kPanel);
}

TEST_F(FlatPanel, UnderlineAndDiagonalOfTheCaptionBand) {
    TFlatPanel p;
    Configure(p, "Income");
    p.SetQmShowLine(true);
    const TSize t = Measure(p);
    const int S = 3 + t.cy + 3, X0 = 3 + t.cx + 3;
    auto s = Paint(p);
    for (int x = 0; x < X0; ++x)
        EXPECT_EQ(s.At(x, S), kShadow) << x;
    for (int i = 0; i <= S; ++i)
        EXPECT_EQ(s.At(X0 + i, S - i), kShadow) << i;
    EXPECT_EQ(s.At(X0 + 1, S), kPanel); // the underline stops where the diagonal starts
    EXPECT_EQ(s.At(X0 + S + 1, 0), kHigh);
    const TRect box = s.BoxOf(kText);
    ASSERT_FALSE(box.IsEmpty());
    EXPECT_GE(box.Left, 3);
    EXPECT_GE(box.Top, 3);
    EXPECT_LE(box.Right, 3 + t.cx);
    EXPECT_LE(box.Bottom, 3 + t.cy);
}

TEST_F(FlatPanel, GradientBandWithSlantAndWithSquareEnd) {
    const TColor from = RGB(0, 0, 200), to = RGB(0, 200, 0);
    for (bool showLine : {true, false}) {
        SCOPED_TRACE(showLine);
        TFlatPanel p;
        Configure(p, "Income");
        p.SetQmCaptionColor(from);
        p.SetQmCaptionColorTo(to);
        p.SetQmShowLine(showLine);
        const TSize t = Measure(p);
        const int S = 3 + t.cy + 3, X0 = 3 + t.cx + 3;
        auto s = Paint(p);
        EXPECT_EQ(s.At(1, 1), from);
        EXPECT_EQ(s.At(X0 - 1, 1), from);
        const TColor bottomBand = s.At(1, S - 1);
        EXPECT_NE(bottomBand, from);
        EXPECT_NE(bottomBand, to); // the end colour is never reached
        if (showLine) {
            EXPECT_EQ(s.At(X0 + 1, 1), from);           // upper-left half keeps the gradient
            EXPECT_EQ(s.At(X0 + S - 1, S - 1), kPanel); // lower-right half cut away
        } else {
            EXPECT_EQ(s.At(X0, 1), kPanel);
            EXPECT_EQ(s.At(X0, S - 1), kPanel);
        }
    }
}

TEST_F(FlatPanel, OneCaptionColourAloneDrawsNoBandButKeepsTheLines) {
    struct Case {
        TColor from, to;
    } cases[] = {{RGB(0, 0, 200), clNone}, {clNone, RGB(0, 0, 200)}};
    for (const auto& c : cases) {
        TFlatPanel p;
        Configure(p, "Income");
        p.SetQmShowLine(true);
        p.SetQmCaptionColor(c.from);
        p.SetQmCaptionColorTo(c.to);
        const TSize t = Measure(p);
        const int S = 3 + t.cy + 3, X0 = 3 + t.cx + 3;
        auto s = Paint(p);
        EXPECT_EQ(s.Count(RGB(0, 0, 200)), 0);
        EXPECT_EQ(s.At(X0 + S - 1, S - 1), kPanel);
        EXPECT_EQ(s.At(1, S), kShadow);
        EXPECT_EQ(s.At(X0 + 2, S - 2), kShadow);
    }
}

TEST_F(FlatPanel, CaptionAlignment) {
    struct Case {
        TQmCaptionPosition pos;
        TAlignment align;
        int expectLeft; // -1: right-aligned, -2: centred
    } cases[] = {{TQmCaptionPosition::cpNone, TAlignment::taLeftJustify, 0},
                 {TQmCaptionPosition::cpNone, TAlignment::taCenter, -2},
                 {TQmCaptionPosition::cpNone, TAlignment::taRightJustify, -1},
                 {TQmCaptionPosition::cpLeftTop, TAlignment::taRightJustify, 3},
                 {TQmCaptionPosition::cpLeftTop, TAlignment::taCenter, 3}};
    for (const auto& c : cases) {
        TFlatPanel p;
        Configure(p, "HHHH");
        p.SetQmCaptionPosition(c.pos);
        p.SetAlignment(c.align);
        const TSize t = Measure(p);
        auto s = Paint(p);
        const TRect box = s.BoxOf(kText);
        ASSERT_FALSE(box.IsEmpty());
        const int x = c.expectLeft >= 0 ? c.expectLeft : c.expectLeft == -1 ? 200 - t.cx : (200 - t.cx) / 2;
        const int y = c.pos == TQmCaptionPosition::cpNone ? (60 - t.cy) / 2 : 3;
        // The same text written at (x, y) by the canvas itself: its ink must land on the same pixels.
        test::Surface reference(200, 60);
        reference.canvas.Font.Assign(p.QmCaptionFont());
        reference.canvas.Brush.Style = TBrushStyle::bsClear;
        reference.canvas.TextOut(x, y, "HHHH");
        EXPECT_EQ(box, reference.BoxOf(kText)) << int(c.pos) << "/" << int(c.align);
    }
}

TEST_F(FlatPanel, DisabledCaptionIsEmbossedInBothLayouts) {
    for (auto pos : {TQmCaptionPosition::cpNone, TQmCaptionPosition::cpLeftTop}) {
        TFlatPanel p;
        Configure(p, "HHHH");
        p.SetQmCaptionPosition(pos);
        p.SetEnabled(false);
        auto s = Paint(p);
        const TRect light = s.BoxOf(ColorToRGB(clBtnHighlight)), dark = s.BoxOf(ColorToRGB(clBtnShadow));
        ASSERT_FALSE(dark.IsEmpty());
        EXPECT_EQ(light.Right, dark.Right + 1);
        EXPECT_EQ(light.Bottom, dark.Bottom + 1);
        EXPECT_EQ(s.Count(kText), 0);
    }
}

TEST_F(FlatPanel, TransparentPanelShowsItsParent) {
    QWidget parent;
    parent.resize(300, 100);
    SetWidgetColor(&parent, clNavy);
    auto* p = new TFlatPanel(&parent);
    p->move(10, 10);
    p->SetTransparent(true);
    auto s = Paint(*p);
    EXPECT_EQ(s.At(20, 20), clNavy);
    EXPECT_EQ(s.At(0, 0), 8623776u); // the frame is drawn over it
}

// On screen the panel paints only around its opaque children, piece by piece: every piece must
// land where the whole picture has it, band, slant, caption and frame alike.
TEST_F(FlatPanel, PaintedAroundAChildAsTheWholePicture) {
    TFlatPanel p;
    Configure(p, "Income");
    p.resize(240, 90);
    p.SetQmShowLine(true);
    p.SetQmCaptionColor(RGB(0, 0, 200));
    p.SetQmCaptionColorTo(RGB(0, 200, 0));
    const auto whole = Paint(p);
    const QRect child(20, 9, 150, 60); // over part of the band, the caption and the slant
    const QRegion around = QRegion(p.rect()).subtracted(child);
    ASSERT_GT(around.rectCount(), 1);
    QImage shown(p.size(), QImage::Format_RGB32);
    shown.fill(0xFF000000u);
    p.render(&shown, QPoint(), around, QWidget::RenderFlags());
    int differ = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differ += around.contains(QPoint(x, y)) && shown.pixel(x, y) != whole.image.pixel(x, y);
    EXPECT_EQ(differ, 0);
}

TEST_F(FlatPanel, ParentColourIsTakenUntilAColourIsSet) {
    QWidget parent;
    SetWidgetColor(&parent, clRed);
    auto* p = new TFlatPanel(&parent);
    EXPECT_EQ(p->Color(), clRed);
    const int before = p->RepaintCount();
    SetWidgetColor(&parent, clNavy);
    EXPECT_EQ(p->Color(), clNavy);
    EXPECT_GT(p->RepaintCount(), before);
    p->SetColor(kPanel);
    EXPECT_FALSE(p->ParentColor());
    SetWidgetColor(&parent, clRed);
    EXPECT_EQ(p->Color(), kPanel);
    EXPECT_EQ(WidgetColor(p), kPanel); // children see it
}

TEST_F(FlatPanel, SettersRepaintExceptCanChangeSize) {
    TFlatPanel p;
    int n = p.RepaintCount();
    p.SetQmMarginLeft(5);
    EXPECT_EQ(p.RepaintCount(), ++n);
    p.SetColorShadow(clRed);
    EXPECT_EQ(p.RepaintCount(), ++n);
    p.QmCaptionFont().SetHeight(-20);
    EXPECT_EQ(p.RepaintCount(), ++n);
    TFont f;
    f.SetName("SimSun");
    p.SetQmCaptionFont(f);
    EXPECT_EQ(p.RepaintCount(), ++n);
    EXPECT_EQ(p.QmCaptionFont().Name(), "SimSun");
    p.SetEnabled(false);
    EXPECT_EQ(p.RepaintCount(), ++n);
    p.SetQmCanChangeSize(true);
    EXPECT_EQ(p.RepaintCount(), n);
}

TEST_F(FlatPanel, SizingHitTest) {
    TFlatPanel p;
    p.resize(100, 50);
    const QPoint c = p.mapToGlobal(QPoint(100, 50));
    EXPECT_EQ(p.HitTest(c - QPoint(1, 1)), HTCLIENT); // off until switched on
    p.SetQmCanChangeSize(true);
    struct Case {
        int dx, dy, code;
    } cases[] = {{-2, -10, HTRIGHT}, {-2, -2, HTBOTTOMRIGHT}, {-10, -2, HTBOTTOM}, {-1, -1, HTBOTTOMRIGHT},
                 {-3, -3, HTCLIENT}, {-3, -10, HTCLIENT},     {-50, -25, HTCLIENT}};
    for (const auto& k : cases)
        EXPECT_EQ(p.HitTest(c + QPoint(k.dx, k.dy)), k.code) << k.dx << "," << k.dy;
    // Positions arrive as signed 16-bit values.
    EXPECT_EQ(p.HitTest(c + QPoint(-2 + 65536, -10)), HTRIGHT);
    p.SetDesigning(true);
    EXPECT_EQ(p.HitTest(c - QPoint(1, 1)), HTCLIENT);
}

TEST_F(FlatPanel, DraggingTheCornerResizes) {
    TFlatPanel p;
    p.resize(100, 50);
    p.SetQmCanChangeSize(true);
    auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(local), QPointF(p.mapToGlobal(local)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(&p, &e);
    };
    send(QEvent::MouseButtonPress, QPoint(99, 49), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(119, 54), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(119, 54), Qt::NoButton);
    EXPECT_EQ(p.size(), QSize(120, 55));
    send(QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(40, 40), Qt::LeftButton);
    EXPECT_EQ(p.size(), QSize(120, 55));
}

TEST_F(FlatPanel, ClickFiresOnRelease) {
    TFlatPanel p;
    int clicks = 0;
    p.OnClick = [&] { ++clicks; };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &press);
    QCoreApplication::sendEvent(&p, &release);
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace qm
