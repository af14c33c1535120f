#include "controls/flat_speed_button.h"

#include <QCursor>
#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "canvas/draw_routines.h"
#include "canvas/widget_color.h"

namespace qm {

namespace {

// One 100 ms timer for all buttons: a pointer that left a button without a leave event (the
// window lost it, a capture ended elsewhere) still clears the hover look. It runs only while a
// button shows the hover look, so that an idle window sleeps.
struct SharedTimer {
    QTimer* timer = nullptr;
    int users = 0;
    QPointer<TFlatSpeedButton> hovered;
};
SharedTimer& Shared() {
    static SharedTimer shared;
    return shared;
}

} // namespace

TFlatSpeedButton::TFlatSpeedButton(QWidget* parent) : QWidget(parent) {
    resize(25, 25);
    setMouseTracking(true);
    font_.OnChange = [this] { update(); };
    auto& shared = Shared();
    if (shared.users++ == 0) {
        shared.timer = new QTimer();
        shared.timer->setInterval(100);
        QObject::connect(shared.timer, &QTimer::timeout, &TFlatSpeedButton::CheckPointer);
    }
}

TFlatSpeedButton::~TFlatSpeedButton() {
    font_.OnChange = nullptr;
    auto& shared = Shared();
    if (shared.hovered == this) StopWatchingPointer();
    if (--shared.users == 0) {
        delete shared.timer;
        shared.timer = nullptr;
    }
}

int TFlatSpeedButton::TimerUsers() {
    return Shared().timer ? Shared().users : 0;
}

bool TFlatSpeedButton::WatchingPointer() {
    return Shared().timer && Shared().timer->isActive();
}

void TFlatSpeedButton::StopWatchingPointer() {
    auto& shared = Shared();
    shared.hovered = nullptr;
    if (shared.timer) shared.timer->stop();
}

void TFlatSpeedButton::CheckPointer() {
    TFlatSpeedButton* b = Shared().hovered;
    if (!b) {
        StopWatchingPointer();
        return;
    }
    if (!b->rect().contains(b->mapFromGlobal(QCursor::pos())) || !b->isVisible()) b->MouseLeave();
}

TColor TFlatSpeedButton::Color() const {
    return parentColor_ ? ParentColorOf(this) : color_;
}

void TFlatSpeedButton::SetColor(TColor value) {
    color_ = value;
    parentColor_ = false;
    update();
}

void TFlatSpeedButton::SetParentColor(bool value) {
    parentColor_ = value;
    update();
}

void TFlatSpeedButton::SetGlyph(const TBitmap& glyph) {
    glyph_ = glyph;
    glyph_.Transparent = true;
    update();
}

void TFlatSpeedButton::MouseEnter() {
    if (!isEnabled() || mouseIn_) return;
    mouseIn_ = true;
    Shared().hovered = this;
    if (Shared().timer) Shared().timer->start();
    update();
}

void TFlatSpeedButton::MouseLeave() {
    if (!mouseIn_) return;
    mouseIn_ = false;
    if (Shared().hovered == this) StopWatchingPointer();
    update();
}

void TFlatSpeedButton::enterEvent(QEnterEvent* e) {
    QWidget::enterEvent(e);
    MouseEnter();
}

void TFlatSpeedButton::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    MouseLeave();
}

void TFlatSpeedButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isEnabled()) {
        pressed_ = true;
        mouseIn_ = rect().contains(e->position().toPoint());
        update();
    }
    QWidget::mousePressEvent(e);
}

void TFlatSpeedButton::mouseMoveEvent(QMouseEvent* e) {
    if (pressed_) {
        const bool inside = rect().contains(e->position().toPoint());
        if (inside != mouseIn_) {
            mouseIn_ = inside;
            update();
        }
    }
    QWidget::mouseMoveEvent(e);
}

void TFlatSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    QWidget::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    update();
    if (rect().contains(e->position().toPoint())) Click();
}

void TFlatSpeedButton::Click() {
    if (OnClick) OnClick();
    emit clicked();
}

void TFlatSpeedButton::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            pressed_ = false;
            MouseLeave();
        }
        update();
    }
}

bool TFlatSpeedButton::event(QEvent* e) {
    if (e->type() == ParentColorChangedEventType()) {
        if (parentColor_) update();
        return true;
    }
    return QWidget::event(e);
}

