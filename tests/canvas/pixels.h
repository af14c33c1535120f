// Helpers for reading pixels back from a canvas.
#pragma once

#include <QImage>

#include "canvas/canvas.h"

namespace qm::test {

// A white image with a canvas over it.
struct Surface {
    QImage image;
    Canvas canvas;
    Surface(int w, int h) : image(w, h, QImage::Format_RGB32), canvas(nullptr) {
        image.fill(0xFFFFFFFFu);
        canvas.SetTarget(&image);
    }
    Surface(Surface&& o) noexcept : image(std::move(o.image)), canvas(nullptr) { canvas.SetTarget(&image); }
    Surface& operator=(Surface&& o) noexcept {
        image = std::move(o.image);
        canvas.SetTarget(&image);
        return *this;
    }
    TColor At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
    // Bounding box of the pixels of one colour; empty when there are none.
    TRect BoxOf(TColor color) const {
        TRect box{image.width(), image.height(), 0, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (At(x, y) == color)
                    box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                           std::max(box.Bottom, y + 1)};
        return box.IsEmpty() ? TRect{} : box;
    }
    int Count(TColor color) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += At(x, y) == color;
        return n;
    }
};

} // namespace qm::test
