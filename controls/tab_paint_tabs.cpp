// The second half of the custom painter: every shown tab with its fill or picture, outline,
// close box, image and caption, then the deferred active picture tab and the hover outline.
#include <QApplication>

#include "canvas/draw_routines.h"
#include "controls/page_control.h"
#include "controls/tab_caption_room.h"

namespace qm {

namespace {
void Line(Canvas& c, int x0, int y0, int x1, int y1) {
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

TFont Rotated(const TFont& font, TTabPosition tp) {
    TFont rotated = font;
    rotated.SetOrientation(tp == TTabPosition::tpLeft ? -2700 : -900);
    return rotated;
}
// Draws a tab's image where its caption starts and moves the start past it. Left tabs run
// upwards and right tabs downwards; leftDx and rightDx are the image's offsets on those tabs.
void DrawTabImage(Canvas& canvas, const TImageList& images, TTabPosition tp, int index, int leftDx,
                  int rightDx, int& X, int& Y) {
    switch (tp) {
    case TTabPosition::tpLeft:
        images.Draw(canvas, X + leftDx, Y - 14, index);
        Y -= images.Height();
        break;
    case TTabPosition::tpRight:
        images.Draw(canvas, X + rightDx, Y, index);
        Y += images.Height();
        break;
    default:
        images.Draw(canvas, X - 2, Y, index);
        X += images.Width();
        break;
    }
}
} // namespace

void TQmPageControl::DrawThreeSlice(Canvas& canvas, const TBitmap& picture, int x, int y, int length,
                                    bool alongX) {
    const int w = picture.Width(), h = picture.Height();
    if (w <= 0 || h <= 0) return;
    const TColor transparent = FromQRgb(picture.Image().pixel(0, h - 1));
    auto slice = [&](int sx, int sy, int sw, int sh) {
        TBitmap part(picture.Image().copy(sx, sy, sw, sh));
        part.Transparent = true;
        part.TransparentMode = TTransparentMode::tmFixed;
        part.TransparentColor = transparent;
        return part;
    };
    if (alongX) {
        const int half = w / 2;
        if (half > 0) canvas.Draw(x, y, slice(0, 0, half, h));
        if (length - w > 0)
            canvas.StretchDraw(Rect(x + half, y, x + half + length - w, y + h),
                               slice(std::max(0, half - 1), 0, 2, h));
        if (half > 0) canvas.Draw(x + half + length - w, y, slice(half, 0, half, h));
    } else {
        const int half = h / 2;
        if (half > 0) canvas.Draw(x, y, slice(0, 0, w, half));
        if (length - h > 0)
            canvas.StretchDraw(Rect(x, y + half, x + w, y + half + length - h),
                               slice(0, std::max(0, half - 1), w, 2));
        if (half > 0) canvas.Draw(x, y + half + length - h, slice(0, half, w, half));
    }
}

void TQmPageControl::CaptionOut(Canvas& canvas, const TRect& tab, int x, int y, const std::string& caption) {
    // A caption longer than its tab stops at the tab's ends instead of running into its neighbour.
    const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
    canvas.Save();
    canvas.IntersectClipRect(vertical ? Rect(0, tab.Top, width(), tab.Bottom)
                                      : Rect(tab.Left, 0, tab.Right, height()));
    canvas.TextOut(x, y, caption);
    canvas.Restore();
}

void TQmPageControl::DrawFocusFrame(Canvas& canvas, const TRect& r, int overlap) {
    // The frame marks the control's own focus, not that of a control on its page.
    if (!showFocus_ || !hasFocus()) return;
    const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
    canvas.Pen = TPen{clBlack, 1, TPenStyle::psDot, TPenMode::pmCopy};
    canvas.Brush.Style = TBrushStyle::bsClear;
    if (vertical)
        canvas.Rectangle(r.Left + 5, r.Top + 3, r.Right - 5, r.Bottom - 3 - overlap);
    else
        canvas.Rectangle(r.Left + 5, r.Top + 3, r.Right - 5 - overlap, r.Bottom - 3);
    canvas.Pen.Style = TPenStyle::psSolid;
}

void TQmPageControl::PaintTabs(Canvas& canvas, const PaintPass& pass) {
    const int W = width(), H = height();
    const TTabPosition tp = tabPosition_;
    const bool vertical = tp == TTabPosition::tpLeft || tp == TTabPosition::tpRight;
    const int LA = lowerActive_, LM = margin_.LeftMargin(), TM = margin_.TopMargin();
    const int activePos = ActivePagePos();
    const bool pictures = !tabBackGround_.Empty();
    int S = pass.S;
    int deferred = -1;
    TRect deferredRect;
    int dX = 0, dY = 0;

    for (int i = PageCount() - 1; i >= 0; --i) {
        TQmTabSheet* page = Pages(i);
        if (!page->TabVisible()) continue;
        const TRect tab = PageTabRect(i);
        int L = tab.Left, T = tab.Top, R = tab.Right, B = tab.Bottom;
        const bool active = i == activePos;
        if (OnDrawTab) OnDrawTab(this, i, tab, active);

        TColor from = page->TabColor(), to = page->TabColorTo();
        TGradientDirection dir = page->TabGradientDirection();
        if (active && activeColor_ != clNone) {
            from = activeColor_, to = activeColorTo_;
        } else if (i == hoverPage_ && (tabHoverColor_ != clNone || tabHoverColorTo_ != clNone)) {
            from = tabHoverColor_, to = tabHoverColorTo_, dir = page->HoverGradientDirection();
        }
        const bool horizontal = dir == TGradientDirection::gdHorizontal;
        canvas.Brush = TBrush{from, TBrushStyle::bsSolid};

        int X = 0, Y = 0;
        switch (tp) {
        case TTabPosition::tpTop:
            X = L + (page->ShowClose() ? kCloseLeadLevel : kCaptionLead);
            Y = active ? T + LA + 1 : T + 1;
            break;
        case TTabPosition::tpBottom:
            B += 1;
            X = L + (page->ShowClose() ? kCloseLeadLevel : kCaptionLead);
            Y = active ? T + LA + 1 : T;
            break;
        case TTabPosition::tpLeft:
            X = active ? L + LA + 1 : L + 1;
            Y = B - (page->ShowClose() ? kCloseLeadRotated : kCaptionLead);
            break;
        case TTabPosition::tpRight:
            X = active ? R - LA - 1 : R - 1;
            Y = T + (page->ShowClose() ? kCloseLeadRotated : kCaptionLead);
            break;
        }

        if (!pictures) {
            if (tp == TTabPosition::tpTop) T -= 1;
            if (tp == TTabPosition::tpLeft) L -= 1;
            if (!OnDrawTab) {
                if (to == clNone) {
                    canvas.FillRect(Rect(L, T, R, B));
                } else {
                    TRect g = Rect(L, T, R, B);
                    switch (tp) {
                    case TTabPosition::tpTop:
                        g = horizontal ? Rect(L, T, R - 1, B - 1) : Rect(L, T, R, B - 1);
                        break;
                    case TTabPosition::tpBottom:
                        g = horizontal ? Rect(L, T, R - 1, B) : Rect(L, T, R, B - 1);
                        break;
                    case TTabPosition::tpLeft:
                        g = horizontal ? Rect(L, T, R - 1, B) : Rect(L, T, R - 1, B - 1);
                        break;
                    case TTabPosition::tpRight:
                        g = !active && !horizontal ? Rect(L, T, R, B - 1) : Rect(L, T, R, B);
                        break;
                    }
                    FillGradient(canvas, from, to, horizontal, g, 16);
                }
            }
            if (tp == TTabPosition::tpRight) R += 1;
            canvas.Brush.Style = TBrushStyle::bsClear;
            canvas.Pen = TPen{tabBorderColor_, 1, TPenStyle::psSolid, TPenMode::pmCopy};
            const int R1 = R > W - 5 ? R : R + 1;
            const int B1 = B > H - 5 ? B : B + 1;
            // Whether the separator after an inactive tab is drawn.
            const TQmTabSheet* after = FindNeighbourPage(page, true, true);
            const bool farEnd = vertical ? pass.SB - 3 < B : pass.SR - 3 < R;
            const bool separator = farEnd || after != active_;
            if (tabStyle_ == TTabStyle::tsClassic) {
                if (active) {
                    switch (tp) {
                    case TTabPosition::tpTop:
                        canvas.Polyline({{L, B - 1}, {L, T}, {R, T}, {R, B}});
                        break;
                    case TTabPosition::tpBottom:
                        canvas.Polyline({{L, T}, {L, B}, {R, B}, {R, T - 1}});
                        break;
                    case TTabPosition::tpLeft:
                        canvas.Polyline({{R - 1, T}, {L, T}, {L, B}, {R, B}});
                        break;
                    case TTabPosition::tpRight:
                        canvas.Polyline({{L, T}, {R - 1, T}, {R - 1, B}, {L - 1, B}});
                        break;
                    }
                } else {
                    bool farRow = false;
                    switch (tp) {
                    case TTabPosition::tpTop:
                        farRow = B < pass.SB;
                        break;
                    case TTabPosition::tpBottom:
                        farRow = T > pass.ST;
                        break;
                    case TTabPosition::tpLeft:
                        farRow = R < pass.SR;
                        break;
                    case TTabPosition::tpRight:
                        farRow = L > pass.SL;
                        break;
                    }
                    if (farRow) S = 0;
                    switch (tp) {
                    case TTabPosition::tpTop:
                        canvas.Rectangle(L, T, R1, B + S);
                        break;
                    case TTabPosition::tpBottom:
                        canvas.Rectangle(L, T - S, R1, B);
                        Y += 2;
                        break;
                    case TTabPosition::tpLeft:
                        canvas.Rectangle(L, T, R + S, B1);
                        break;
                    case TTabPosition::tpRight:
                        canvas.Rectangle(L - S, T, R, B1);
                        break;
                    }
                    if (!tabSheet3D_ && !tabSplitLine_) S = 1;
                }
            } else {
                const bool delphi = tabStyle_ == TTabStyle::tsDelphi;
                if (active) {
                    switch (tp) {
                    case TTabPosition::tpTop:
                        if (delphi)
                            Line(canvas, L, B, L, T), Line(canvas, R, T, R, B);
                        else
                            canvas.Polyline({{L, B}, {L, T}, {R, T}, {R, B}});
                        break;
                    case TTabPosition::tpBottom:
                        if (delphi)
                            Line(canvas, L, T - 1, L, B), Line(canvas, R, B - 1, R, T - 1);
                        else
                            canvas.Polyline({{L, T - 1}, {L, B}, {R, B}, {R, T - 1}});
                        break;
                    case TTabPosition::tpLeft:
                        if (delphi)
                            Line(canvas, R, T, L, T), Line(canvas, L, B, R, B);
                        else
                            canvas.Polyline({{R, T}, {L, T}, {L, B}, {R, B}});
                        break;
                    case TTabPosition::tpRight:
                        if (delphi)
                            Line(canvas, L - 1, T, R - 1, T), Line(canvas, R - 1, B, L - 1, B);
                        else
                            canvas.Polyline({{L - 1, T}, {R - 1, T}, {R - 1, B}, {L - 1, B}});
                        break;
                    }
                } else {
                    switch (tp) {
                    case TTabPosition::tpTop:
                        Line(canvas, L, B, R, B);
                        break;
                    case TTabPosition::tpBottom:
                        Line(canvas, L, T - 1, R, T - 1);
                        break;
                    case TTabPosition::tpLeft:
                        Line(canvas, R, T, R, B);
                        break;
                    case TTabPosition::tpRight:
                        Line(canvas, L - 1, T, L - 1, B);
                        break;
                    }
                    if (separator) {
                        if (delphi) {
                            switch (tp) {
                            case TTabPosition::tpTop:
                                Line(canvas, R - 2, B, R - 2, T);
                                break;
                            case TTabPosition::tpBottom:
                                Line(canvas, R - 2, B - 1, R - 2, T - 1);
                                break;
                            case TTabPosition::tpLeft:
                            case TTabPosition::tpRight:
                                Line(canvas, L, B - 2, R, B - 2);
                                break;
                            }
                        } else {
                            canvas.Pen.Color = activeColor_;
                            if (vertical) {
                                Line(canvas, L + 2, B - 2, R - 2, B - 2);
                                Line(canvas, L + 2, B - 3, R - 2, B - 3);
                            } else {
                                Line(canvas, R - 2, B - 3, R - 2, T + 2);
                                Line(canvas, R - 3, B - 3, R - 3, T + 2);
                            }
                        }
                    }
                }
            }
        } else if (!OnDrawTab) {
            if (active && !tabBackGroundActive_.Empty()) {
                deferred = i;
                deferredRect = Rect(L, T, R, B);
            } else {
                const int n = vertical ? B - T + 3 + tabOverlap_ : R - L + 2 + tabOverlap_;
                switch (tp) {
                case TTabPosition::tpTop:
                    DrawThreeSlice(canvas, tabBackGround_, L - 1, T - 2, n, true);
                    break;
                case TTabPosition::tpBottom:
                    DrawThreeSlice(canvas, tabBackGround_, L - 2, T - 1, n, true);
                    break;
                case TTabPosition::tpLeft:
                    DrawThreeSlice(canvas, tabBackGround_, L, T, n, false);
                    break;
                case TTabPosition::tpRight:
                    DrawThreeSlice(canvas, tabBackGround_, L - 1, T - 2, n, false);
                    break;
                }
            }
            switch (tp) {
            case TTabPosition::tpTop:
                break;
            case TTabPosition::tpBottom:
                Y += 3;
                break;
            case TTabPosition::tpLeft:
                X -= 2, Y -= kPictureLeftRaise;
                break;
            case TTabPosition::tpRight:
                X -= tabHeight_ / 3, Y -= 3;
                break;
            }
        }

        // Contents.
        if (vertical) canvas.Font.Assign(Rotated(active ? activeFont_ : font_, tp));
        if (tp == TTabPosition::tpLeft) {
            X += LM;
            Y -= TM;
            if (!tabBackGroundActive_.Empty()) Y += tabOverlap_ + 3;
        } else {
            X += LM;
            Y += TM;
        }
        if (i == deferred) {
            dX = X, dY = Y;
            canvas.Font.Assign(font_);
            continue;
        }
        if (page->ShowClose()) DrawCloseBox(canvas, TCloseBoxLook::cbNormal, tab, active ? LA : 0);
        if (images_ && !OnDrawTab) {
            const int index =
                active && page->ActiveImageIndex() >= 0 ? page->ActiveImageIndex() : page->ImageIndex();
            if (index >= 0) DrawTabImage(canvas, *images_, tp, index, 1, -18, X, Y);
        }
        if (!vertical) canvas.Font.Assign(active ? activeFont_ : font_);
        if (!active) canvas.Font.SetColor(page->TextColor());
        if (!page->TabEnable()) canvas.Font.SetColor(clGray);
        if (!page->isEnabled()) canvas.Font.SetColor(clGrayText);
        if (!OnDrawTab) {
            canvas.Brush.Style = TBrushStyle::bsClear;
            CaptionOut(canvas, tab, X, Y, page->Caption());
        }
        canvas.Font.Assign(font_);
        if (active) DrawFocusFrame(canvas, Rect(L, T, R, B), 0);
    }

    // The active picture tab, over its neighbours.
    if (deferred >= 0 && !OnDrawTab) {
        TQmTabSheet* page = Pages(deferred);
        TBitmap working = tabBackGround_;
        working.GetCanvas().Draw(0, 0, tabBackGroundActive_);
        const TRect& r = deferredRect;
        const bool lowered = LA >= 1;
        const int n = vertical ? r.Bottom - r.Top + 3 + tabOverlap_ : r.Right - r.Left + 2 + tabOverlap_;
        switch (tp) {
        case TTabPosition::tpTop:
            DrawThreeSlice(canvas, working, r.Left - 2, lowered ? r.Top - 1 : r.Top - 2, n, true);
            break;
        case TTabPosition::tpBottom:
            DrawThreeSlice(canvas, working, r.Left - 2, lowered ? r.Top - 3 : r.Top - 1, n, true);
            break;
        case TTabPosition::tpLeft:
            DrawThreeSlice(canvas, working, lowered ? r.Left + 1 : r.Left, r.Top, n, false);
            break;
        case TTabPosition::tpRight:
            DrawThreeSlice(canvas, working, lowered ? r.Left - 3 : r.Left - 1, r.Top - 2, n, false);
            break;
        }
        if (page->ShowClose()) DrawCloseBox(canvas, TCloseBoxLook::cbNormal, PageTabRect(deferred), LA);
        int X = dX, Y = dY;
        if (images_) {
            const int index = page->ActiveImageIndex() < 0 ? page->ImageIndex() : page->ActiveImageIndex();
            if (index >= 0) DrawTabImage(canvas, *images_, tp, index, 0, -14, X, Y);
        }
        canvas.Font.Assign(vertical ? Rotated(activeFont_, tp) : activeFont_);
        if (!page->isEnabled()) canvas.Font.SetColor(clGrayText);
        canvas.Brush.Style = TBrushStyle::bsClear;
        CaptionOut(canvas, PageTabRect(deferred), X, tp == TTabPosition::tpBottom ? Y - 2 : Y,
                   page->Caption());
        canvas.Font.Assign(font_);
        DrawFocusFrame(canvas, r, tabOverlap_);
    }

    // The hover outline, last.
    if (hoverPage_ != -1 && tabHoverBorder_ != clNone && hoverPage_ != activePos) {
        TRect r = PageTabRect(hoverPage_);
        int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
        canvas.Pen = TPen{tabHoverBorder_, 1, TPenStyle::psSolid, TPenMode::pmCopy};
        switch (tp) {
        case TTabPosition::tpTop:
            T -= 1;
            if (R > W - 5) R -= 1;
            canvas.Polyline({{L, B - 2}, {L, T}, {R, T}, {R, B - 1}});
            break;
        case TTabPosition::tpBottom:
            if (R > W - 5) R -= 1;
            canvas.Polyline({{L, T + 1}, {L, B}, {R, B}, {R, T}});
            break;
        case TTabPosition::tpLeft:
            L -= 1, T -= 2;
            if (B > H - 5) B -= 1;
            canvas.Polyline({{R - 1, T + 2}, {L, T + 2}, {L, B}, {R, B}});
            break;
        case TTabPosition::tpRight:
            L += 1;
            if (B > H - 5) B -= 1;
            canvas.Polyline({{L, T}, {R, T}, {R, B}, {L - 1, B}});
            break;
        }
    }
}

} // namespace qm
