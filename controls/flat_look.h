// The flat look shared by the data edit controls: a three-pixel margin holding an outer frame
// and two inner frames, plain or focused, around an editor widget.
#pragma once

#include <QWidget>

#include "canvas/canvas.h"

namespace qm {

enum class TBorderStyle { bsNone, bsSingle };

class TQmFlatControl : public QWidget {
    Q_OBJECT
public:
    explicit TQmFlatControl(QWidget* parent = nullptr);
    ~TQmFlatControl() override;

    // ---- colours of the flat look (setters do nothing while the control is not flat)
    TColor ColorFocused() const { return colorFocused_; }
    void SetColorFocused(TColor value);
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor value);
    TColor ColorFlat() const { return colorFlat_; }
    void SetColorFlat(TColor value); // also turns ParentColor off
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    int QmColorFocused() const { return qmColorFocused_; }
    void SetQmColorFocused(int step); // 0 to 100
    int QmColorBorder() const { return qmColorBorder_; }
    void SetQmColorBorder(int step);
    bool UseQmColors() const { return useQmColors_; }
    void SetUseQmColors(bool value);

    // ---- the non-flat looks
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TColor Color() const;        // the colour of the current look
    void SetColor(TColor value); // the control's colour outside the flat look
    bool FlatLook() const { return !ctl3D_ && borderStyle_ == TBorderStyle::bsNone; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    bool Designing() const { return designing_; }
    void SetDesigning(bool value);

    // ---- state of the look
    bool MouseInControl() const { return mouseIn_; }
    bool Focused() const;
    bool PlainLook() const;
    void MouseEnter(); // only while a window of the application is active
    void MouseLeave();
    int RedrawCount() const { return redraws_; }

    // The frame in the margin, into a canvas whose origin is the control's top-left corner.
    void PaintFrame(Canvas& canvas) const;
    QImage Render() const;
    int FrameMargin() const; // 3 in the flat look

    // The parent's colour changed (the toolkit event arrives here too).
    virtual void ParentColorChanged();

protected:
    // The editor that fills the client area; subclasses create it.
    QWidget* Editor() const { return editor_; }
    void SetEditor(QWidget* editor);
    // Puts the look's colour into the editor (and the scroll-bar corner).
    virtual void ApplyLookColor(TColor color);
    // The editor follows ReadOnly.
    virtual void ApplyReadOnly(bool readOnly);
    virtual void Redraw();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DeriveColors();
    void PlaceEditor();

    TColor colorFocused_ = clWhite;
    TColor colorBorder_ = 0x8396A0;
    TColor colorFlat_ = clWhite;
    bool parentColor_ = false;
    int qmColorFocused_ = 10;
    int qmColorBorder_ = 50;
    bool useQmColors_ = false;
    bool ctl3D_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    TColor color_ = clWindow;
    bool readOnly_ = false;
    bool designing_ = false;
    bool mouseIn_ = false;
    int redraws_ = 0;
    QWidget* editor_ = nullptr;
};

} // namespace qm
