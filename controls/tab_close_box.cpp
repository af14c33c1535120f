// The close box at the start of a tab: its three looks and its hit rectangle.
#include "controls/page_control.h"

namespace qm {

void TQmPageControl::DrawCloseBox(Canvas& canvas, TCloseBoxLook look, const TRect& tab, int d) {
    const int lm = margin_.LeftMargin(), tm = margin_.TopMargin();
    int ox = tab.Left + lm + 2, oy = tab.Top + tm + 2;
    switch (tabPosition_) {
    case TTabPosition::tpTop:
    case TTabPosition::tpBottom:
        oy = tab.Top + tm + d + 2;
        break;
    case TTabPosition::tpLeft: {
        const int b = tab.Bottom - tm + (tabBackGroundActive_.Empty() ? 0 : tabOverlap_);
        ox = tab.Left + lm + d + 2;
        oy = b - 13;
        break;
    }
    case TTabPosition::tpRight:
        if (look != TCloseBoxLook::cbLit) ox = tab.Left + lm + 4 - d;
        break;
    }
    CanvasStateSaver saver(canvas);
    if (!closeGlyph_.Empty()) {
        TBitmap glyph = closeGlyph_;
        glyph.Transparent = true;
        glyph.TransparentMode = TTransparentMode::tmAuto;
        canvas.IntersectClipRect(Rect(ox, oy, ox + 12, oy + 11));
        canvas.Draw(ox, oy, glyph);
        return;
    }
    TColor fill = clWhite, frame = clGray, cross = clBlack;
    if (look == TCloseBoxLook::cbLit) frame = clBlack, cross = clGray;
    if (look == TCloseBoxLook::cbPressed) fill = clSilver, frame = clBlack;
    canvas.Pen = TPen{frame, 1, TPenStyle::psSolid, TPenMode::pmCopy};
    canvas.Brush = TBrush{fill, TBrushStyle::bsSolid};
    canvas.Rectangle(ox, oy, ox + 12, oy + 11);
    canvas.Pen.Color = cross;
    const TPoint lines[4][2] = {{{3, 7}, {9, 2}}, {{4, 7}, {8, 2}}, {{3, 3}, {9, 8}}, {{4, 3}, {8, 8}}};
    for (const auto& line : lines) {
        canvas.MoveTo(ox + line[0].X, oy + line[0].Y);
        canvas.LineTo(ox + line[1].X, oy + line[1].Y);
    }
}

bool TQmPageControl::CloseBoxHit(int pos, int x, int y) {
    const TRect tab = PageTabRect(pos);
    if (tab.IsEmpty()) return false;
    const int lm = margin_.LeftMargin(), tm = margin_.TopMargin();
    TRect hit;
    if (tabPosition_ == TTabPosition::tpLeft) {
        const int l = tab.Left + lm + (tabBackGroundActive_.Empty() ? 0 : 2);
        const int b = tab.Bottom - tm + (tabBackGroundActive_.Empty() ? 0 : tabOverlap_);
        hit = Rect(l + 2, b - 13, l + 14, b - 2);
    } else {
        hit = Rect(tab.Left + lm + 2, tab.Top + tm + 2, tab.Left + lm + 14, tab.Top + tm + 13);
    }
    return hit.Contains(Point(x, y));
}

void TQmPageControl::ClosePage(TQmTabSheet* page, TQmTabSheet* next, bool reactivate) {
    if (!page || page->owner_ != this) return;
    // The neighbour of the only tab is the closing page itself: then nothing follows it.
    auto valid = [this, page](TQmTabSheet* p) { return p && p != page && p->owner_ == this ? p : nullptr; };
    bool canClose = true;
    if (page->OnCanClose) page->OnCanClose(page, canClose);
    if (!canClose) return;
    if (page->OnClose) page->OnClose(page);
    SetActivePage(valid(next));
    if (OnChange) OnChange(this);
    Invalidate();
    if (freeOnClose_)
        delete page;
    else
        page->SetPageOwner(nullptr);
    if (reactivate && valid(next)) SetActivePage(next);
    Invalidate();
}

} // namespace qm
