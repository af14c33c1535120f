// Drawing routines shared by the captioned panel, the title-bar buttons and the tab control.
#pragma once

#include "canvas/canvas.h"

class QWidget;

namespace qm {

// Fills rect with bandCount bands running from fromColor towards toColor (which is never
// reached); horizontal: colour changes from left to right. Neighbouring bands overlap by one
// pixel, and the last band reaches one pixel beyond rect.
void FillGradient(Canvas& canvas, TColor fromColor, TColor toColor, bool horizontal, const TRect& rect,
                  int bandCount);

// A frame of the given width: top and left edges in topColor, bottom and right in bottomColor.
void DrawBevelFrame(Canvas& canvas, const TRect& rect, TColor topColor, TColor bottomColor, int width);

// A parent that can paint its own picture (without its children) into a canvas whose origin
// is its own top-left corner.
class TParentPainter {
public:
    virtual ~TParentPainter() = default;
    virtual void PaintOwnPicture(Canvas& canvas) = 0;
};

// Fills the control's canvas with its parent's picture so that transparent parts show the
// parent: a TParentPainter parent paints itself, any other parent gives its colour.
void PaintParentBackground(const QWidget* control, Canvas& canvas);

} // namespace qm
