#include "canvas/draw_routines.h"

#include <cmath>
#include <cstdint>

#include <QWidget>

#include "canvas/widget_color.h"

namespace qm {

namespace {
// Nearest integer, halves to even.
int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}
} // namespace

void FillGradient(Canvas& canvas, TColor fromColor, TColor toColor, bool horizontal, const TRect& rect,
                  int bandCount) {
    if (bandCount == 0) bandCount = 1;
    const TColor c1 = ColorToRGB(fromColor), c2 = ColorToRGB(toColor);
    const int r1 = static_cast<int>(GetRValue(c1)), g1 = static_cast<int>(GetGValue(c1)),
              b1 = static_cast<int>(GetBValue(c1));
    const double dr = (static_cast<int>(GetRValue(c2)) - r1) / double(bandCount);
    const double dg = (static_cast<int>(GetGValue(c2)) - g1) / double(bandCount);
    const double db = (static_cast<int>(GetBValue(c2)) - b1) / double(bandCount);
    const double f = (horizontal ? rect.Width() : rect.Height()) / double(bandCount);
    const int extent = RoundEven(f);
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Pen.Mode = TPenMode::pmCopy;
    canvas.Pen.Width = 1;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    for (int i = 0; i < bandCount; ++i) {
        const TColor band =
            RGB(static_cast<unsigned>(r1 + RoundEven(i * dr)), static_cast<unsigned>(g1 + RoundEven(i * dg)),
                static_cast<unsigned>(b1 + RoundEven(i * db)));
        canvas.Pen.Color = band;
        canvas.Brush.Color = band;
        const int o = static_cast<std::int16_t>(RoundEven(i * f));
        if (horizontal)
            canvas.Rectangle(rect.Left + o, rect.Top, rect.Left + o + extent + 1, rect.Bottom);
        else
            canvas.Rectangle(rect.Left, rect.Top + o, rect.Right, rect.Top + o + extent + 1);
    }
}

void DrawBevelFrame(Canvas& canvas, const TRect& rect, TColor topColor, TColor bottomColor, int width) {
    canvas.Pen.Width = 1;
    TRect r{rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1};
    while (width > 0) {
        canvas.Pen.Color = topColor;
        canvas.Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        canvas.Pen.Color = bottomColor;
        canvas.Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
        r = InflateRect(r, -1, -1);
        --width;
    }
}

void PaintParentBackground(const QWidget* control, Canvas& canvas) {
    if (!control) return;
    QWidget* parent = control->parentWidget();
    if (!parent) return;
    CanvasStateSaver saver(canvas);
    canvas.MoveOrigin(-control->x(), -control->y());
    canvas.IntersectClipRect(Rect(0, 0, parent->width(), parent->height()));
    if (auto* painter = dynamic_cast<TParentPainter*>(parent)) {
        painter->PaintOwnPicture(canvas);
        return;
    }
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.Brush.Color = WidgetColor(parent);
    canvas.FillRect(Rect(0, 0, parent->width(), parent->height()));
}

} // namespace qm
