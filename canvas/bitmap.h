// An off-screen bitmap: an image with its own canvas.
#pragma once

#include <memory>

#include <QImage>

#include "canvas/canvas.h"

namespace qm {

enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height);
    explicit TBitmap(const QImage& image);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap();

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull() || Width() == 0 || Height() == 0; }
    void SetSize(int width, int height); // new pixels are white; kept pixels stay
    void Assign(const QImage& image);

    Canvas& GetCanvas() { return *canvas_; }
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }

    // Drawing a transparent bitmap leaves the canvas unchanged where the bitmap has its
    // transparent colour: in tmAuto that of the bottom-left pixel, in tmFixed TransparentColor.
    bool Transparent = false;
    TTransparentMode TransparentMode = TTransparentMode::tmAuto;
    TColor TransparentColor = clNone;
    TColor EffectiveTransparentColor() const;

private:
    QImage image_;
    std::unique_ptr<Canvas> canvas_;
};

} // namespace qm
