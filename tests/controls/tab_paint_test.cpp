#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

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
};

// Two or three pages with every colour of the picture told apart; page 0 active.
struct PaintFixture : TabFixture {
    explicit PaintFixture(TTabPosition position, int count = 2, int w = 220, int h = 140) : TabFixture(count, w, h) {
        auto& c = pc();
        c.SetTabPosition(position);
        c.SetColor(kControl);
        c.SetTabBackGroundColor(kBand);
        c.SetTabSheetBorderColor(kBorder);
        c.SetTabBorderColor(kOutline);
        c.SetActiveColor(kActive);
        c.SetDefaultTabColor(kTab);
        for (TQmTabSheet* p : pages) p->SetColor(kPage);
        if (!pages.empty()) c.SetActivePage(pages[0]);
    }
    Picture Render() { return {pc().Render()}; }
    TRect Tab(int i) { return pc().PageTabRect(i); }
    TRect Strip() {  // SL, ST, SR, SB as a rectangle
        TRect r = Tab(0);
        for (int i = 1; i < pc().PageCount(); ++i) {
            const TRect t = Tab(i);
            r = {std::min(r.Left, t.Left), std::min(r.Top, t.Top), std::max(r.Right, t.Right), std::max(r.Bottom, t.Bottom)};
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
          {"open under active", [&](TRect s, TRect a, TRect, int, int) { return Point(midX(a), s.Bottom); }, kPage},
          {"closed under inactive", [&](TRect s, TRect, TRect b, int, int) { return Point(midX(b), s.Bottom); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(a.Left + 2, midY(a)); }, kActive},
          {"inactive fill", [&](TRect, TRect, TRect b, int, int) { return Point(b.Left + 2, midY(b)); }, kTab}}},
        {TTabPosition::tpBottom,
         {{"band", [](TRect, TRect, TRect, int W, int H) { return Point(W - 10, H - 1); }, kBand},
          {"border", [](TRect, TRect, TRect, int, int) { return Point(0, 10); }, kBorder},
          {"frame", [](TRect, TRect, TRect, int, int) { return Point(2, 10); }, kPage},
          {"open under active", [&](TRect s, TRect a, TRect, int, int) { return Point(midX(a), s.Top - 1); }, kPage},
          {"closed under inactive", [&](TRect s, TRect, TRect b, int, int) { return Point(midX(b), s.Top - 1); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(a.Left + 2, midY(a)); }, kActive}}},
        {TTabPosition::tpLeft,
         {{"band", [](TRect, TRect, TRect, int, int H) { return Point(0, H - 10); }, kBand},
          {"border", [](TRect s, TRect, TRect, int, int H) { return Point(s.Right, H - 10); }, kBorder},
          {"frame", [](TRect s, TRect, TRect, int, int H) { return Point(s.Right + 2, H - 10); }, kPage},
          {"open beside active", [&](TRect s, TRect a, TRect, int, int) { return Point(s.Right, midY(a)); }, kPage},
          {"closed beside inactive", [&](TRect s, TRect, TRect b, int, int) { return Point(s.Right, midY(b)); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(midX(a), a.Bottom - 2); }, kActive}}},
        {TTabPosition::tpRight,
         {{"band", [](TRect, TRect, TRect, int W, int H) { return Point(W - 1, H - 10); }, kBand},
          {"border", [](TRect s, TRect, TRect, int, int H) { return Point(s.Left - 1, H - 10); }, kBorder},
          {"frame", [](TRect s, TRect, TRect, int, int H) { return Point(s.Left - 3, H - 10); }, kPage},
          {"open beside active", [&](TRect s, TRect a, TRect, int, int) { return Point(s.Left - 1, midY(a)); }, kPage},
          {"closed beside inactive", [&](TRect s, TRect, TRect b, int, int) { return Point(s.Left - 1, midY(b)); }, kOutline},
          {"active fill", [&](TRect, TRect a, TRect, int, int) { return Point(midX(a), a.Top + 2); }, kActive}}},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position);
        const Picture p = f.Render();
        for (const Probe& probe : c.probes) {
            const TPoint at = probe.at(f.Strip(), f.Tab(0), f.Tab(1), f.pc().width(), f.pc().height());
            EXPECT_EQ(p.At(at.X, at.Y), probe.color) << static_cast<int>(c.position) << " " << probe.what << " at " << at.X
                                                     << "," << at.Y;
        }
    }
}

