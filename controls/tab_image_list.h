// A list of equally sized images for the tabs. The bottom-left pixel of each image is its
// transparent colour, as for the other glyphs of the controls.
#pragma once

#include <vector>

#include "canvas/bitmap.h"

namespace qm {

class TImageList {
public:
    TImageList(int width, int height) : width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }
    // Adds an image, cropped or padded to the list's size; returns its index.
    int Add(const TBitmap& image) {
        TBitmap copy(width_, height_);
        copy.GetCanvas().Draw(0, 0, image);
        copy.Transparent = true;
        images_.push_back(copy);
        return Count() - 1;
    }
    // Draws image index at (x, y); nothing for an index outside the list.
    void Draw(Canvas& canvas, int x, int y, int index) const {
        if (index < 0 || index >= Count()) return;
        canvas.Draw(x, y, images_[static_cast<std::size_t>(index)]);
    }

private:
    int width_;
    int height_;
    std::vector<TBitmap> images_;
};

} // namespace qm
