#include <memory>

#include <gtest/gtest.h>

#include <QMouseEvent>

#include "canvas/widget_color.h"
#include "controls/flat_speed_button.h"
#include "tests/canvas/pixels.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

class FlatSpeedButton : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
    static test::Surface Paint(TFlatSpeedButton& b) {
        test::Surface s(b.width(), b.height());
        b.PaintTo(s.canvas);
        return s;
    }
    static void Mouse(TFlatSpeedButton& b, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), QPointF(b.mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&b, &e);
    }
    // The close glyph's kind: white background, grey outline inset by one pixel.
    static TBitmap Glyph() {
        TBitmap g(16, 16);
        g.GetCanvas().Brush.Color = clWhite;
        g.GetCanvas().FillRect(Rect(0, 0, 16, 16));
        g.GetCanvas().Brush.Color = clGray;
        g.GetCanvas().FrameRect(Rect(1, 1, 15, 15));
        return g;
    }
};

TEST_F(FlatSpeedButton, Defaults) {
    TFlatSpeedButton b;
    EXPECT_EQ(b.width(), 25);
    EXPECT_EQ(b.height(), 25);
    EXPECT_EQ(b.ColorFocused(), 14805739u);
    EXPECT_EQ(b.ColorDown(), 12965593u);
    EXPECT_EQ(b.ColorBorder(), 8623776u);
    EXPECT_EQ(b.ColorHighLight(), clWhite);
    EXPECT_EQ(b.ColorShadow(), clBlack);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_EQ(b.Margin(), -1);
    EXPECT_EQ(b.Layout(), TButtonLayout::blGlyphTop);
}

TEST_F(FlatSpeedButton, FaceAndFrameFollowThePointer) {
    // The title bar's colours.
    QWidget parent;
    SetWidgetColor(&parent, 0xA56E3A);
    auto* b = new TFlatSpeedButton(&parent);
    b->resize(16, 16);
    b->SetColorFocused(0xDC9001);
    b->SetColorDown(0x123456);
    b->SetColorBorder(clGray);
    b->SetColorHighLight(clRed);
    b->SetColorShadow(clNavy);
    struct Case {
        const char* name;
        std::function<void()> act;
        TColor face, topLeft, bottomRight;
    } cases[] = {
        {"normal", [] {}, 0xA56E3A, clGray, clGray},
        {"hover", [&] { b->MouseEnter(); }, 0xDC9001, clRed, clNavy},
        {"pressed", [&] { Mouse(*b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton); }, 0x123456,
         clNavy, clRed},
        {"dragged off", [&] { Mouse(*b, QEvent::MouseMove, QPoint(30, 5), Qt::LeftButton); }, 0xA56E3A,
         clGray, clGray},
        {"released off", [&] { Mouse(*b, QEvent::MouseButtonRelease, QPoint(30, 5), Qt::NoButton); },
         0xA56E3A, clGray, clGray},
        {"disabled",
         [&] {
             b->MouseEnter();
             b->SetEnabled(false);
         },
         0xA56E3A, clGray, clGray},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        auto s = Paint(*b);
        EXPECT_EQ(s.At(7, 7), c.face);
        EXPECT_EQ(s.At(0, 0), c.topLeft);
        EXPECT_EQ(s.At(14, 0), c.topLeft);
        EXPECT_EQ(s.At(15, 15), c.bottomRight);
        EXPECT_EQ(s.At(15, 0), c.bottomRight);
    }
}

TEST_F(FlatSpeedButton, ClickOnlyWhenReleasedOverTheButton) {
    TFlatSpeedButton b;
    int clicks = 0;
    b.OnClick = [&] { ++clicks; };
    Mouse(b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    Mouse(b, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    Mouse(b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    Mouse(b, QEvent::MouseButtonRelease, QPoint(40, 5), Qt::NoButton);
    Mouse(b, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton); // no press before it
    EXPECT_EQ(clicks, 1);
    b.SetEnabled(false);
    Mouse(b, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    Mouse(b, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FlatSpeedButton, GlyphIsTransparentAndEmbossedWhenDisabled) {
    TFlatSpeedButton b;
    b.resize(16, 16);
    b.SetColor(clSilver);
    b.SetGlyph(Glyph());
    auto s = Paint(b);
    EXPECT_EQ(s.At(1, 1), clGray);
    EXPECT_EQ(s.At(7, 7), clSilver); // the glyph's white is see-through
    EXPECT_EQ(s.Count(clWhite), 0);
    b.SetEnabled(false);
    s = Paint(b);
    EXPECT_EQ(s.At(1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(s.At(15, 8), ColorToRGB(clBtnHighlight)); // the copy one pixel right and down
    EXPECT_EQ(s.At(7, 7), clSilver);
}

TEST_F(FlatSpeedButton, GlyphAboveTheCaption) {
    TFlatSpeedButton b;
    b.resize(60, 60);
    b.SetGlyph(Glyph());
    b.SetCaption("Ok");
    TPoint g;
    TRect t;
    b.CalcLayout(g, t);
    EXPECT_EQ(g.X, (60 - 16 + 1) / 2);
    EXPECT_EQ(t.Top, g.Y + 16 + 4);
    EXPECT_EQ(g.Y, (60 - 16 - t.Height() - 4) / 2);
    b.SetCaption("");
    b.CalcLayout(g, t);
    EXPECT_EQ(g.Y, (60 - 16) / 2);
}

TEST_F(FlatSpeedButton, OneSharedTimerReleasedWithTheLastButton) {
    EXPECT_EQ(TFlatSpeedButton::TimerUsers(), 0);
    {
        TFlatSpeedButton a, b;
        EXPECT_EQ(TFlatSpeedButton::TimerUsers(), 2);
    }
    EXPECT_EQ(TFlatSpeedButton::TimerUsers(), 0);
}

// An idle window must sleep: the pointer check runs only while a button shows the hover look.
TEST_F(FlatSpeedButton, PointerTimerRunsOnlyWhileHovered) {
    TFlatSpeedButton a;
    auto b = std::make_unique<TFlatSpeedButton>();
    EXPECT_FALSE(TFlatSpeedButton::WatchingPointer());
    a.MouseEnter();
    EXPECT_TRUE(TFlatSpeedButton::WatchingPointer());
    a.MouseLeave();
    EXPECT_FALSE(TFlatSpeedButton::WatchingPointer());
    b->MouseEnter();
    EXPECT_TRUE(TFlatSpeedButton::WatchingPointer());
    b.reset();
    EXPECT_FALSE(TFlatSpeedButton::WatchingPointer());
}

} // namespace
} // namespace qm