TEST(TabPaint, ControlWithoutPagesHasATwoPixelBandAndNoBaseLine) {
    PaintFixture f(TTabPosition::tpTop, 0);
    const Picture p = f.Render();
    const int W = f.pc().width(), H = f.pc().height();
    EXPECT_EQ(p.At(10, 0), kBand);
    EXPECT_EQ(p.At(10, 1), kBand);
    EXPECT_EQ(p.At(5, 2), kBorder);  // no base line over the border
    EXPECT_EQ(p.At(0, 50), kBorder);
    EXPECT_EQ(p.At(10, H - 2), kControl);  // no page: the inner edge in the control's colour
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
    EXPECT_EQ(p.At(s.Right + 3, s.Bottom), kControl);  // the strip-side band starts one row lower
    EXPECT_EQ(p.At(s.Right + 3, s.Bottom + 1), kPage);
    EXPECT_EQ(p.At(W - 5, s.Bottom), clWhite);  // the scroll area's line is no longer covered
}

TEST(TabPaint, GradientPageFrameHasASolidTopBand) {
    PaintFixture f(TTabPosition::tpTop);
    f.pages[0]->SetColorTo(RGB(10, 10, 40));
    const Picture p = f.Render();
    const TRect s = f.Strip();
    const int H = f.pc().height();
    EXPECT_EQ(p.At(2, s.Bottom + 2), kPage);
    EXPECT_NE(p.At(2, H - 3), kPage);  // the gradient's later bands
    EXPECT_EQ(p.At(2, H - 3), p.At(f.pc().width() - 3, H - 3));
}

TEST(TabPaint, RoundedCorners) {
    struct Case {
        TTabPosition position;
        std::vector<std::pair<TPoint, TColor>> probes;  // relative to W, H when negative
    };
    const int W = 220, H = 140;
    const Case cases[] = {
        {TTabPosition::tpTop, {{{0, H - 1}, kControl}, {{1, H - 3}, kBorder}, {{3, H - 2}, kBorder}, {{W - 1, H - 1}, kControl}, {{W - 2, H - 4}, kBorder}}},
        {TTabPosition::tpBottom, {{{0, 0}, kControl}, {{1, 2}, kBorder}, {{W - 1, 1}, kControl}, {{W - 4, 1}, kBorder}}},
        {TTabPosition::tpLeft, {{{W - 2, H - 2}, kControl}, {{W - 4, H - 3}, kBorder}, {{W - 3, 2}, kBorder}, {{W - 2, 1}, kControl}}},
        {TTabPosition::tpRight, {{{0, 0}, kControl}, {{1, 2}, kBorder}, {{0, H - 3}, kControl}, {{3, H - 3}, kBorder}}},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position, 2, W, H);
        f.pc().SetRoundEdges(true);
        const Picture p = f.Render();
        for (const auto& [at, color] : c.probes)
            EXPECT_EQ(p.At(at.X, at.Y), color) << static_cast<int>(c.position) << " at " << at.X << "," << at.Y;
    }
}

