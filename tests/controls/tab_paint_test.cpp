#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>

#include <cmath>

#include "tests/controls/tab_test_support.h"

namespace qm {
namespace {

using test::TabFixture;

constexpr TColor kBand = RGB(10, 200, 10), kBorder = RGB(200, 10, 10), kPage = RGB(10, 10, 200),
                 kControl = RGB(200, 200, 10), kActive = RGB(240, 240, 230), kTab = RGB(100, 100, 100),
                 kOutline = RGB(10, 150, 150), kHover = RGB(250, 150, 50);

struct Picture {
    QImage image;
    TColor At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
    int Count(TColor color) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += At(x, y) == color;
        return n;
    }
};

// Two or three pages with every colour of the picture told apart; page 0 active.
struct PaintFixture : TabFixture {
    explicit PaintFixture(TTabPosition position, int count = 2, int w = 220, int h = 140)
        : TabFixture(count, w, h) {
        auto& c = pc();
        c.SetTabPosition(position);
        c.SetColor(kControl);
        c.SetTabBackGroundColor(kBand);
        c.SetTabSheetBorderColor(kBorder);
        c.SetTabBorderColor(kOutline);
        c.SetActiveColor(kActive);
        c.SetDefaultTabColor(kTab);
        for (TQmTabSheet* p : pages)
            p->SetColor(kPage);
        if (!pages.empty()) c.SetActivePage(pages[0]);
    }
    Picture Render() { return {pc().Render()}; }
    TRect Tab(int i) { return pc().PageTabRect(i); }
    TRect Strip() { // SL, ST, SR, SB as a rectangle
        TRect r = Tab(0);
        for (int i = 1; i < pc().PageCount(); ++i) {
            const TRect t = Tab(i);
            r = {std::min(r.Left, t.Left), std::min(r.Top, t.Top), std::max(r.Right, t.Right),
                 std::max(r.Bottom, t.Bottom)};
        }
        return r;
    }
};

TEST(TabPaint, StripBandPageFrameBorderAndBaseLinePerPosition) {
    // Points are computed from the strip extent s, the active tab a, the inactive tab b.
    struct Probe {
        const char* what;
        std::function<TPoint(TRect s, TRect a, TRect b, int W, int H)> at;
        TColor color;
    };
    struct Case {
        TTabPosition position;
        std::vector<Probe> probes;
    };
    auto midX = [](TRect r) { return (r.Left + r.Right) / 2; };
    auto midY = [](TRect r) { return (r.Top + r.Bottom) / 2; };
    const Case cases[] = {
        {TTabPosition::tpTop,
         {{"band", [](TRect, TRect, TRect, int W, int) { return Point(W - 10, 0); }, kBand},
          {"border", [](TRect s, TRect, TRect, int, int) { return Point(0, s.Bottom + 10); }, kBorder},
          {"frame", [](TRect s, TRect, TRect, int, int) { return Point(2, s.Bottom + 10); }, kPage},
          {"frame opposite", [](TRect, TRect, TRect, int, int H) { return Point(30, H - 3); }, kPage},
          {"open under active", [&](TRect s, TRect a, TRect, int, int) { return Point(midX(a), s.Bottom); },
           kPage},
          {"closed under inactive",
           [&](TRect s, TRect, TRect b, int, int) { return Point(midX(b), s.Bottom); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(a.Left + 2, midY(a)); },
           kActive},
          {"inactive fill", [&](TRect, TRect, TRect b, int, int) { return Point(b.Left + 2, midY(b)); },
           kTab}}},
        {TTabPosition::tpBottom,
         {{"band", [](TRect, TRect, TRect, int W, int H) { return Point(W - 10, H - 1); }, kBand},
          {"border", [](TRect, TRect, TRect, int, int) { return Point(0, 10); }, kBorder},
          {"frame", [](TRect, TRect, TRect, int, int) { return Point(2, 10); }, kPage},
          {"open under active", [&](TRect s, TRect a, TRect, int, int) { return Point(midX(a), s.Top - 1); },
           kPage},
          {"closed under inactive",
           [&](TRect s, TRect, TRect b, int, int) { return Point(midX(b), s.Top - 1); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(a.Left + 2, midY(a)); },
           kActive}}},
        {TTabPosition::tpLeft,
         {{"band", [](TRect, TRect, TRect, int, int H) { return Point(0, H - 10); }, kBand},
          {"border", [](TRect s, TRect, TRect, int, int H) { return Point(s.Right, H - 10); }, kBorder},
          {"frame", [](TRect s, TRect, TRect, int, int H) { return Point(s.Right + 2, H - 10); }, kPage},
          {"open beside active", [&](TRect s, TRect a, TRect, int, int) { return Point(s.Right, midY(a)); },
           kPage},
          {"closed beside inactive",
           [&](TRect s, TRect, TRect b, int, int) { return Point(s.Right, midY(b)); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(midX(a), a.Bottom - 2); },
           kActive}}},
        {TTabPosition::tpRight,
         {{"band", [](TRect, TRect, TRect, int W, int H) { return Point(W - 1, H - 10); }, kBand},
          {"border", [](TRect s, TRect, TRect, int, int H) { return Point(s.Left - 1, H - 10); }, kBorder},
          {"frame", [](TRect s, TRect, TRect, int, int H) { return Point(s.Left - 3, H - 10); }, kPage},
          {"open beside active",
           [&](TRect s, TRect a, TRect, int, int) { return Point(s.Left - 1, midY(a)); }, kPage},
          {"closed beside inactive",
           [&](TRect s, TRect, TRect b, int, int) { return Point(s.Left - 1, midY(b)); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(midX(a), a.Top + 2); },
           kActive}}},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position);
        const Picture p = f.Render();
        for (const Probe& probe : c.probes) {
            const TPoint at = probe.at(f.Strip(), f.Tab(0), f.Tab(1), f.pc().width(), f.pc().height());
            EXPECT_EQ(p.At(at.X, at.Y), probe.color)
                << static_cast<int>(c.position) << " " << probe.what << " at " << at.X << "," << at.Y;
        }
    }
}

