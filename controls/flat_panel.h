// The container panel of the data forms: flat background, a one-pixel two-colour frame and a
// caption drawn over the whole panel or set as a band in the top-left corner.
#pragma once

#include <functional>
#include <string>

#include <QWidget>

#include "base/alignment.h"
#include "canvas/canvas.h"
#include "canvas/draw_routines.h"

namespace qm {

enum class TQmCaptionPosition { cpNone, cpLeftTop };

class TFlatPanel : public QWidget, public TParentPainter {
    Q_OBJECT
public:
    explicit TFlatPanel(QWidget* parent = nullptr);
    ~TFlatPanel() override;

    // ---- own properties; every setter repaints except SetQmCanChangeSize
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TQmCaptionPosition QmCaptionPosition() const { return captionPosition_; }
    void SetQmCaptionPosition(TQmCaptionPosition value);
    bool QmShowLine() const { return showLine_; }
    void SetQmShowLine(bool value);
    int QmMarginTop() const { return margins_[0]; }
    int QmMarginBottom() const { return margins_[1]; }
    int QmMarginLeft() const { return margins_[2]; }
    int QmMarginRight() const { return margins_[3]; }
    void SetQmMarginTop(int value) { SetMargin(0, value); }
    void SetQmMarginBottom(int value) { SetMargin(1, value); }
    void SetQmMarginLeft(int value) { SetMargin(2, value); }
    void SetQmMarginRight(int value) { SetMargin(3, value); }
    // Owned; setting copies the attributes, and any later change repaints.
    TFont& QmCaptionFont() { return captionFont_; }
    const TFont& QmCaptionFont() const { return captionFont_; }
    void SetQmCaptionFont(const TFont& font) { captionFont_.Assign(font); }
    TColor QmCaptionColor() const { return captionColor_; }
    void SetQmCaptionColor(TColor value);
    TColor QmCaptionColorTo() const { return captionColorTo_; }
    void SetQmCaptionColorTo(TColor value);
    bool QmVerticalGradient() const { return verticalGradient_; }
    void SetQmVerticalGradient(bool value);
    bool QmCanChangeSize() const { return canChangeSize_; }
    void SetQmCanChangeSize(bool value) { canChangeSize_ = value; }
    // Index 0: ColorHighLight, 1: ColorShadow.
    TColor FrameColor(int index) const { return frameColors_[index & 1]; }
    void SetFrameColor(int index, TColor value);
    TColor ColorHighLight() const { return FrameColor(0); }
    void SetColorHighLight(TColor value) { SetFrameColor(0, value); }
    TColor ColorShadow() const { return FrameColor(1); }
    void SetColorShadow(TColor value) { SetFrameColor(1, value); }

    // ---- inherited panel properties
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    TColor Color() const;
    void SetColor(TColor value); // also turns ParentColor off
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    // The font children inherit; not used for the caption.
    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }
    // Design-time state: the sizing edges are off while designing.
    bool Designing() const { return designing_; }
    void SetDesigning(bool value) { designing_ = value; }

    // ---- painting and hit testing
    // Paints the whole panel into a canvas whose origin is the panel's top-left corner.
    void PaintTo(Canvas& canvas);
    // The picture of one piece of the panel, in the panel's coordinates.
    QImage Render(const QRect& piece);
    void PaintOwnPicture(Canvas& canvas) override { PaintTo(canvas); }
    // Sizing hit test at a screen position: HTRIGHT, HTBOTTOM, HTBOTTOMRIGHT or HTCLIENT.
    int HitTest(QPoint screenPos) const;
    int RepaintCount() const { return repaints_; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnResize;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Repaint request; counts for tests.
    virtual void Invalidate();

private:
    void SetMargin(int index, int value);
    void PublishColor();
    void PaintCaptionNone(Canvas& canvas, const TRect& r);
    void PaintCaptionLeftTop(Canvas& canvas, const TRect& r);
    void DrawEmbossable(Canvas& canvas, const std::string& text, TRect r, unsigned flags);

    bool transparent_ = false;
    TQmCaptionPosition captionPosition_ = TQmCaptionPosition::cpNone;
    bool showLine_ = false;
    int margins_[4] = {3, 3, 3, 3};
    TFont captionFont_;
    TColor captionColor_ = clNone;
    TColor captionColorTo_ = clNone;
    bool verticalGradient_ = true;
    bool canChangeSize_ = false;
    TColor frameColors_[2] = {0x8396A0, 0x8396A0};
    std::string caption_;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TFont font_;
    bool parentFont_ = true;
    TAlignment alignment_ = TAlignment::taCenter;
    bool designing_ = false;
    int repaints_ = 0;
    int sizing_ = 0; // the sizing edge being dragged, 0 when none
    QPoint sizingStart_;
    QSize sizingStartSize_;
};

} // namespace qm