TEST(TabPaint, OutlinesPerStyle) {
    // Three tabs, the middle one active: tab 0 is followed by the active tab (no separator),
    // tab 2 is at the far end (separator).
    struct Case {
        TTabStyle style;
        TTabPosition position;
        std::function<TPoint(TRect)> at;  // a point of the given tab
        int tab;
        TColor color;
    };
    const Case cases[] = {
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point(r.Right - 2, r.Top + 4); }, 2, kOutline},
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point(r.Right - 2, r.Top + 4); }, 0, kTab},
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point((r.Left + r.Right) / 2, r.Top - 1); }, 1, kActive},
        {TTabStyle::tsDelphi, TTabPosition::tpTop, [](TRect r) { return Point(r.Left, r.Top + 4); }, 1, kOutline},
        {TTabStyle::tsDotNet, TTabPosition::tpTop, [](TRect r) { return Point(r.Right - 3, r.Top + 4); }, 2, kActive},
        {TTabStyle::tsDotNet, TTabPosition::tpTop, [](TRect r) { return Point((r.Left + r.Right) / 2, r.Top - 1); }, 1, kOutline},
        {TTabStyle::tsDotNet, TTabPosition::tpTop, [](TRect r) { return Point(r.Left + 2, r.Bottom); }, 2, kOutline},
        {TTabStyle::tsDotNet, TTabPosition::tpLeft, [](TRect r) { return Point(r.Left + 4, r.Bottom - 3); }, 2, kActive},
        {TTabStyle::tsDelphi, TTabPosition::tpLeft, [](TRect r) { return Point(r.Left + 4, r.Bottom - 2); }, 2, kOutline},
        {TTabStyle::tsDelphi, TTabPosition::tpRight, [](TRect r) { return Point(r.Left - 1, r.Top + 4); }, 2, kOutline},
        {TTabStyle::tsClassic, TTabPosition::tpTop, [](TRect r) { return Point(r.Left, r.Top + 4); }, 0, kOutline},
        {TTabStyle::tsClassic, TTabPosition::tpTop, [](TRect r) { return Point((r.Left + r.Right) / 2, r.Top - 1); }, 1, kOutline},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position, 3);
        f.pc().SetActiveColor(kActive);
        f.pc().SetTabStyle(c.style);
        f.pc().SetActivePage(f.pages[1]);
        const Picture p = f.Render();
        const TPoint at = c.at(f.Tab(c.tab));
        EXPECT_EQ(p.At(at.X, at.Y), c.color) << static_cast<int>(c.style) << "/" << static_cast<int>(c.position) << " tab "
                                             << c.tab << " at " << at.X << "," << at.Y;
    }
}

void Move(TQmPageControl& pc, QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), pc.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&pc, &e);
}