TEST(TabPaint, ControlWithoutPagesHasATwoPixelBandAndNoBaseLine) {
    PaintFixture f(TTabPosition::tpTop, 0);
    const Picture p = f.Render();
    const int W = f.pc().width(), H = f.pc().height();
    EXPECT_EQ(p.At(10, 0), kBand);
    EXPECT_EQ(p.At(10, 1), kBand);
    EXPECT_EQ(p.At(5, 2), kBorder); // no base line over the border
    EXPECT_EQ(p.At(0, 50), kBorder);
    EXPECT_EQ(p.At(10, H - 2), kControl); // no page: the inner edge in the control's colour
    EXPECT_EQ(p.At(W - 2, 50), kControl);
}

TEST(TabPaint, TabSheet3DLeavesOutBorderAndNarrowsTheFrame) {
    PaintFixture f(TTabPosition::tpTop);
    f.pc().SetTabSheet3D(true);
    const Picture p = f.Render();
    const TRect s = f.Strip();
    const int W = f.pc().width();
    EXPECT_EQ(p.At(0, s.Bottom + 10), kControl);
    EXPECT_EQ(p.At(1, s.Bottom + 10), kPage);
    EXPECT_EQ(p.At(s.Right + 3, s.Bottom), kControl); // the strip-side band starts one row lower
    EXPECT_EQ(p.At(s.Right + 3, s.Bottom + 1), kPage);
    EXPECT_EQ(p.At(W - 5, s.Bottom), clWhite); // the scroll area's line is no longer covered
}

// The colour a vertical gradient of `bands` bands over [0, extent) gives row y: each band i runs
// from round(i f) over round(f) + 1 rows, later bands over earlier ones, with the colour
// from + round(i d) per channel (halves to even).
TColor GradientRow(TColor from, TColor to, int bands, int extent, int y) {
    const double f = static_cast<double>(extent) / bands;
    int band = 0;
    for (int i = 0; i < bands; ++i) {
        const int o = static_cast<int>(std::nearbyint(i * f));
        if (y >= o && y < o + static_cast<int>(std::nearbyint(f)) + 1) band = i;
    }
    auto channel = [&](int shift) {
        const int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        return static_cast<TColor>(
            a + static_cast<int>(std::nearbyint(band * (b - a) / static_cast<double>(bands))));
    };
    return channel(0) | channel(8) << 8 | channel(16) << 16;
}

TEST(TabPaint, GradientPageFrameHasASolidTopBand) {
    const TColor to = RGB(90, 10, 40);
    for (const int H : {140, 157}) { // a whole and a fractional band height
        PaintFixture f(TTabPosition::tpTop, 2, 220, H);
        f.pages[0]->SetColorTo(to);
        const Picture p = f.Render();
        const TRect s = f.Strip();
        const int W = f.pc().width();
        // The band next to the strip is solid in the page colour.
        for (int y = s.Bottom + 1; y < s.Bottom + 4; ++y)
            EXPECT_EQ(p.At(W / 2, y), kPage) << H << " row " << y;
        // Below it the side bands show the 16-band gradient over the control's full height.
        for (const int y : {s.Bottom + 5, H / 2, H / 2 + 1, H - 6, H - 3, H - 2}) {
            const TColor want = GradientRow(kPage, to, 16, H, y);
            EXPECT_EQ(p.At(2, y), want) << H << " row " << y;
            EXPECT_EQ(p.At(W - 3, y), want) << H << " row " << y;
        }
    }
}

TEST(TabPaint, RoundedCorners) {
    struct Case {
        TTabPosition position;
        std::vector<std::pair<TPoint, TColor>> probes; // relative to W, H when negative
    };
    const int W = 220, H = 140;
    const Case cases[] = {
        {TTabPosition::tpTop,
         {{{0, H - 1}, kControl},
          {{1, H - 3}, kBorder},
          {{3, H - 2}, kBorder},
          {{W - 1, H - 1}, kControl},
          {{W - 2, H - 4}, kBorder}}},
        {TTabPosition::tpBottom,
         {{{0, 0}, kControl}, {{1, 2}, kBorder}, {{W - 1, 1}, kControl}, {{W - 4, 1}, kBorder}}},
        {TTabPosition::tpLeft,
         {{{W - 2, H - 2}, kControl},
          {{W - 4, H - 3}, kBorder},
          {{W - 3, 2}, kBorder},
          {{W - 2, 1}, kControl}}},
        {TTabPosition::tpRight,
         {{{0, 0}, kControl}, {{1, 2}, kBorder}, {{0, H - 3}, kControl}, {{3, H - 3}, kBorder}}},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position, 2, W, H);
        f.pc().SetRoundEdges(true);
        const Picture p = f.Render();
        for (const auto& [at, color] : c.probes)
            EXPECT_EQ(p.At(at.X, at.Y), color)
                << static_cast<int>(c.position) << " at " << at.X << "," << at.Y;
    }
}

