#include "canvas/bitmap.h"

namespace qm {

TBitmap::TBitmap() : canvas_(std::make_unique<Canvas>(&image_)) {}

TBitmap::TBitmap(int width, int height) : TBitmap() {
    SetSize(width, height);
}

TBitmap::TBitmap(const QImage& image) : TBitmap() {
    Assign(image);
}

TBitmap::TBitmap(const TBitmap& other)
    : Transparent(other.Transparent), TransparentMode(other.TransparentMode),
      TransparentColor(other.TransparentColor), image_(other.image_),
      canvas_(std::make_unique<Canvas>(&image_)) {}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other) return *this;
    Transparent = other.Transparent;
    TransparentMode = other.TransparentMode;
    TransparentColor = other.TransparentColor;
    Assign(other.image_);
    return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
    if (width == Width() && height == Height() && !image_.isNull()) return;
    QImage next(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
    next.fill(0xFFFFFFFFu);
    for (int y = 0; y < std::min(height, Height()); ++y)
        for (int x = 0; x < std::min(width, Width()); ++x)
            next.setPixel(x, y, image_.pixel(x, y));
    image_ = std::move(next);
    canvas_->SetTarget(&image_);
}

void TBitmap::Assign(const QImage& image) {
    image_ = image.convertToFormat(QImage::Format_RGB32);
    canvas_->SetTarget(&image_);
}

TColor TBitmap::EffectiveTransparentColor() const {
    if (TransparentMode == TTransparentMode::tmFixed && TransparentColor != clNone)
        return ColorToRGB(TransparentColor);
    if (Empty()) return clNone;
    return FromQRgb(image_.pixel(0, Height() - 1));
}

} // namespace qm
