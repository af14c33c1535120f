// Pixel routines behind the canvas: which pixels a line or a filled shape covers.
#pragma once

#include <cstdlib>
#include <functional>
#include <span>

#include "canvas/geometry.h"

namespace qm::raster {

// Calls plot(x, y) for every pixel of the line from a to b, a included and b excluded.
template <class Plot> void Line(TPoint a, TPoint b, Plot&& plot) {
    int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
    int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    int err = dx + dy;
    int x = a.X, y = a.Y;
    while (!(x == b.X && y == b.Y)) {
        plot(x, y);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

using SpanFn = std::function<void(int y, int x0, int x1)>; // pixels [x0, x1) of row y

// Interior of a polygon sampled at pixel centres, even-odd rule.
void PolygonSpans(std::span<const TPoint> points, const SpanFn& span);

// Interior of the ellipse inscribed in r, sampled at pixel centres.
void EllipseSpans(const TRect& r, const SpanFn& span);

// Interior of a rectangle with corners rounded by ellipses of the given size.
void RoundRectSpans(const TRect& r, int cornerWidth, int cornerHeight, const SpanFn& span);

} // namespace qm::raster