TEST(TabPaint, OutlinesPerStyle) {
    // Three tabs, the middle one active: tab 0 is followed by the active tab (no separator),
    // tab 2 is at the far end (separator).
    struct Case {
        TTabStyle style;
        TTabPosition position;
        std::function<TPoint(TRect)> at; // a point of the given tab
        int tab;
        TColor color;
    };
    const Case cases[] = {
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point(r.Right - 2, r.Top + 4); }, 2,
         kOutline},
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point(r.Right - 2, r.Top + 4); }, 0,
         kTab},
        {TTabStyle::tsDelphi, TTabPosition::tpTop,
         [](TRect r) { return Point((r.Left + r.Right) / 2, r.Top - 1); }, 1, kActive},
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point(r.Left, r.Top + 4); }, 1,
         kOutline},
        {TTabStyle::tsDotNet, TTabPosition::tpTop, [](TRect r) { return Point(r.Right - 3, r.Top + 4); }, 2,
         kActive},
        {TTabStyle::tsDotNet, TTabPosition::tpTop,
         [](TRect r) { return Point((r.Left + r.Right) / 2, r.Top - 1); }, 1, kOutline},
        {TTabStyle::tsDotNet, TTabPosition::tpTop, [](TRect r) { return Point(r.Left + 2, r.Bottom); }, 2,
         kOutline},
        {TTabStyle::tsDotNet, TTabPosition::tpLeft, [](TRect r) { return Point(r.Left + 4, r.Bottom - 3); },
         2, kActive},
        {TTabStyle::tsDelphi, TTabPosition::tpLeft, [](TRect r) { return Point(r.Left + 4, r.Bottom - 2); },
         2, kOutline},
        {TTabStyle::tsDelphi, TTabPosition::tpRight, [](TRect r) { return Point(r.Left - 1, r.Top + 4); }, 2,
         kOutline},
        {TTabStyle::tsClassic, TTabPosition::tpTop, [](TRect r) { return Point(r.Left, r.Top + 4); }, 0,
         kOutline},
        {TTabStyle::tsClassic, TTabPosition::tpTop,
         [](TRect r) { return Point((r.Left + r.Right) / 2, r.Top - 1); }, 1, kOutline},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position, 3, 220, 200); // tall enough for one column of left or right tabs
        f.pc().SetActiveColor(kActive);
        f.pc().SetTabStyle(c.style);
        f.pc().SetActivePage(f.pages[1]);
        const Picture p = f.Render();
        const TPoint at = c.at(f.Tab(c.tab));
        EXPECT_EQ(p.At(at.X, at.Y), c.color)
            << static_cast<int>(c.style) << "/" << static_cast<int>(c.position) << " tab " << c.tab << " at "
            << at.X << "," << at.Y;
    }
}

void Move(TQmPageControl& pc, QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), pc.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&pc, &e);
}

