// The flat push button of the child form's title bar: a face in the parent's colour that
// lights up under the pointer and darkens while pressed, a one-pixel frame and a glyph.
#pragma once

#include <functional>
#include <string>

#include <QWidget>

#include "canvas/bitmap.h"
#include "canvas/canvas.h"

namespace qm {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TFlatSpeedButton : public QWidget {
    Q_OBJECT
public:
    explicit TFlatSpeedButton(QWidget* parent = nullptr);
    ~TFlatSpeedButton() override;

    TColor Color() const; // the parent's colour unless set
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TColor ColorFocused() const { return colorFocused_; }
    void SetColorFocused(TColor value) { Set(colorFocused_, value); }
    TColor ColorDown() const { return colorDown_; }
    void SetColorDown(TColor value) { Set(colorDown_, value); }
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor value) { Set(colorBorder_, value); }
    TColor ColorHighLight() const { return colorHighLight_; }
    void SetColorHighLight(TColor value) { Set(colorHighLight_, value); }
    TColor ColorShadow() const { return colorShadow_; }
    void SetColorShadow(TColor value) { Set(colorShadow_, value); }
    int Spacing() const { return spacing_; }
    void SetSpacing(int value) { Set(spacing_, value); }
    int Margin() const { return margin_; }
    void SetMargin(int value) { Set(margin_, value); }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value) { Set(layout_, value); }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { Set(caption_, value); }
    TFont& Font() { return font_; }
    // The glyph; its bottom-left pixel is the transparent colour.
    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& glyph);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }

    // Looks that follow the pointer, kept as state and drawn by the paint pass.
    bool MouseInControl() const { return mouseIn_; }
    bool Down() const { return pressed_ && mouseIn_; }
    void MouseEnter();
    void MouseLeave();

    void PaintTo(Canvas& canvas);
    QImage Render();
    // Where the glyph and the caption go in the client area.
    void CalcLayout(TPoint& glyphPos, TRect& textBounds) const;

    std::function<void()> OnClick;

    // The one pointer-leave timer shared by all buttons (for tests).
    static int TimerUsers();
    // Whether that timer runs: only while some button shows the hover look.
    static bool WatchingPointer();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    virtual void Click();

private:
    template <class T> void Set(T& field, const T& value) {
        field = value;
        update();
    }
    static void CheckPointer();
    static void StopWatchingPointer();

    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TColor colorFocused_ = 0xE1EAEB;
    TColor colorDown_ = 0xC5D6D9;
    TColor colorBorder_ = 0x8396A0;
    TColor colorHighLight_ = clWhite;
    TColor colorShadow_ = clBlack;
    int spacing_ = 4;
    int margin_ = -1;
    TButtonLayout layout_ = TButtonLayout::blGlyphTop;
    std::string caption_;
    TFont font_;
    TBitmap glyph_;
    bool mouseIn_ = false;
    bool pressed_ = false;
};

} // namespace qm
