#include "controls/flat_look.h"

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QImage>
#include <QPainter>

#include "canvas/draw_routines.h"
#include "canvas/widget_color.h"
#include "controls/hsl_colors.h"

namespace qm {

TQmFlatControl::TQmFlatControl(QWidget* parent) : QWidget(parent) {
    resize(121, 21);
    // The look depends on which control is active, so every focus move redraws.
    connect(qApp, &QApplication::focusChanged, this, [this] { Redraw(); });
}

TQmFlatControl::~TQmFlatControl() {
    // The editor dies with the widget base; nothing may reach it through a late focus change.
    disconnect(qApp, nullptr, this, nullptr);
    if (editor_) editor_->removeEventFilter(this);
    editor_ = nullptr;
}

void TQmFlatControl::SetEditor(QWidget* editor) {
    if (editor_) {
        editor_->removeEventFilter(this);
        editor_->hide();
        editor_->deleteLater();
    }
    editor_ = editor;
    if (!editor_) return;
    editor_->setParent(this);
    editor_->installEventFilter(this);
    PlaceEditor();
    ApplyReadOnly(readOnly_);
    Redraw();
    editor_->show();
}

int TQmFlatControl::FrameMargin() const {
    if (FlatLook()) return 3;
    return ctl3D_ ? 2 : 1;
}

void TQmFlatControl::PlaceEditor() {
    if (!editor_) return;
    const int m = FrameMargin();
    editor_->setGeometry(rect().adjusted(m, m, -m, -m));
}

void TQmFlatControl::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PlaceEditor();
}

// ---------------------------------------------------------------- colours

void TQmFlatControl::SetColorFocused(TColor value) {
    if (!FlatLook()) return;
    colorFocused_ = value;
    Redraw();
}

void TQmFlatControl::SetColorBorder(TColor value) {
    if (!FlatLook()) return;
    colorBorder_ = value;
    Redraw();
}

void TQmFlatControl::SetColorFlat(TColor value) {
    if (!FlatLook()) return;
    colorFlat_ = value;
    parentColor_ = false;
    Redraw();
}

void TQmFlatControl::SetParentColor(bool value) {
    if (!FlatLook() || parentColor_ == value) return;
    parentColor_ = value;
    if (value) colorFlat_ = ParentColorOf(this);
    Redraw();
}

void TQmFlatControl::SetUseQmColors(bool value) {
    if (useQmColors_ == value) return;
    useQmColors_ = value;
    SetParentColor(value);
    DeriveColors();
    Redraw();
}

void TQmFlatControl::SetQmColorFocused(int step) {
    qmColorFocused_ = std::clamp(step, 0, 100);
    if (!useQmColors_) return;
    DeriveColors();
    Redraw();
}

void TQmFlatControl::SetQmColorBorder(int step) {
    qmColorBorder_ = std::clamp(step, 0, 100);
    if (!useQmColors_) return;
    DeriveColors();
    Redraw();
}

void TQmFlatControl::DeriveColors() {
    if (!useQmColors_) return;
    colorFocused_ = DeriveQmColor(colorFlat_, qmColorFocused_, true);
    colorBorder_ = DeriveQmColor(colorFlat_, qmColorBorder_, false);
}

void TQmFlatControl::ParentColorChanged() {
    if (!FlatLook()) return;
    if (useQmColors_ || parentColor_) {
        colorFlat_ = ParentColorOf(this);
        DeriveColors();
    }
    Redraw();
}

void TQmFlatControl::SetCtl3D(bool value) {
    ctl3D_ = value;
    PlaceEditor();
    Redraw();
}

void TQmFlatControl::SetBorderStyle(TBorderStyle value) {
    borderStyle_ = value;
    PlaceEditor();
    Redraw();
}

void TQmFlatControl::SetColor(TColor value) {
    color_ = value;
    Redraw();
}

TColor TQmFlatControl::Color() const {
    if (!FlatLook()) return color_;
    return PlainLook() ? colorFlat_ : colorFocused_;
}

void TQmFlatControl::SetReadOnly(bool value) {
    readOnly_ = value;
    ApplyReadOnly(value);
}

void TQmFlatControl::SetDesigning(bool value) {
    designing_ = value;
    Redraw();
}

void TQmFlatControl::ApplyReadOnly(bool) {}

// ---------------------------------------------------------------- state of the look

bool TQmFlatControl::Focused() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

namespace {
// Whether the active control is one of the data edit controls.
bool ActiveIsFlatControl() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (qobject_cast<TQmFlatControl*>(w)) return true;
    return false;
}
} // namespace

bool TQmFlatControl::PlainLook() const {
    return designing_ || (!Focused() && (!mouseIn_ || ActiveIsFlatControl()));
}

void TQmFlatControl::MouseEnter() {
    if (!QApplication::activeWindow()) return;
    mouseIn_ = true;
    Redraw();
}

void TQmFlatControl::MouseLeave() {
    mouseIn_ = false;
    Redraw();
}

void TQmFlatControl::enterEvent(QEnterEvent* e) {
    QWidget::enterEvent(e);
    MouseEnter();
}

void TQmFlatControl::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    MouseLeave();
}

bool TQmFlatControl::event(QEvent* e) {
    if (e->type() == ParentColorChangedEventType()) {
        ParentColorChanged();
        return true;
    }
    return QWidget::event(e);
}

bool TQmFlatControl::eventFilter(QObject* watched, QEvent* e) {
    if (watched == editor_ && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)) Redraw();
    return QWidget::eventFilter(watched, e);
}

void TQmFlatControl::Redraw() {
    ++redraws_;
    ApplyLookColor(Color());
    update();
}

void TQmFlatControl::ApplyLookColor(TColor color) {
    if (!editor_) return;
    QPalette pal = editor_->palette();
    pal.setColor(QPalette::Base, QColor::fromRgb(ToQRgb(color)));
    pal.setColor(QPalette::Window, QColor::fromRgb(ToQRgb(color)));
    editor_->setPalette(pal);
}

// ---------------------------------------------------------------- painting

void TQmFlatControl::PaintFrame(Canvas& canvas) const {
    CanvasStateSaver saver(canvas);
    const TRect r = Rect(0, 0, width(), height());
    canvas.Brush.Style = TBrushStyle::bsSolid;
    if (FlatLook()) {
        const bool plain = PlainLook();
        const TColor inner = plain ? colorFlat_ : colorFocused_;
        canvas.Brush.Color = colorBorder_;
        canvas.FrameRect(r);
        canvas.Brush.Color = inner;
        canvas.FrameRect(InflateRect(r, -1, -1));
        canvas.FrameRect(InflateRect(r, -2, -2));
        canvas.FillRect(InflateRect(r, -3, -3));
        return;
    }
    canvas.Brush.Color = color_;
    canvas.FillRect(r);
    if (ctl3D_) {
        DrawBevelFrame(canvas, r, clBtnShadow, clBtnHighlight, 1);
        DrawBevelFrame(canvas, InflateRect(r, -1, -1), cl3DDkShadow, cl3DLight, 1);
    } else {
        canvas.Brush.Color = clBlack;
        canvas.FrameRect(r);
    }
}

QImage TQmFlatControl::Render() const {
    QImage picture(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    picture.fill(0xFFFFFFFFu);
    Canvas canvas(&picture);
    PaintFrame(canvas);
    return picture;
}

void TQmFlatControl::paintEvent(QPaintEvent*) {
    const QImage picture = Render();
    QPainter(this).drawImage(0, 0, picture);
}

} // namespace qm
