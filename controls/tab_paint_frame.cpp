// The first half of the custom painter: the strip band, the page frame in the active page's
// colours, the page border with its rounded corners, and the base line along the strip.
#include "canvas/draw_routines.h"
#include "canvas/widget_color.h"
#include "controls/page_control.h"

namespace qm {

namespace {
void Line(Canvas& c, int x0, int y0, int x1, int y1) {
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

void SolidPen(Canvas& c, TColor color) {
    c.Pen = TPen{color, 1, TPenStyle::psSolid, TPenMode::pmCopy};
}
} // namespace

void TQmPageControl::PaintStripAndFrame(Canvas& canvas, PaintPass& pass) {
    const int W = width(), H = height();
    const TTabPosition tp = tabPosition_;
    const TTabStrip& strip = Strip();
    canvas.Brush = TBrush{parentWidget() ? ParentColorOf(this) : clBtnFace, TBrushStyle::bsSolid};
    canvas.Font.Assign(font_);

    // Measure the shown tabs and erase what lies under them.
    pass.SB = 0;
    pass.ST = strip.Count() > 0 ? strip.ItemRect(0).Top : 0;
    pass.SL = W;
    pass.SR = 0;
    bool anyShown = false;
    for (int i = PageCount() - 1; i >= 0; --i) {
        if (!Pages(i)->TabVisible()) continue;
        TRect r = PageTabRect(i);
        anyShown = true;
        pass.SB = std::max(pass.SB, r.Bottom);
        pass.ST = std::min(pass.ST, r.Top);
        pass.SL = std::min(pass.SL, r.Left);
        pass.SR = std::max(pass.SR, r.Right);
        r.Right += 2;
        switch (tp) {
        case TTabPosition::tpTop:
            r.Left -= 2, r.Top -= 2;
            break;
        case TTabPosition::tpBottom:
            r.Left -= 2, r.Bottom += 2;
            break;
        case TTabPosition::tpLeft:
            r.Left -= 2, r.Top -= 2, r.Bottom += 2, r.Right -= 2;
            break;
        case TTabPosition::tpRight:
            r.Top -= 2, r.Bottom += 2;
            break;
        }
        canvas.FillRect(r);
    }
    if (!anyShown) {
        switch (tp) {
        case TTabPosition::tpTop:
            pass.SB = 2;
            break;
        case TTabPosition::tpBottom:
            pass.ST = H - 2;
            break;
        case TTabPosition::tpLeft:
            pass.SR = 2;
            break;
        case TTabPosition::tpRight:
            pass.SL = W - 2;
            break;
        }
    }
    const int SB = pass.SB, ST = pass.ST, SL = pass.SL, SR = pass.SR;

    // The scroll-button area at the far end of a single-line strip.
    if (!multiLine_ && (tp == TTabPosition::tpTop || tp == TTabPosition::tpBottom)) {
        const int x0 = std::max(W - kTabScrollArea, SR);
        canvas.Brush = TBrush{Color(), TBrushStyle::bsSolid};
        if (tp == TTabPosition::tpTop) {
            canvas.FillRect(Rect(W - kTabScrollArea, 0, W, SB));
            SolidPen(canvas, clWhite);
            Line(canvas, x0, SB, W, SB);
        } else {
            canvas.FillRect(Rect(W - kTabScrollArea, ST, W, H));
            SolidPen(canvas, cl3DDkShadow);
            Line(canvas, x0, ST - 1, W, ST - 1);
        }
    }

    // The strip's background band.
    canvas.Brush = TBrush{tabBackGroundColor_, TBrushStyle::bsSolid};
    switch (tp) {
    case TTabPosition::tpTop:
        canvas.FillRect(Rect(0, 0, W, SB));
        break;
    case TTabPosition::tpBottom:
        canvas.FillRect(Rect(0, ST, W, H));
        break;
    case TTabPosition::tpLeft:
        canvas.FillRect(Rect(0, 0, SR, H));
        break;
    case TTabPosition::tpRight:
        canvas.FillRect(Rect(SL, 0, W, H));
        break;
    }

    // The page frame in the active page's colours, clipped to four bands.
    pass.P = active_ && (active_->Color() != clNone || active_->ColorTo() != clNone);
    pass.k = pass.P && tabSheet3D_ ? 1 : 0;
    const int k = pass.k;
    if (pass.P) {
        std::vector<TRect> bands;
        TRect top;
        switch (tp) {
        case TTabPosition::tpTop:
            bands = {Rect(1, SB + k, W - 1, SB + 4), Rect(1, H - 4, W - 1, H - 1), Rect(1, SB + k, 4, H - 1),
                     Rect(W - 4, SB + k, W - 1, H - 1)};
            top = Rect(1, SB + 1, W - 1, SB + 4);
            break;
        case TTabPosition::tpBottom:
            bands = {Rect(1, ST - 4, W - 1, ST - k), Rect(1, 1, W - 1, 4), Rect(1, 1, 4, ST - k),
                     Rect(W - 4, 1, W - 1, ST - k)};
            top = Rect(1, 1, W - 1, 4);
            break;
        case TTabPosition::tpLeft:
            bands = {Rect(SR + k, 1, SR + 4, H - 1), Rect(W - 4, 1, W - 1, H - 1), Rect(SR + k, 1, W - 1, 4),
                     Rect(SR + k, H - 4, W - 1, H - 1)};
            top = Rect(SR + k, 1, W - 1, 4);
            break;
        case TTabPosition::tpRight:
            bands = {Rect(SL - 4, 1, SL - k, H - 2), Rect(1, 1, 4, H - 2), Rect(1, 1, SL - k, 4),
                     Rect(1, H - 4, SL - k, H - 1)};
            top = Rect(1, 1, SL - k, 4);
            break;
        }
        CanvasStateSaver saver(canvas);
        canvas.SetClipRegion(bands);
        const TColor color = active_->Color();
        if (active_->ColorTo() != clNone) {
            FillGradient(canvas, color, active_->ColorTo(), false, Rect(0, 0, W, H), 16);
            SolidPen(canvas, color);
            canvas.Brush = TBrush{color, TBrushStyle::bsSolid};
            canvas.Rectangle(top);
        } else {
            SolidPen(canvas, color);
            canvas.Brush = TBrush{color, TBrushStyle::bsSolid};
            canvas.Rectangle(Rect(0, 0, W, H));
        }
    }

    // The page border.
    if (!tabSheet3D_) {
        SolidPen(canvas, tabSheetBorderColor_);
        switch (tp) {
        case TTabPosition::tpTop:
            Line(canvas, 0, SB, 0, H);
            Line(canvas, 0, H - 1, W, H - 1);
            Line(canvas, W - 1, H - 2, W - 1, SB);
            Line(canvas, 0, SB, W, SB);
            SolidPen(canvas, Color());
            if (!pass.P) {
                Line(canvas, 1, H - 2, W - 1, H - 2);
                Line(canvas, W - 2, H - 2, W - 2, SB);
            }
            break;
        case TTabPosition::tpBottom:
            Line(canvas, 0, 0, 0, ST);
            Line(canvas, 0, ST - 1, W, ST - 1);
            Line(canvas, W - 1, ST - 1, W - 1, 0);
            Line(canvas, 0, 0, W, 0);
            SolidPen(canvas, Color());
            if (!pass.P) {
                Line(canvas, 1, ST - 2, W - 1, ST - 2);
                Line(canvas, W - 2, ST - 2, W - 2, 0);
            }
            break;
        case TTabPosition::tpLeft:
            Line(canvas, SR, 0, SR, H);
            Line(canvas, SR, H - 2, W - 2, H - 2);
            Line(canvas, W - 2, H, W - 2, 0);
            Line(canvas, W - 2, 0, SR, 0);
            SolidPen(canvas, Color());
            Line(canvas, SR, H - 1, W - 1, H - 1);
            Line(canvas, W - 1, H - 1, W - 1, -1);
            break;
        case TTabPosition::tpRight:
            Line(canvas, 0, 0, 0, H);
            Line(canvas, 0, H - 2, SL, H - 2);
            Line(canvas, SL - 1, H, SL - 1, 0);
            Line(canvas, SL - 1, 0, 0, 0);
            SolidPen(canvas, Color());
            Line(canvas, 0, H - 1, SL, H - 1);
            if (!pass.P) Line(canvas, SL - 2, H - 3, SL - 2, 0);
            break;
        }
    }

    // Rounded outer corners.
    if (!tabSheet3D_ && roundEdges_) {
        using Pts = std::initializer_list<TPoint>;
        auto polys = [&canvas](TColor color, std::initializer_list<Pts> lines) {
            SolidPen(canvas, color);
            for (const Pts& pts : lines)
                canvas.Polyline(pts);
        };
        switch (tp) {
        case TTabPosition::tpTop:
            polys(Color(),
                  {{{0, H - 4}, {0, H - 1}, {4, H - 1}}, {{W - 4, H - 1}, {W - 1, H - 1}, {W - 1, H - 5}}});
            polys(tabSheetBorderColor_, {{{1, H - 4}, {1, H - 2}},
                                         {{2, H - 2}, {4, H - 2}},
                                         {{W - 4, H - 2}, {W - 2, H - 2}},
                                         {{W - 2, H - 3}, {W - 2, H - 5}}});
            break;
        case TTabPosition::tpBottom:
            polys(Color(), {{{0, 3}, {0, 0}, {5, 0}}, {{W - 1, 3}, {W - 1, 0}, {W - 5, 0}}});
            polys(tabSheetBorderColor_,
                  {{{1, 3}, {1, 1}}, {{2, 1}, {5, 0}}, {{W - 2, 3}, {W - 2, 1}}, {{W - 3, 1}, {W - 5, 1}}});
            break;
        case TTabPosition::tpLeft:
            polys(Color(),
                  {{{W - 5, H - 2}, {W - 2, H - 2}, {W - 2, H - 6}}, {{W - 2, 3}, {W - 2, 0}, {W - 6, 0}}});
            polys(tabSheetBorderColor_, {{{W - 5, H - 3}, {W - 3, H - 3}},
                                         {{W - 3, H - 4}, {W - 3, H - 6}},
                                         {{W - 3, 3}, {W - 3, 1}},
                                         {{W - 4, 1}, {W - 6, 1}}});
            break;
        case TTabPosition::tpRight:
            polys(Color(), {{{0, 3}, {0, 0}, {5, 0}}, {{0, H - 5}, {0, H - 2}, {4, H - 2}}});
            polys(tabSheetBorderColor_,
                  {{{1, 3}, {1, 1}}, {{2, 1}, {5, 0}}, {{1, H - 5}, {1, H - 3}}, {{2, H - 3}, {4, H - 3}}});
            break;
        }
    }

    // The base line along the strip, which the inactive tabs close over.
    pass.S = 0;
    if (!tabSheet3D_ && !tabSplitLine_ && !pages_.empty() && anyShown) {
        pass.S = 1;
        TColor color = Color();
        if (pass.P) {
            color = tp == TTabPosition::tpBottom && active_->ColorTo() != clNone ? active_->ColorTo()
                                                                                 : active_->Color();
        }
        SolidPen(canvas, color);
        switch (tp) {
        case TTabPosition::tpTop:
            Line(canvas, 3, SB, SR + tabOverlap_, SB);
            break;
        case TTabPosition::tpBottom:
            Line(canvas, 2, ST - 1, SR + tabOverlap_, ST - 1);
            break;
        case TTabPosition::tpLeft: {
            const int extra = tabStyle_ == TTabStyle::tsClassic && !tabBackGround_.Empty() ? 2 : 0;
            Line(canvas, SR, 2, SR, SB + tabOverlap_ + extra);
            break;
        }
        case TTabPosition::tpRight:
            Line(canvas, SL - 1, SB - 1 + tabOverlap_, SL - 1, 2);
            break;
        }
    }

    PaintTabs(canvas, pass);
}

} // namespace qm
