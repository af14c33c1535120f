#include "canvas/raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm::raster {

void PolygonSpans(std::span<const TPoint> points, const SpanFn& span) {
    if (points.size() < 3) return;
    int top = points[0].Y, bottom = points[0].Y;
    for (const auto& p : points) {
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
    }
    std::vector<double> xs;
    const std::size_t n = points.size();
    for (int y = top; y < bottom; ++y) {
        const double yc = y + 0.5;
        xs.clear();
        for (std::size_t i = 0; i < n; ++i) {
            const TPoint a = points[i], b = points[(i + 1) % n];
            if (a.Y == b.Y) continue;
            const double ya = a.Y, yb = b.Y;
            if ((yc >= ya && yc < yb) || (yc >= yb && yc < ya))
                xs.push_back(a.X + (yc - ya) * (b.X - a.X) / (yb - ya));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
            // pixel x is inside when its centre x + 0.5 lies strictly between xa and xb; a centre on
            // a slanted edge belongs to the outline, not the interior
            const int x0 = static_cast<int>(std::floor(xs[i] - 0.5)) + 1;
            const int x1 = static_cast<int>(std::ceil(xs[i + 1] - 0.5));
            if (x1 > x0) span(y, x0, x1);
        }
    }
}

void EllipseSpans(const TRect& r, const SpanFn& span) {
    RoundRectSpans(r, r.Width(), r.Height(), span);
}

void RoundRectSpans(const TRect& r, int cornerWidth, int cornerHeight, const SpanFn& span) {
    if (r.IsEmpty()) return;
    const double a = std::min(std::abs(cornerWidth), r.Width()) / 2.0;
    const double b = std::min(std::abs(cornerHeight), r.Height()) / 2.0;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const double yc = y + 0.5;
        double inset = 0;
        if (a > 0 && b > 0) {
            double dy = 0;
            if (yc < r.Top + b)
                dy = r.Top + b - yc;
            else if (yc > r.Bottom - b)
                dy = yc - (r.Bottom - b);
            if (dy > 0) {
                const double t = std::max(0.0, 1.0 - (dy * dy) / (b * b));
                inset = a - a * std::sqrt(t);
            }
        }
        // pixel centres within [Left + inset, Right - inset]
        const int x0 = static_cast<int>(std::ceil(r.Left + inset - 0.5));
        const int x1 = static_cast<int>(std::floor(r.Right - inset - 0.5)) + 1;
        if (x1 > x0) span(y, x0, x1);
    }
}

} // namespace qm::raster