TEST(TabPaint, CloseBoxLooksAndOrigins) {
    struct Case {
        const char* name;
        TTabPosition position;
        int tab;    // whose box is looked at
        int action; // 0 none, 1 hover the active box, 2 press it
        std::function<TPoint(TRect, int la)> origin;
        TColor frame, fill, cross;
    };
    const Case cases[] = {
        {"top active normal", TTabPosition::tpTop, 0, 0,
         [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clGray, clWhite, clBlack},
        {"top inactive normal", TTabPosition::tpTop, 1, 0,
         [](TRect r, int) { return Point(r.Left + 2, r.Top + 2); }, clGray, clWhite, clBlack},
        {"top lit", TTabPosition::tpTop, 0, 1,
         [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clBlack, clWhite, clGray},
        {"top pressed", TTabPosition::tpTop, 0, 2,
         [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clBlack, clSilver, clBlack},
        {"left active", TTabPosition::tpLeft, 0, 0,
         [](TRect r, int la) { return Point(r.Left + la + 2, r.Bottom - 13); }, clGray, clWhite, clBlack},
        {"right active normal", TTabPosition::tpRight, 0, 0,
         [](TRect r, int la) { return Point(r.Left + 4 - la, r.Top + 2); }, clGray, clWhite, clBlack},
        {"right lit", TTabPosition::tpRight, 0, 1, [](TRect r, int) { return Point(r.Left + 2, r.Top + 2); },
         clBlack, clWhite, clGray},
        {"right pressed", TTabPosition::tpRight, 0, 2,
         [](TRect r, int la) { return Point(r.Left + 4 - la, r.Top + 2); }, clBlack, clSilver, clBlack},
        {"bottom active normal", TTabPosition::tpBottom, 0, 0,
         [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clGray, clWhite, clBlack},
        {"bottom inactive normal", TTabPosition::tpBottom, 1, 0,
         [](TRect r, int) { return Point(r.Left + 2, r.Top + 2); }, clGray, clWhite, clBlack},
        {"bottom lit", TTabPosition::tpBottom, 0, 1,
         [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clBlack, clWhite, clGray},
        {"bottom pressed", TTabPosition::tpBottom, 0, 2,
         [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clBlack, clSilver, clBlack},
        {"left inactive normal", TTabPosition::tpLeft, 1, 0,
         [](TRect r, int) { return Point(r.Left + 2, r.Bottom - 13); }, clGray, clWhite, clBlack},
        {"left lit", TTabPosition::tpLeft, 0, 1,
         [](TRect r, int la) { return Point(r.Left + la + 2, r.Bottom - 13); }, clBlack, clWhite, clGray},
        {"left pressed", TTabPosition::tpLeft, 0, 2,
         [](TRect r, int la) { return Point(r.Left + la + 2, r.Bottom - 13); }, clBlack, clSilver, clBlack},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position);
        for (TQmTabSheet* p : f.pages)
            p->SetShowClose(true);
        f.pc().SetTabHoverColor(kHover);
        const TRect active = f.Tab(0);
        const QPoint hit = c.position == TTabPosition::tpLeft ? QPoint(active.Left + 8, active.Bottom - 8)
                                                              : QPoint(active.Left + 8, active.Top + 7);
        if (c.action == 1) Move(f.pc(), hit);
        if (c.action == 2) {
            QMouseEvent e(QEvent::MouseButtonPress, QPointF(hit), f.pc().mapToGlobal(QPointF(hit)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&f.pc(), &e);
        }
        ASSERT_EQ(f.pc().CloseBoxHit(0, hit.x(), hit.y()), true) << c.name;
        const Picture p = f.Render();
        const TPoint o = c.origin(f.Tab(c.tab), f.pc().LowerActive());
        EXPECT_EQ(p.At(o.X, o.Y), c.frame) << c.name;
        EXPECT_EQ(p.At(o.X + 11, o.Y + 10), c.frame) << c.name;
        EXPECT_EQ(p.At(o.X + 1, o.Y + 1), c.fill) << c.name;
        EXPECT_EQ(p.At(o.X + 3, o.Y + 3), c.cross) << c.name;
        EXPECT_EQ(p.At(o.X + 8, o.Y + 7), c.cross) << c.name;
    }
}

TEST(TabPaint, TopCloseBoxIsDrawnLowerThanItsHitRectangle) {
    PaintFixture f(TTabPosition::tpTop);
    f.pages[0]->SetShowClose(true);
    const TRect r = f.Tab(0);
    EXPECT_TRUE(f.pc().CloseBoxHit(0, r.Left + 2, r.Top + 2));
    EXPECT_FALSE(f.pc().CloseBoxHit(0, r.Left + 2, r.Top + 13));
    const Picture p = f.Render();
    EXPECT_EQ(p.At(r.Left + 2, r.Top + 4), clGray);
    EXPECT_NE(p.At(r.Left + 2, r.Top + 3), clGray);
}

TEST(TabPaint, FocusFrameOnlyWhileTheControlItselfHasFocusAndShowFocus) {
    struct Case {
        const char* name;
        bool showFocus;
        bool focusOnPage; // a control on the active page holds the focus instead
        bool framed;
    } cases[] = {
        {"no ShowFocus", false, false, false},
        {"ShowFocus, control focused", true, false, true},
        {"ShowFocus, edit on the page focused", true, true, false},
    };
    for (const auto& c : cases) {
        PaintFixture f(TTabPosition::tpTop);
        f.pc().SetShowFocus(c.showFocus);
        auto* edit = new QLineEdit(f.pages[0]);
        f.pc().show();
        f.pc().activateWindow();
        QWidget* target = c.focusOnPage ? static_cast<QWidget*>(edit) : &f.pc();
        target->setFocus();
        QApplication::processEvents();
        if (QApplication::focusWidget() != target) GTEST_SKIP() << "no keyboard focus on this platform";
        const Picture p = f.Render();
        const TRect r = f.Tab(0);
        // The active tab's adjusted rectangle starts a row above the tab.
        int black = 0;
        for (int x = r.Left + 5; x < r.Right - 5; ++x)
            black += p.At(x, r.Top - 1 + 3) == clBlack;
        EXPECT_EQ(p.At(r.Left + 5, r.Top + 2) == clBlack, c.framed) << c.name;
        if (c.framed) {
            EXPECT_LT(black, r.Right - r.Left - 10) << c.name; // dotted, not solid
        }
    }
}

TEST(TabPaint, HoverFillAndOutline) {
    PaintFixture f(TTabPosition::tpTop, 3);
    f.pc().SetTabHoverColor(kHover);
    f.pc().SetTabHoverBorder(kBorder);
    const TRect r = f.Tab(1);
    Move(f.pc(), QPoint(r.Left + 3, r.Top + 3));
    ASSERT_EQ(f.pc().HoverPage(), 1);
    const Picture p = f.Render();
    EXPECT_EQ(p.At(r.Left + 2, (r.Top + r.Bottom) / 2), kHover);
    EXPECT_EQ(p.At(r.Left, r.Top + 2), kBorder);
    EXPECT_EQ(p.At((r.Left + r.Right) / 2, r.Top - 1), kBorder);
    EXPECT_EQ(p.At(r.Right, r.Bottom - 2), kBorder);
    // Not on the active tab.
    Move(f.pc(), QPoint(f.Tab(0).Left + 3, f.Tab(0).Top + 3));
    EXPECT_NE(f.Render().At(f.Tab(0).Left, f.Tab(0).Top + 2), kBorder);
}

// A 10-by-6 picture: left half red, the two middle columns green, right half blue; the
// bottom-left pixel's colour (magenta) is transparent.
TBitmap SlicePicture() {
    TBitmap b(10, 6);
    Canvas& c = b.GetCanvas();
    for (int x = 0; x < 10; ++x) {
        c.Brush = TBrush{x < 4 ? clRed : x < 6 ? RGB(0, 255, 0) : RGB(0, 0, 255), TBrushStyle::bsSolid};
        c.FillRect(Rect(x, 0, x + 1, 6));
    }
    c.SetPixel(0, 5, RGB(255, 0, 255));
    return b;
}

TEST(TabPaint, PictureTabsAreDrawnInThreeSlices) {
    PaintFixture f(TTabPosition::tpTop);
    f.pc().SetTabBackGround(SlicePicture());
    f.pc().SetActivePage(f.pages[1]);
    const Picture p = f.Render();
    const TRect r = f.Tab(0); // inactive: start (L - 1, T - 2), length R - L + 2
    const int x = r.Left - 1, y = r.Top - 2, n = r.Right - r.Left + 2;
    EXPECT_EQ(p.At(x, y), clRed);
    EXPECT_EQ(p.At(x + 3, y), clRed);
    EXPECT_EQ(p.At(x + 4, y), RGB(0, 255, 0)); // the left half is 5 columns of a 10-wide picture
    EXPECT_EQ(p.At(x + 5, y), RGB(0, 255, 0)); // the stretched middle starts at w div 2
    EXPECT_EQ(p.At(x + n - 6, y), RGB(0, 255, 0));
    EXPECT_EQ(p.At(x + n - 5, y), RGB(0, 255, 0)); // the right half starts with column w div 2
    EXPECT_EQ(p.At(x + n - 4, y), RGB(0, 0, 255));
    EXPECT_EQ(p.At(x + n - 1, y), RGB(0, 0, 255));
    EXPECT_NE(p.At(x, y + 5), RGB(255, 0, 255)); // transparent
    EXPECT_NE(p.At(x + n, y), RGB(0, 0, 255));
}

TEST(TabPaint, DeferredActivePictureIsDrawnOverItsNeighbours) {
    PaintFixture f(TTabPosition::tpTop);
    f.pc().SetTabBackGround(SlicePicture());
    TBitmap active(10, 6);
    active.GetCanvas().Brush = TBrush{kHover, TBrushStyle::bsSolid};
    active.GetCanvas().FillRect(Rect(0, 0, 10, 6));
    active.GetCanvas().SetPixel(0, 5, RGB(255, 0, 255));
    f.pc().SetTabBackGroundActive(active);
    const Picture p = f.Render();
    const TRect r = f.Tab(0); // active, LowerActive 2: start (L - 2, T - 1)
    EXPECT_EQ(p.At(r.Left - 2, r.Top - 1), kHover);
    EXPECT_EQ(p.At(r.Right - r.Left + r.Left - 1, r.Top - 1), kHover); // reaches over the next tab's start
}

TEST(TabPaint, InactiveTabInARowAwayFromThePageIsClosedShorter) {
    PaintFixture f(TTabPosition::tpTop, 6, 160, 140);
    f.pc().SetMultiLine(true);
    f.pc().SetScrollOpposite(true);
    for (int i = 0; i < 6; ++i)
        f.pages[static_cast<std::size_t>(i)]->SetCaption("Caption" + std::to_string(i));
    ASSERT_GT(f.pc().Strip().Rows(), 1);
    // Activate the last page: its row moves next to the page and the first row goes away from it.
    f.pc().SetActivePage(f.pages[5]);
    const TRect far = f.Tab(0);
    ASSERT_LT(far.Bottom, f.Strip().Bottom);
    const Picture p = f.Render();
    // The far tab's outline ends one row above its rectangle's bottom edge (S cleared); the row
    // below belongs to the tab under it.
    int x = far.Left + 2;
    EXPECT_EQ(p.At(x, far.Bottom - 1), kOutline);
    EXPECT_NE(p.At(x, far.Bottom), kOutline);
}

TEST(TabPaint, RightPictureTabsWithTabHeight20MoveTheCaptionSixPixelsLeft) {
    const TColor kText = RGB(255, 0, 128);
    int rightmost[2] = {0, 0};
    for (int picture = 0; picture < 2; ++picture) {
        PaintFixture f(TTabPosition::tpRight);
        f.pc().SetTabHeight(20);
        f.pages[1]->SetTextColor(kText);
        if (picture) {
            TBitmap plain(8, 8);
            plain.GetCanvas().Brush = TBrush{kTab, TBrushStyle::bsSolid};
            plain.GetCanvas().FillRect(Rect(0, 0, 8, 8));
            plain.GetCanvas().SetPixel(0, 7, RGB(255, 0, 255));
            f.pc().SetTabBackGround(plain);
        }
        const TRect r = f.Tab(1);
        EXPECT_EQ(r.Width(), 20);
        const Picture p = f.Render();
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left - 3; x < r.Right + 3; ++x)
                if (p.At(x, y) == kText) rightmost[picture] = std::max(rightmost[picture], x);
    }
    ASSERT_GT(rightmost[0], 0);
    // Plain tabs write at R - 1, picture tabs at R - 1 - 20 div 3 and 3 pixels higher.
    EXPECT_EQ(rightmost[0] - rightmost[1], 6);
}

// The first tab is painted last, so no neighbour hides a caption that runs past its end.
TEST(TabPaint, CaptionsStayInsideTheirTabs) {
    const TColor kText = RGB(255, 0, 128), kImage = RGB(0, 200, 0);
    struct Case {
        TTabPosition position;
        const char* caption;
        bool image;
        TTabStyle style;
        bool close = false;
    };
    const Case cases[] = {
        {TTabPosition::tpLeft, "Second", false, TTabStyle::tsDelphi},
        {TTabPosition::tpLeft, "Second", true, TTabStyle::tsClassic},
        {TTabPosition::tpLeft, "收入等级", false, TTabStyle::tsDotNet},
        {TTabPosition::tpLeft, "收入等级", true, TTabStyle::tsDelphi},
        {TTabPosition::tpRight, "Second", false, TTabStyle::tsClassic},
        {TTabPosition::tpRight, "Second", true, TTabStyle::tsDotNet},
        {TTabPosition::tpRight, "收入等级", false, TTabStyle::tsDelphi},
        {TTabPosition::tpRight, "收入等级", true, TTabStyle::tsClassic},
        {TTabPosition::tpTop, "收入等级", true, TTabStyle::tsDelphi},
        {TTabPosition::tpBottom, "Second", true, TTabStyle::tsClassic},
        {TTabPosition::tpLeft, "Second", true, TTabStyle::tsDotNet, true},
        {TTabPosition::tpRight, "收入等级", false, TTabStyle::tsDelphi, true},
    };
    TBitmap icon(16, 16);
    icon.GetCanvas().Brush = TBrush{kImage, TBrushStyle::bsSolid};
    icon.GetCanvas().FillRect(Rect(0, 0, 16, 16));
    TImageList images(16, 16);
    images.Add(icon);
    for (const Case& c : cases) {
        for (bool active : {true, false}) {
            PaintFixture f(c.position, 2, 260, 220);
            TQmPageControl& pc = f.pc();
            pc.SetTabStyle(c.style);
            if (c.image) pc.SetImages(&images);
            TFont bold = pc.ActiveFont(); // a wider active font must widen its tab too
            bold.SetStyle(fsBold);
            bold.SetColor(active ? kText : clBlack); // only the tab under test writes in kText
            pc.SetActiveFont(bold);
            f.pages[0]->SetShowClose(c.close);
            f.pages[0]->SetCaption(c.caption);
            f.pages[0]->SetTextColor(kText);
            pc.SetActivePage(f.pages[active ? 0 : 1]);

            const TRect tab = f.Tab(0);
            QImage one(1, 1, QImage::Format_RGB32);
            Canvas measure(&one);
            measure.Font.Assign(active ? pc.ActiveFont() : pc.Font());
            const bool vertical = c.position == TTabPosition::tpLeft || c.position == TTabPosition::tpRight;
            const std::string name = std::to_string(static_cast<int>(c.position)) + " " + c.caption +
                                     (c.image ? " image" : "") + (c.close ? " close" : "") +
                                     (active ? " active" : " inactive");
            EXPECT_GT(vertical ? tab.Height() : tab.Width(), measure.TextWidth(c.caption)) << name;

            // Clear of the outlines at both ends of the tab, not only inside it.
            const TRect clear = vertical ? Rect(tab.Left, tab.Top + 2, tab.Right, tab.Bottom - 2)
                                         : Rect(tab.Left + 2, tab.Top, tab.Right - 2, tab.Bottom);
            const Picture p = f.Render();
            int inside = 0, outside = 0;
            for (int y = 0; y < p.image.height(); ++y)
                for (int x = 0; x < p.image.width(); ++x)
                    if (p.At(x, y) == kText) ++(clear.Contains(Point(x, y)) ? inside : outside);
            EXPECT_GT(inside, 0) << name;
            EXPECT_EQ(outside, 0) << name << " tab " << tab.Left << "," << tab.Top << "," << tab.Right << ","
                                  << tab.Bottom;
        }
    }
}

TEST(TabPaint, CloseGlyphReplacesTheBoxClippedAndTransparent) {
    const TColor kGlyph = RGB(20, 120, 220), kSee = RGB(255, 0, 255);
    // 14 by 13: wider and higher than the box; its bottom-left pixel names the transparent colour.
    TBitmap glyph(14, 13);
    glyph.GetCanvas().Brush = TBrush{kGlyph, TBrushStyle::bsSolid};
    glyph.GetCanvas().FillRect(Rect(0, 0, 14, 13));
    glyph.GetCanvas().SetPixel(0, 12, kSee);
    glyph.GetCanvas().SetPixel(5, 5, kSee);
    for (const TTabPosition position :
         {TTabPosition::tpTop, TTabPosition::tpBottom, TTabPosition::tpLeft, TTabPosition::tpRight}) {
        PaintFixture f(position);
        for (TQmTabSheet* p : f.pages) {
            p->SetShowClose(true);
            p->SetCaption("");
        }
        f.pc().SetCloseGlyph(glyph);
        const Picture p = f.Render();
        const TRect r = f.Tab(1); // inactive: D is 0
        const TPoint o = position == TTabPosition::tpLeft    ? Point(r.Left + 2, r.Bottom - 13)
                         : position == TTabPosition::tpRight ? Point(r.Left + 4, r.Top + 2)
                                                             : Point(r.Left + 2, r.Top + 2);
        const int pos = static_cast<int>(position);
        EXPECT_EQ(p.At(o.X, o.Y), kGlyph) << pos;
        EXPECT_EQ(p.At(o.X + 11, o.Y + 10), kGlyph) << pos;
        EXPECT_NE(p.At(o.X + 12, o.Y + 3), kGlyph) << pos; // clipped to 12 columns
        EXPECT_NE(p.At(o.X + 3, o.Y + 11), kGlyph) << pos; // and 11 rows
        EXPECT_EQ(p.At(o.X + 5, o.Y + 5), kTab) << pos;    // the transparent colour shows the tab
        EXPECT_EQ(p.Count(kSee), 0) << pos;
    }
}

TEST(TabPaint, BottomAndRightOutlinesPerStyle) {
    // Three tabs without captions, the middle one active; tab 2 is at the far end.
    using Probe = std::function<TPoint(TRect)>;
    struct Case {
        TTabStyle style;
        TTabPosition position;
        int tab;
        Probe at;
        TColor color;
    };
    const TTabStyle C = TTabStyle::tsClassic, D = TTabStyle::tsDelphi, N = TTabStyle::tsDotNet;
    const TTabPosition Bot = TTabPosition::tpBottom, Rt = TTabPosition::tpRight;
    auto midX = [](TRect r) { return (r.Left + r.Right) / 2; };
    auto midY = [](TRect r) { return (r.Top + r.Bottom) / 2; };
    // Bottom tabs are one row longer (B + 1); right tabs end one column further (R + 1) for the outline.
    const Case cases[] = {
        {C, Bot, 1, [](TRect r) { return Point(r.Left, r.Top + 2); }, kOutline},
        {C, Bot, 1, [&](TRect r) { return Point(midX(r), r.Bottom + 1); }, kOutline},
        {C, Bot, 1, [](TRect r) { return Point(r.Right, r.Top + 2); }, kOutline},
        {C, Bot, 2, [&](TRect r) { return Point(midX(r), r.Top - 1); },
         kOutline}, // closes over the base line
        {C, Bot, 2, [&](TRect r) { return Point(midX(r), r.Bottom); }, kOutline},
        {C, Bot, 2, [](TRect r) { return Point(r.Left, r.Top + 2); }, kOutline},
        {D, Bot, 1, [](TRect r) { return Point(r.Left, r.Top + 2); }, kOutline},
        {D, Bot, 1, [](TRect r) { return Point(r.Right, r.Top + 2); }, kOutline},
        {D, Bot, 1, [&](TRect r) { return Point(midX(r), r.Bottom); }, kActive}, // open at the bottom
        {D, Bot, 2, [&](TRect r) { return Point(midX(r), r.Top - 1); }, kOutline},
        {D, Bot, 2, [](TRect r) { return Point(r.Right - 2, r.Top + 3); }, kOutline}, // separator
        {D, Bot, 2, [](TRect r) { return Point(r.Right - 1, r.Top + 3); }, kTab},
        {N, Bot, 1, [](TRect r) { return Point(r.Left, r.Top + 2); }, kOutline},
        {N, Bot, 1, [&](TRect r) { return Point(midX(r), r.Bottom + 1); }, kOutline},
        {N, Bot, 1, [](TRect r) { return Point(r.Right, r.Top + 2); }, kOutline},
        {N, Bot, 2, [&](TRect r) { return Point(midX(r), r.Top - 1); }, kOutline},
        {N, Bot, 2, [](TRect r) { return Point(r.Right - 2, r.Top + 4); },
         kActive}, // separator in ActiveColor
        {N, Bot, 2, [](TRect r) { return Point(r.Right - 3, r.Top + 4); }, kActive},
        {C, Rt, 1, [&](TRect r) { return Point(midX(r), r.Top); }, kOutline},
        {C, Rt, 1, [&](TRect r) { return Point(r.Right, midY(r)); }, kOutline},
        {C, Rt, 1, [&](TRect r) { return Point(midX(r), r.Bottom); }, kOutline},
        {C, Rt, 2, [&](TRect r) { return Point(r.Left - 1, midY(r)); },
         kOutline}, // closes over the base line
        {C, Rt, 2, [&](TRect r) { return Point(r.Right, midY(r)); }, kOutline},
        {D, Rt, 1, [&](TRect r) { return Point(midX(r), r.Top); }, kOutline},
        {D, Rt, 1, [&](TRect r) { return Point(midX(r), r.Bottom); }, kOutline},
        {D, Rt, 2, [&](TRect r) { return Point(r.Left - 1, midY(r)); }, kOutline},
        {D, Rt, 2, [&](TRect r) { return Point(midX(r), r.Bottom - 2); }, kOutline}, // separator
        {N, Rt, 1, [&](TRect r) { return Point(midX(r), r.Top); }, kOutline},
        {N, Rt, 1, [&](TRect r) { return Point(r.Right, midY(r)); }, kOutline},
        {N, Rt, 1, [&](TRect r) { return Point(midX(r), r.Bottom); }, kOutline},
        {N, Rt, 2, [&](TRect r) { return Point(r.Left - 1, midY(r)); }, kOutline},
        {N, Rt, 2, [&](TRect r) { return Point(midX(r), r.Bottom - 2); },
         kActive}, // separator in ActiveColor
        {N, Rt, 2, [&](TRect r) { return Point(midX(r), r.Bottom - 3); }, kActive},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position, 3, 220, 200);
        for (TQmTabSheet* p : f.pages)
            p->SetCaption("");
        f.pc().SetActiveColor(kActive);
        f.pc().SetTabStyle(c.style);
        f.pc().SetActivePage(f.pages[1]);
        const Picture p = f.Render();
        const TPoint at = c.at(f.Tab(c.tab));
        EXPECT_EQ(p.At(at.X, at.Y), c.color)
            << static_cast<int>(c.style) << "/" << static_cast<int>(c.position) << " tab " << c.tab << " at "
            << at.X << "," << at.Y;
    }
}

TEST(TabPaint, CaptionColoursOfDisabledTabs) {
    const TColor kText = RGB(200, 30, 30);
    struct Case {
        const char* name;
        bool tabEnable;
        bool enabled;
        TColor expected;
    } cases[] = {
        {"enabled", true, true, kText},
        {"TabEnable False", false, true, 0x808080},
        {"page disabled", true, false, ColorToRGB(clGrayText)},
        {"both: the disabled page wins", false, false, ColorToRGB(clGrayText)},
    };
    for (const Case& c : cases) {
        PaintFixture f(TTabPosition::tpTop);
        f.pages[1]->SetTextColor(kText);
        f.pages[1]->SetCaption("HHHH");
        f.pages[1]->SetTabEnable(c.tabEnable);
        f.pages[1]->SetEnabled(c.enabled);
        const Picture p = f.Render();
        const TRect r = f.Tab(1);
        int want = 0, text = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                want += p.At(x, y) == c.expected;
                text += p.At(x, y) == kText;
            }
        EXPECT_GT(want, 10) << c.name;
        if (c.expected != kText) {
            EXPECT_EQ(text, 0) << c.name;
        }
    }
}

TEST(TabPaint, TabGradientsRunTheirDirection) {
    const TColor from = RGB(0, 0, 160), to = RGB(160, 0, 0);
    for (const TGradientDirection dir : {TGradientDirection::gdVertical, TGradientDirection::gdHorizontal}) {
        PaintFixture f(TTabPosition::tpTop);
        f.pc().SetActiveColor(clNone); // the active tab uses its page's colours too
        for (TQmTabSheet* p : f.pages) {
            p->SetCaption("");
            p->SetTabColor(from);
            p->SetTabColorTo(to);
            p->SetTabGradientDirection(dir);
        }
        const Picture p = f.Render();
        const TRect r = f.Tab(1); // inactive: filled over (L, T - 1, ...) in 16 bands
        const bool vertical = dir == TGradientDirection::gdVertical;
        // First and a later band, along the gradient's direction only.
        const int T = r.Top - 1;
        const int extent = vertical ? r.Bottom - 1 - T : r.Right - 1 - r.Left;
        for (const int k : {1, extent / 2, extent - 2}) { // row or column 0 is the outline
            const TPoint at = vertical ? Point(r.Left + 3, T + k) : Point(r.Left + k, r.Top + 3);
            EXPECT_EQ(p.At(at.X, at.Y), GradientRow(from, to, 16, extent, k)) << int(dir) << " at " << k;
        }
    }
}

TEST(TabPaint, HoverOutlineOffTheTop) {
    // Tab 1 of three, hovered; the outline's corners as the hover table places them.
    using Probe = std::function<TPoint(TRect)>;
    struct Case {
        TTabPosition position;
        std::vector<Probe> outline;
    };
    const Case cases[] = {
        {TTabPosition::tpBottom,
         {[](TRect r) { return Point(r.Left, r.Top + 1); },
          [](TRect r) { return Point(r.Left, r.Bottom - 1); },
          [](TRect r) { return Point((r.Left + r.Right) / 2, r.Bottom); },
          [](TRect r) { return Point(r.Right, r.Bottom); },
          [](TRect r) { return Point(r.Right, r.Top + 1); }}},
        {TTabPosition::tpLeft,
         {[](TRect r) { return Point(r.Right - 2, r.Top); }, [](TRect r) { return Point(r.Left - 1, r.Top); },
          [](TRect r) { return Point(r.Left - 1, (r.Top + r.Bottom) / 2); },
          [](TRect r) { return Point(r.Left - 1, r.Bottom); },
          [](TRect r) { return Point(r.Right - 1, r.Bottom); }}},
        {TTabPosition::tpRight,
         {[](TRect r) { return Point(r.Left + 1, r.Top); }, [](TRect r) { return Point(r.Right - 1, r.Top); },
          [](TRect r) { return Point(r.Right, (r.Top + r.Bottom) / 2); },
          [](TRect r) { return Point(r.Right, r.Bottom); },
          [](TRect r) { return Point(r.Left + 1, r.Bottom); }}},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position, 3, 220, 200);
        for (TQmTabSheet* p : f.pages)
            p->SetCaption("");
        f.pc().SetTabHoverColor(kHover);
        f.pc().SetTabHoverBorder(kBorder);
        const TRect r = f.Tab(1);
        Move(f.pc(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        ASSERT_EQ(f.pc().HoverPage(), 1) << int(c.position);
        const Picture p = f.Render();
        EXPECT_EQ(p.At((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), kHover) << int(c.position);
        for (const Probe& probe : c.outline) {
            const TPoint at = probe(r);
            EXPECT_EQ(p.At(at.X, at.Y), kBorder) << int(c.position) << " at " << at.X << "," << at.Y;
        }
    }
}

TEST(TabPaint, DeferredActivePictureStartsOffTheTop) {
    // The active picture's first pixel, by the deferred-tab table, with LowerActive 2 and 0.
    TBitmap active(10, 6);
    active.GetCanvas().Brush = TBrush{kHover, TBrushStyle::bsSolid};
    active.GetCanvas().FillRect(Rect(0, 0, 10, 6));
    active.GetCanvas().SetPixel(0, 5, RGB(255, 0, 255));
    struct Case {
        TTabPosition position;
        int lowerActive;
        int dx, dy; // the start relative to the tab's left and top
    } cases[] = {
        {TTabPosition::tpBottom, 2, -2, -3}, {TTabPosition::tpBottom, 0, -2, -1},
        {TTabPosition::tpLeft, 2, 1, 0},     {TTabPosition::tpLeft, 0, 0, 0},
        {TTabPosition::tpRight, 2, -3, -2},  {TTabPosition::tpRight, 0, -1, -2},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position);
        f.pc().SetLowerActive(c.lowerActive);
        f.pc().SetTabBackGround(SlicePicture());
        f.pc().SetTabBackGroundActive(active);
        const Picture p = f.Render();
        const TRect r = f.Tab(0);
        const int x = r.Left + c.dx, y = r.Top + c.dy;
        EXPECT_EQ(p.At(x, y), kHover) << int(c.position) << "/" << c.lowerActive;
        EXPECT_NE(p.At(x - 1, y), kHover) << int(c.position) << "/" << c.lowerActive;
    }
}

TEST(TabPaint, FocusFrameOffTheTop) {
    // The dotted frame's corner: (L + 5, T + 3) of the tab as adjusted for its position.
    struct Case {
        TTabPosition position;
        int dx, dy; // of the adjusted rectangle against PageTabRect
    } cases[] = {
        {TTabPosition::tpBottom, 0, 0}, {TTabPosition::tpLeft, -1, 0}, {TTabPosition::tpRight, 0, 0}};
    for (const Case& c : cases) {
        PaintFixture f(c.position, 2, 220, 200);
        for (TQmTabSheet* p : f.pages)
            p->SetCaption("");
        f.pc().SetShowFocus(true);
        f.pc().show();
        f.pc().activateWindow();
        f.pc().setFocus();
        QApplication::processEvents();
        if (!f.pc().hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
        const Picture p = f.Render();
        const TRect r = f.Tab(0);
        EXPECT_EQ(p.At(r.Left + c.dx + 5, r.Top + c.dy + 3), clBlack) << int(c.position);
        EXPECT_NE(p.At(r.Left + c.dx + 4, r.Top + c.dy + 3), clBlack) << int(c.position);
    }
}

} // namespace
} // namespace qm
