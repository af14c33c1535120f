// The picture of the captioned panel.
#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include "canvas/draw_routines.h"
#include "controls/flat_panel.h"

namespace qm {

namespace {
// An exposed region of more pieces than this is painted as one rectangle around them.
constexpr int kMostPieces = 8;
} // namespace

void TFlatPanel::paintEvent(QPaintEvent* event) {
    // Only the exposed pieces: a form's children cover most of its panel, and a picture of the
    // whole panel per repaint costs more than the drawing. Each piece is still drawn off screen
    // and copied in one go, so the bands never flicker.
    const QRegion exposed = event->region().intersected(rect());
    QPainter painter(this);
    const auto paint = [&](const QRect& piece) { painter.drawImage(piece.topLeft(), Render(piece)); };
    if (exposed.rectCount() > kMostPieces)
        paint(exposed.boundingRect());
    else
        for (const QRect& piece : exposed)
            paint(piece);
}

QImage TFlatPanel::Render(const QRect& piece) {
    QImage picture(std::max(1, piece.width()), std::max(1, piece.height()), QImage::Format_RGB32);
    picture.fill(0xFFFFFFFFu);
    Canvas canvas(&picture);
    canvas.MoveOrigin(-piece.x(), -piece.y());
    PaintTo(canvas);
    return picture;
}

void TFlatPanel::PaintTo(Canvas& canvas) {
    CanvasStateSaver saver(canvas);
    const TRect r = Rect(0, 0, width(), height());
    if (transparent_) {
        PaintParentBackground(this, canvas);
    } else {
        canvas.Brush.Style = TBrushStyle::bsSolid;
        canvas.Brush.Color = Color();
        canvas.FillRect(r);
    }
    DrawBevelFrame(canvas, r, ColorHighLight(), ColorShadow(), 1);
    canvas.Font.Assign(captionFont_);
    canvas.Brush.Style = TBrushStyle::bsClear;
    if (captionPosition_ == TQmCaptionPosition::cpLeftTop)
        PaintCaptionLeftTop(canvas, r);
    else
        PaintCaptionNone(canvas, r);
}

// Enabled: once in the caption font's colour. Disabled: embossed, a highlight copy one pixel
// right and down under the shadow copy at the place itself.
void TFlatPanel::DrawEmbossable(Canvas& canvas, const std::string& text, TRect r, unsigned flags) {
    if (isEnabled()) {
        canvas.DrawText(text, r, flags);
        return;
    }
    const TColor own = canvas.Font.Color();
    TRect moved = OffsetRect(r, 1, 1);
    canvas.Font.SetColor(clBtnHighlight);
    canvas.DrawText(text, moved, flags);
    canvas.Font.SetColor(clBtnShadow);
    canvas.DrawText(text, r, flags);
    canvas.Font.SetColor(own);
}

void TFlatPanel::PaintCaptionNone(Canvas& canvas, const TRect& r) {
    unsigned flags = DT_SINGLELINE | DT_VCENTER;
    if (alignment_ == TAlignment::taRightJustify)
        flags |= DT_RIGHT;
    else if (alignment_ == TAlignment::taCenter)
        flags |= DT_CENTER;
    DrawEmbossable(canvas, caption_, r, flags);
}

void TFlatPanel::PaintCaptionLeftTop(Canvas& canvas, const TRect& r) {
    const int ml = QmMarginLeft(), mt = QmMarginTop(), mr = QmMarginRight(), mb = QmMarginBottom();
    const int h = canvas.TextHeight(caption_), w = canvas.TextWidth(caption_);
    const int s = mt + h + mb;           // band height
    const int x0 = r.Left + ml + w + mr; // end of the text area with its right margin
    if (captionColor_ != clNone && captionColorTo_ != clNone) {
        const TRect band = Rect(r.Left + 1, r.Top + 1, x0 + (showLine_ ? s : 0), r.Top + s);
        FillGradient(canvas, captionColor_, captionColorTo_, !verticalGradient_, band, s);
        if (showLine_) {
            // Cut the band's end into a 45-degree slant in the panel's colour.
            canvas.Pen = TPen{Color(), 1, TPenStyle::psSolid, TPenMode::pmCopy};
            canvas.Brush = TBrush{Color(), TBrushStyle::bsSolid};
            canvas.Polygon({{x0, r.Top + s}, {x0 + s, r.Top}, {x0 + s, r.Top + s}});
        }
    }
    TRect text = Rect(r.Left + ml, r.Top + mt, r.Left + ml + w, r.Top + mt + h);
    if (showLine_) {
        canvas.Pen = TPen{ColorShadow(), 1, TPenStyle::psSolid, TPenMode::pmCopy};
        canvas.MoveTo(r.Left, r.Top + s);
        canvas.LineTo(x0, r.Top + s);
        canvas.MoveTo(x0, r.Top + s);
        canvas.LineTo(x0 + s + 1, r.Top - 1);
    }
    canvas.Brush = TBrush{Color(), TBrushStyle::bsClear};
    DrawEmbossable(canvas, caption_, text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

} // namespace qm