TEST(TabPaint, CloseBoxLooksAndOrigins) {
    struct Case {
        const char* name;
        TTabPosition position;
        int tab;          // whose box is looked at
        int action;       // 0 none, 1 hover the active box, 2 press it
        std::function<TPoint(TRect, int la)> origin;
        TColor frame, fill, cross;
    };
    const Case cases[] = {
        {"top active normal", TTabPosition::tpTop, 0, 0, [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clGray, clWhite, clBlack},
        {"top inactive normal", TTabPosition::tpTop, 1, 0, [](TRect r, int) { return Point(r.Left + 2, r.Top + 2); }, clGray, clWhite, clBlack},
        {"top lit", TTabPosition::tpTop, 0, 1, [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clBlack, clWhite, clGray},
        {"top pressed", TTabPosition::tpTop, 0, 2, [](TRect r, int la) { return Point(r.Left + 2, r.Top + la + 2); }, clBlack, clSilver, clBlack},
        {"left active", TTabPosition::tpLeft, 0, 0, [](TRect r, int la) { return Point(r.Left + la + 2, r.Bottom - 13); }, clGray, clWhite, clBlack},
        {"right active normal", TTabPosition::tpRight, 0, 0, [](TRect r, int la) { return Point(r.Left + 4 - la, r.Top + 2); }, clGray, clWhite, clBlack},
        {"right lit", TTabPosition::tpRight, 0, 1, [](TRect r, int) { return Point(r.Left + 2, r.Top + 2); }, clBlack, clWhite, clGray},
    };
    for (const Case& c : cases) {
        PaintFixture f(c.position);
        for (TQmTabSheet* p : f.pages) p->SetShowClose(true);
        f.pc().SetTabHoverColor(kHover);
        const TRect active = f.Tab(0);
        const QPoint hit = c.position == TTabPosition::tpLeft ? QPoint(active.Left + 8, active.Bottom - 8)
                                                              : QPoint(active.Left + 8, active.Top + 7);
        if (c.action == 1) Move(f.pc(), hit);
        if (c.action == 2) {
            QMouseEvent e(QEvent::MouseButtonPress, QPointF(hit), f.pc().mapToGlobal(QPointF(hit)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
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

TEST(TabPaint, FocusFrameOnlyWithFocusAndShowFocus) {
    for (bool showFocus : {false, true}) {
        PaintFixture f(TTabPosition::tpTop);
        f.pc().SetShowFocus(showFocus);
        f.pc().show();
        f.pc().activateWindow();
        f.pc().setFocus();
        QApplication::processEvents();
        if (QApplication::focusWidget() != &f.pc()) GTEST_SKIP() << "no keyboard focus on this platform";
        const Picture p = f.Render();
        const TRect r = f.Tab(0);
        // The active tab's adjusted rectangle starts a row above the tab.
        int black = 0;
        for (int x = r.Left + 5; x < r.Right - 5; ++x) black += p.At(x, r.Top - 1 + 3) == clBlack;
        EXPECT_EQ(p.At(r.Left + 5, r.Top + 2) == clBlack, showFocus);
        if (showFocus) {
            EXPECT_LT(black, r.Right - r.Left - 10);  // dotted, not solid
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
    const TRect r = f.Tab(0);  // inactive: start (L - 1, T - 2), length R - L + 2
    const int x = r.Left - 1, y = r.Top - 2, n = r.Right - r.Left + 2;
    EXPECT_EQ(p.At(x, y), clRed);
    EXPECT_EQ(p.At(x + 3, y), clRed);
    EXPECT_EQ(p.At(x + 4, y), RGB(0, 255, 0));   // the left half is 5 columns of a 10-wide picture
    EXPECT_EQ(p.At(x + 5, y), RGB(0, 255, 0));   // the stretched middle starts at w div 2
    EXPECT_EQ(p.At(x + n - 6, y), RGB(0, 255, 0));
    EXPECT_EQ(p.At(x + n - 5, y), RGB(0, 255, 0));  // the right half starts with column w div 2
    EXPECT_EQ(p.At(x + n - 4, y), RGB(0, 0, 255));
    EXPECT_EQ(p.At(x + n - 1, y), RGB(0, 0, 255));
    EXPECT_NE(p.At(x, y + 5), RGB(255, 0, 255));    // transparent
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
    const TRect r = f.Tab(0);  // active, LowerActive 2: start (L - 2, T - 1)
    EXPECT_EQ(p.At(r.Left - 2, r.Top - 1), kHover);
    EXPECT_EQ(p.At(r.Right - r.Left + r.Left - 1, r.Top - 1), kHover);  // reaches over the next tab's start
}

TEST(TabPaint, InactiveTabInARowAwayFromThePageIsClosedShorter) {
    PaintFixture f(TTabPosition::tpTop, 6, 160, 140);
    f.pc().SetMultiLine(true);
    f.pc().SetScrollOpposite(true);
    for (int i = 0; i < 6; ++i) f.pages[static_cast<std::size_t>(i)]->SetCaption("Caption" + std::to_string(i));
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
            TFont bold = pc.ActiveFont();  // a wider active font must widen its tab too
            bold.SetStyle(fsBold);
            bold.SetColor(active ? kText : clBlack);  // only the tab under test writes in kText
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
                                     (c.image ? " image" : "") + (c.close ? " close" : "") + (active ? " active" : " inactive");
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
            EXPECT_EQ(outside, 0) << name << " tab " << tab.Left << "," << tab.Top << "," << tab.Right << "," << tab.Bottom;
        }
    }
}

}  // namespace
}  // namespace qm