void TFlatSpeedButton::CalcLayout(TPoint& glyphPos, TRect& textBounds) const {
    const int cw = width(), ch = height();
    const int gw = glyph_.Empty() ? 0 : glyph_.Width(), gh = glyph_.Empty() ? 0 : glyph_.Height();
    TSize text{};
    if (!caption_.empty()) {
        TBitmap probe(1, 1);
        probe.GetCanvas().Font.Assign(font_);
        TRect r = Rect(0, 0, cw, 0);
        probe.GetCanvas().DrawText(caption_, r, DT_CALCRECT | DT_SINGLELINE);
        text = {r.Width(), r.Height()};
    }
    const bool across = layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphRight;
    TPoint g{}, t{};
    if (across) {
        g.Y = (ch - gh + 1) / 2;
        t.Y = (ch - text.cy + 1) / 2;
    } else {
        g.X = (cw - gw + 1) / 2;
        t.X = (cw - text.cx + 1) / 2;
    }
    int spacing = (text.cx == 0 || gw == 0) ? 0 : spacing_;
    int margin = margin_;
    if (margin == -1) {
        if (spacing == -1) {
            const int total = across ? gw + text.cx : gh + text.cy;
            margin = ((across ? cw : ch) - total) / 3;
            spacing = margin;
        } else {
            const int total = across ? gw + text.cx : gh + text.cy;
            margin = ((across ? cw : ch) - total - spacing) / 2;
        }
    } else if (spacing == -1) {
        const int total = across ? cw - (margin + gw) : ch - (margin + gh);
        spacing = (total - (across ? text.cx : text.cy)) / 2;
    }
    switch (layout_) {
    case TButtonLayout::blGlyphLeft:
        g.X = margin;
        t.X = g.X + gw + spacing;
        break;
    case TButtonLayout::blGlyphRight:
        g.X = cw - margin - gw;
        t.X = g.X - spacing - text.cx;
        break;
    case TButtonLayout::blGlyphTop:
        g.Y = margin;
        t.Y = g.Y + gh + spacing;
        break;
    case TButtonLayout::blGlyphBottom:
        g.Y = ch - margin - gh;
        t.Y = g.Y - spacing - text.cy;
        break;
    }
    glyphPos = g;
    textBounds = Bounds(t.X, t.Y, text.cx, text.cy);
}

void TFlatSpeedButton::PaintTo(Canvas& canvas) {
    CanvasStateSaver saver(canvas);
    const TRect r = Rect(0, 0, width(), height());
    const bool enabled = isEnabled();
    TColor face = Color(), top = colorBorder_, bottom = colorBorder_;
    if (enabled && Down()) {
        face = colorDown_;
        top = colorShadow_;
        bottom = colorHighLight_;
    } else if (enabled && mouseIn_) {
        face = colorFocused_;
        top = colorHighLight_;
        bottom = colorShadow_;
    }
    canvas.Brush = TBrush{face, TBrushStyle::bsSolid};
    canvas.FillRect(r);
    DrawBevelFrame(canvas, r, top, bottom, 1);

    TPoint g;
    TRect text;
    CalcLayout(g, text);
    if (!glyph_.Empty()) {
        if (enabled) {
            canvas.Draw(g.X, g.Y, glyph_);
        } else {
            canvas.DrawMask(g.X + 1, g.Y + 1, glyph_, clBtnHighlight);
            canvas.DrawMask(g.X, g.Y, glyph_, clBtnShadow);
        }
    }
    if (!caption_.empty()) {
        canvas.Font.Assign(font_);
        canvas.Brush.Style = TBrushStyle::bsClear;
        const unsigned flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (enabled) {
            canvas.DrawText(caption_, text, flags);
        } else {
            TRect moved = OffsetRect(text, 1, 1);
            canvas.Font.SetColor(clBtnHighlight);
            canvas.DrawText(caption_, moved, flags);
            canvas.Font.SetColor(clBtnShadow);
            canvas.DrawText(caption_, text, flags);
        }
    }
}

QImage TFlatSpeedButton::Render() {
    QImage picture(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    picture.fill(0xFFFFFFFFu);
    Canvas canvas(&picture);
    PaintTo(canvas);
    return picture;
}

void TFlatSpeedButton::paintEvent(QPaintEvent*) {
    const QImage picture = Render();
    QPainter(this).drawImage(0, 0, picture);
}

} // namespace qm
