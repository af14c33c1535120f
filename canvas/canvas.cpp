#include "canvas/canvas.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QImage>

#include "canvas/bitmap.h"
#include "canvas/raster.h"

namespace qm {

unsigned ToQRgb(TColor color) {
    const TColor c = ColorToRGB(color);
    return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TColor FromQRgb(unsigned rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

namespace {

// On and off lengths of the pen styles, in pixels.
std::span<const int> StylePattern(TPenStyle style) {
    static constexpr std::array<int, 2> dash{18, 6};
    static constexpr std::array<int, 2> dot{1, 1};
    static constexpr std::array<int, 4> dashDot{9, 6, 3, 6};
    static constexpr std::array<int, 6> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case TPenStyle::psDash:
        return dash;
    case TPenStyle::psDot:
        return dot;
    case TPenStyle::psDashDot:
        return dashDot;
    case TPenStyle::psDashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

// Whether the pattern position falls on a dash, and so on.
bool PatternOn(std::span<const int> pattern, int position) {
    int total = 0;
    for (int len : pattern)
        total += len;
    int p = position % total;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (p < pattern[i]) return i % 2 == 0;
        p -= pattern[i];
    }
    return true;
}

} // namespace

Canvas::Canvas(QImage* image) {
    SetTarget(image);
}

void Canvas::SetTarget(QImage* image) {
    image_ = image;
    if (image_ && !image_->isNull() && image_->format() != QImage::Format_RGB32 &&
        image_->format() != QImage::Format_ARGB32)
        image_->convertTo(QImage::Format_RGB32);
    origin_ = {};
    clip_ = QRegion();
    clipped_ = false;
    saved_.clear();
}

int Canvas::Width() const {
    return image_ ? image_->width() : 0;
}
int Canvas::Height() const {
    return image_ ? image_->height() : 0;
}

QRegion Canvas::DeviceClip() const {
    QRegion whole(0, 0, Width(), Height());
    return clipped_ ? clip_.intersected(whole) : whole;
}

TColor Canvas::Pixel(int x, int y) const {
    const int dx = x + origin_.X, dy = y + origin_.Y;
    if (!image_ || dx < 0 || dy < 0 || dx >= image_->width() || dy >= image_->height()) return clNone;
    return FromQRgb(reinterpret_cast<const QRgb*>(image_->constScanLine(dy))[dx]);
}

void Canvas::SetPixel(int x, int y, TColor color) {
    PlotRaw(x + origin_.X, y + origin_.Y, ToQRgb(color), TPenMode::pmCopy);
}

void Canvas::PlotRaw(int dx, int dy, TColor rgb, TPenMode mode) {
    if (!image_ || dx < 0 || dy < 0 || dx >= image_->width() || dy >= image_->height()) return;
    if (clipped_ && !clip_.contains(QPoint(dx, dy))) return;
    QRgb& px = reinterpret_cast<QRgb*>(image_->scanLine(dy))[dx];
    switch (mode) {
    case TPenMode::pmCopy:
        px = rgb;
        break;
    case TPenMode::pmNot:
        px = 0xFF000000u | ~px;
        break;
    case TPenMode::pmXor:
        px = 0xFF000000u | ((px ^ rgb) & 0xFFFFFFu);
        break;
    }
}

void Canvas::FillSpan(int y, int x0, int x1, TColor rgb, TPenMode mode) {
    if (!image_) return;
    const int dy = y + origin_.Y;
    if (dy < 0 || dy >= image_->height()) return;
    auto fill = [&](int a, int b) {
        a = std::max(a, 0);
        b = std::min(b, image_->width());
        QRgb* line = reinterpret_cast<QRgb*>(image_->scanLine(dy));
        for (int x = a; x < b; ++x) {
            if (mode == TPenMode::pmCopy)
                line[x] = rgb;
            else
                PlotRaw(x, dy, rgb, mode);
        }
    };
    const int a = x0 + origin_.X, b = x1 + origin_.X;
    if (!clipped_) {
        fill(a, b);
        return;
    }
    for (const QRect& cr : clip_) {
        if (dy < cr.top() || dy > cr.bottom()) continue;
        fill(std::max(a, cr.left()), std::min(b, cr.right() + 1));
    }
}

void Canvas::PlotPen(int x, int y) {
    const TColor rgb = ToQRgb(Pen.Color);
    const int w = std::max(1, Pen.Width);
    if (w == 1) {
        PlotRaw(x + origin_.X, y + origin_.Y, rgb, Pen.Mode);
        return;
    }
    const int x0 = x - w / 2, y0 = y - w / 2;
    for (int yy = y0; yy < y0 + w; ++yy)
        FillSpan(yy, x0, x0 + w, rgb, Pen.Mode);
}

void Canvas::DrawLine(TPoint from, TPoint to, bool continueStyle) {
    if (Pen.Style == TPenStyle::psClear) return;
    if (!continueStyle) styleCounter_ = 0;
    const auto pattern = StylePattern(Pen.Style);
    const bool opaqueGaps = Brush.Style == TBrushStyle::bsSolid;
    const TColor gap = ToQRgb(Brush.Color);
    raster::Line(from, to, [&](int x, int y) {
        if (pattern.empty() || PatternOn(pattern, styleCounter_))
            PlotPen(x, y);
        else if (opaqueGaps)
            PlotRaw(x + origin_.X, y + origin_.Y, gap, TPenMode::pmCopy);
        ++styleCounter_;
    });
}

void Canvas::MoveTo(int x, int y) {
    PenPos = {x, y};
    styleCounter_ = 0;
}

void Canvas::LineTo(int x, int y) {
    DrawLine(PenPos, {x, y}, true);
    PenPos = {x, y};
}

void Canvas::Polyline(std::span<const TPoint> points) {
    if (points.empty()) return;
    styleCounter_ = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        DrawLine(points[i - 1], points[i], true);
}

void Canvas::Polygon(std::span<const TPoint> points) {
    if (points.size() < 2) return;
    if (Brush.Style == TBrushStyle::bsSolid) {
        const TColor rgb = ToQRgb(Brush.Color);
        raster::PolygonSpans(points, [&](int y, int x0, int x1) { FillSpan(y, x0, x1, rgb); });
    }
    styleCounter_ = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
        DrawLine(points[i], points[(i + 1) % points.size()], true);
}

void Canvas::Rectangle(const TRect& rect) {
    TRect r = rect;
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    if (r.IsEmpty()) return;
    const bool pen = Pen.Style != TPenStyle::psClear;
    if (Brush.Style == TBrushStyle::bsSolid) {
        const TRect inner = pen ? InflateRect(r, -1, -1) : r;
        const TColor rgb = ToQRgb(Brush.Color);
        for (int y = inner.Top; y < inner.Bottom; ++y)
            FillSpan(y, inner.Left, inner.Right, rgb);
    }
    if (!pen) return;
    const int l = r.Left, t = r.Top, rr = r.Right - 1, b = r.Bottom - 1;
    if (rr == l || b == t) { // a single row or column: every pixel once
        styleCounter_ = 0;
        DrawLine({l, t}, {rr, b}, true);
        PlotPen(rr, b);
        return;
    }
    const std::array<TPoint, 5> path{{{l, t}, {rr, t}, {rr, b}, {l, b}, {l, t}}};
    Polyline(path);
}

namespace {

// Pixels of a shape within its bounds, for outlining by its border.
struct ShapeMask {
    TRect bounds;
    std::vector<char> inside;
    bool At(int x, int y) const {
        if (!bounds.Contains({x, y})) return false;
        return inside[(y - bounds.Top) * bounds.Width() + (x - bounds.Left)] != 0;
    }
};

template <class Spans> ShapeMask MakeMask(const TRect& bounds, Spans&& spans) {
    ShapeMask m{bounds, std::vector<char>(
                            static_cast<std::size_t>(std::max(0, bounds.Width() * bounds.Height())), 0)};
    spans([&](int y, int x0, int x1) {
        for (int x = std::max(x0, bounds.Left); x < std::min(x1, bounds.Right); ++x)
            m.inside[(y - bounds.Top) * bounds.Width() + (x - bounds.Left)] = 1;
    });
    return m;
}

} // namespace

static void PaintMask(Canvas& c, const ShapeMask& m, bool pen, bool brush, TColor penColor,
                      TColor brushColor) {
    for (int y = m.bounds.Top; y < m.bounds.Bottom; ++y)
        for (int x = m.bounds.Left; x < m.bounds.Right; ++x) {
            if (!m.At(x, y)) continue;
            const bool border = !m.At(x - 1, y) || !m.At(x + 1, y) || !m.At(x, y - 1) || !m.At(x, y + 1);
            if (pen && border)
                c.SetPixel(x, y, penColor);
            else if (brush)
                c.SetPixel(x, y, brushColor);
        }
}

void Canvas::Ellipse(const TRect& r) {
    const auto m = MakeMask(r, [&](const raster::SpanFn& fn) { raster::EllipseSpans(r, fn); });
    PaintMask(*this, m, Pen.Style != TPenStyle::psClear, Brush.Style == TBrushStyle::bsSolid, Pen.Color,
              Brush.Color);
}

void Canvas::RoundRect(const TRect& r, int cornerWidth, int cornerHeight) {
    const auto m = MakeMask(
        r, [&](const raster::SpanFn& fn) { raster::RoundRectSpans(r, cornerWidth, cornerHeight, fn); });
    PaintMask(*this, m, Pen.Style != TPenStyle::psClear, Brush.Style == TBrushStyle::bsSolid, Pen.Color,
              Brush.Color);
}

void Canvas::FillRect(const TRect& r) {
    if (Brush.Style != TBrushStyle::bsSolid) return;
    const TColor rgb = ToQRgb(Brush.Color);
    for (int y = r.Top; y < r.Bottom; ++y)
        FillSpan(y, r.Left, r.Right, rgb);
}

void Canvas::FrameRect(const TRect& r) {
    if (Brush.Style != TBrushStyle::bsSolid || r.IsEmpty()) return;
    const TColor rgb = ToQRgb(Brush.Color);
    FillSpan(r.Top, r.Left, r.Right, rgb);
    if (r.Height() > 1) FillSpan(r.Bottom - 1, r.Left, r.Right, rgb);
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        FillSpan(y, r.Left, r.Left + 1, rgb);
        if (r.Width() > 1) FillSpan(y, r.Right - 1, r.Right, rgb);
    }
}

// ---------------------------------------------------------------- bitmaps

void Canvas::BlitImage(const TRect& dst, const TBitmap& bitmap, bool useMask, TColor maskColor) {
    if (bitmap.Empty() || dst.IsEmpty()) return;
    const QImage& src = bitmap.Image();
    const bool transparent = bitmap.Transparent || useMask;
    const QRgb key = transparent ? ToQRgb(bitmap.EffectiveTransparentColor()) : 0;
    const QRgb paint = useMask ? ToQRgb(maskColor) : 0;
    const int sw = src.width(), sh = src.height();
    for (int y = dst.Top; y < dst.Bottom; ++y) {
        const int sy = static_cast<int>((static_cast<long long>(y - dst.Top) * sh) / dst.Height());
        const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        for (int x = dst.Left; x < dst.Right; ++x) {
            const int sx = static_cast<int>((static_cast<long long>(x - dst.Left) * sw) / dst.Width());
            const QRgb s = 0xFF000000u | line[sx];
            if (transparent && s == key) continue;
            PlotRaw(x + origin_.X, y + origin_.Y, useMask ? paint : s, TPenMode::pmCopy);
        }
    }
}

void Canvas::Draw(int x, int y, const TBitmap& bitmap) {
    BlitImage(Bounds(x, y, bitmap.Width(), bitmap.Height()), bitmap, false, clNone);
}

void Canvas::StretchDraw(const TRect& r, const TBitmap& bitmap) {
    BlitImage(r, bitmap, false, clNone);
}

void Canvas::DrawMask(int x, int y, const TBitmap& bitmap, TColor color) {
    BlitImage(Bounds(x, y, bitmap.Width(), bitmap.Height()), bitmap, true, color);
}

void Canvas::CopyRect(const TRect& dst, const Canvas& source, const TRect& src) {
    if (!source.image_ || src.IsEmpty() || dst.IsEmpty()) return;
    const QRect sr(src.Left + source.origin_.X, src.Top + source.origin_.Y, src.Width(), src.Height());
    TBitmap copy(source.image_->copy(sr));
    BlitImage(dst, copy, false, clNone);
}

// ---------------------------------------------------------------- clipping, origin, state

QRegion Canvas::LogicalToDevice(const TRect& r) const {
    if (r.IsEmpty()) return QRegion();
    return QRegion(r.Left + origin_.X, r.Top + origin_.Y, r.Width(), r.Height());
}

void Canvas::SetClipRect(const TRect& r) {
    clip_ = LogicalToDevice(r);
    clipped_ = true;
}

void Canvas::SetClipRegion(std::span<const TRect> rects) {
    QRegion region;
    for (const auto& r : rects)
        region += LogicalToDevice(r);
    clip_ = region;
    clipped_ = true;
}

void Canvas::IntersectClipRect(const TRect& r) {
    clip_ = clipped_ ? clip_.intersected(LogicalToDevice(r)) : LogicalToDevice(r);
    clipped_ = true;
}

void Canvas::ExcludeClipRect(const TRect& r) {
    clip_ = DeviceClip().subtracted(LogicalToDevice(r));
    clipped_ = true;
}

void Canvas::ClearClip() {
    clip_ = QRegion();
    clipped_ = false;
}

void Canvas::MoveOrigin(int dx, int dy) {
    origin_.X += dx;
    origin_.Y += dy;
}

void Canvas::Save() {
    saved_.push_back({Pen, Brush, Font, origin_, clip_, clipped_, PenPos});
}

void Canvas::Restore() {
    if (saved_.empty()) return;
    State s = std::move(saved_.back());
    saved_.pop_back();
    Pen = s.pen;
    Brush = s.brush;
    Font.Assign(s.font);
    origin_ = s.origin;
    clip_ = s.clip;
    clipped_ = s.clipped;
    PenPos = s.penPos;
}

} // namespace qm
