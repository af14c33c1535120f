// Drawing over an image with the classic raster rules: a rectangle includes its left and top
// edges and excludes its right and bottom edges; a line from P to Q includes P and excludes Q;
// polylines chain such lines. Coordinates are logical: the origin can be moved, and everything
// drawn is clipped to the image and to the clip region.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QRegion>

#include "canvas/font.h"
#include "canvas/geometry.h"
#include "platform/platform.h"

class QImage;
class QPainter;

namespace qm {

class TBitmap;

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum class TPenMode { pmCopy, pmNot, pmXor };
enum class TBrushStyle { bsSolid, bsClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
    TPenMode Mode = TPenMode::pmCopy;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

// Text-drawing flags.
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;

class Canvas {
public:
    explicit Canvas(QImage* image = nullptr);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void SetTarget(QImage* image); // resets origin, clip and saved states
    QImage* Target() const { return image_; }
    int Width() const;
    int Height() const;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;

    // ---- pixels
    TColor Pixel(int x, int y) const;          // clNone outside the image
    void SetPixel(int x, int y, TColor color); // clipped

    // ---- lines and shapes (pen outline, brush fill)
    void MoveTo(int x, int y);
    void LineTo(int x, int y); // the end point is not drawn
    void Polyline(std::span<const TPoint> points);
    void Polyline(std::initializer_list<TPoint> points) {
        Polyline(std::span(points.begin(), points.size()));
    }
    void Polygon(std::span<const TPoint> points);
    void Polygon(std::initializer_list<TPoint> points) { Polygon(std::span(points.begin(), points.size())); }
    void Rectangle(const TRect& r);
    void Rectangle(int l, int t, int r, int b) { Rectangle(Rect(l, t, r, b)); }
    void Ellipse(const TRect& r);
    void RoundRect(const TRect& r, int cornerWidth, int cornerHeight);
    void FillRect(const TRect& r);  // brush only
    void FrameRect(const TRect& r); // one pixel in the brush colour

    // ---- text
    int TextWidth(std::string_view text) const;
    int TextHeight(std::string_view text) const;
    TSize TextExtent(std::string_view text) const;
    // Writes text with its top-left corner at (x, y), rotated by the font's escapement about that
    // point. A solid brush fills the text cell first.
    void TextOut(int x, int y, std::string_view text);
    // Like TextOut, clipped to r.
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    // Draws text into r after the DT_ flags; returns the text height. With DT_CALCRECT only
    // measures and widens or narrows r to the text.
    int DrawText(std::string_view text, TRect& r, unsigned flags);

    // ---- bitmaps
    // Copies the bitmap; a transparent bitmap leaves pixels of its transparent colour unchanged.
    void Draw(int x, int y, const TBitmap& bitmap);
    // Scales the bitmap to r (nearest pixel), with transparency as in Draw.
    void StretchDraw(const TRect& r, const TBitmap& bitmap);
    // Copies source rectangle src of another canvas onto dst, scaled when the sizes differ.
    void CopyRect(const TRect& dst, const Canvas& source, const TRect& src);
    // Paints every pixel of the bitmap that differs from its transparent colour in one colour.
    void DrawMask(int x, int y, const TBitmap& bitmap, TColor color);

    // ---- clipping and origin
    void SetClipRect(const TRect& r);                 // logical coordinates
    void SetClipRegion(std::span<const TRect> rects); // union of rectangles
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void ClearClip();
    bool HasClip() const { return clipped_; }
    // Moves the drawing origin: logical (0, 0) lands on device (dx, dy) more than before.
    void MoveOrigin(int dx, int dy);
    TPoint Origin() const { return origin_; }

    // Save and restore pen, brush, font, origin and clip.
    void Save();
    void Restore();

    // Device-space clip region actually in force (the whole image when there is none).
    QRegion DeviceClip() const;

private:
    struct State {
        TPen pen;
        TBrush brush;
        TFont font;
        TPoint origin;
        QRegion clip;
        bool clipped;
        TPoint penPos;
    };

    QRegion LogicalToDevice(const TRect& r) const;
    void PlotPen(int x, int y);                              // one pen stamp at logical (x, y)
    void PlotRaw(int dx, int dy, TColor rgb, TPenMode mode); // device pixel, clipped
    void FillSpan(int y, int x0, int x1, TColor rgb, TPenMode mode = TPenMode::pmCopy); // logical [x0, x1)
    void DrawLine(TPoint from, TPoint to, bool continueStyle);
    void DrawTextLine(int x, int y, std::string_view text, const QRegion* extraClip);
    void BlitImage(const TRect& dst, const TBitmap& bitmap, bool useMask, TColor maskColor);

    QImage* image_ = nullptr;
    TPoint origin_;
    QRegion clip_;
    bool clipped_ = false;
    int styleCounter_ = 0;
    std::vector<State> saved_;
};

using TCanvas = Canvas;

// Saves the canvas state and restores it on every path.
class CanvasStateSaver {
public:
    explicit CanvasStateSaver(Canvas& canvas) : canvas_(canvas) { canvas_.Save(); }
    ~CanvasStateSaver() { canvas_.Restore(); }
    CanvasStateSaver(const CanvasStateSaver&) = delete;
    CanvasStateSaver& operator=(const CanvasStateSaver&) = delete;

private:
    Canvas& canvas_;
};

// QRgb (0xAARRGGBB) and TColor (0x00BBGGRR) conversions; system colours are resolved first.
unsigned ToQRgb(TColor color);
TColor FromQRgb(unsigned rgb);

} // namespace qm
