#include "controls/flat_panel.h"

#include <QEvent>
#include <QMouseEvent>

#include "canvas/widget_color.h"
#include "controls/sizing_hit_test.h"

namespace qm {

TFlatPanel::TFlatPanel(QWidget* parent) : QWidget(parent) {
    resize(185, 41);
    setContentsMargins(1, 1, 1, 1); // child controls align inside the frame
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    captionFont_.OnChange = [this] { Invalidate(); };
    font_.OnChange = [this] {
        parentFont_ = false;
        setFont(ToQFont(font_));
    };
    PublishColor();
}

TFlatPanel::~TFlatPanel() {
    captionFont_.OnChange = nullptr;
    font_.OnChange = nullptr;
}

void TFlatPanel::Invalidate() {
    ++repaints_;
    update();
}

#define QM_PANEL_SETTER(Setter, Type, field)                                                                 \
    void TFlatPanel::Setter(Type value) {                                                                    \
        field = value;                                                                                       \
        Invalidate();                                                                                        \
    }
QM_PANEL_SETTER(SetTransparent, bool, transparent_)
QM_PANEL_SETTER(SetQmCaptionPosition, TQmCaptionPosition, captionPosition_)
QM_PANEL_SETTER(SetQmShowLine, bool, showLine_)
QM_PANEL_SETTER(SetQmCaptionColor, TColor, captionColor_)
QM_PANEL_SETTER(SetQmCaptionColorTo, TColor, captionColorTo_)
QM_PANEL_SETTER(SetQmVerticalGradient, bool, verticalGradient_)
QM_PANEL_SETTER(SetAlignment, TAlignment, alignment_)
QM_PANEL_SETTER(SetCaption, const std::string&, caption_)
#undef QM_PANEL_SETTER

void TFlatPanel::SetMargin(int index, int value) {
    margins_[index] = value;
    Invalidate();
}

void TFlatPanel::SetFrameColor(int index, TColor value) {
    frameColors_[index & 1] = value;
    Invalidate();
}

TColor TFlatPanel::Color() const {
    return parentColor_ ? ParentColorOf(this) : color_;
}

void TFlatPanel::PublishColor() {
    SetWidgetColor(this, Color());
}

void TFlatPanel::SetColor(TColor value) {
    color_ = value;
    parentColor_ = false;
    PublishColor();
    Invalidate();
}

void TFlatPanel::SetParentColor(bool value) {
    if (parentColor_ == value) return;
    if (!value) color_ = Color(); // keeps the colour it shows
    parentColor_ = value;
    PublishColor();
    Invalidate();
}

void TFlatPanel::SetParentFont(bool value) {
    parentFont_ = value;
    if (value)
        setFont(QFont());
    else
        setFont(ToQFont(font_));
}

bool TFlatPanel::event(QEvent* e) {
    if (e->type() == ParentColorChangedEventType()) {
        if (parentColor_) {
            PublishColor();
            Invalidate();
        } else if (transparent_) {
            Invalidate();
        }
        return true;
    }
    if (e->type() == QEvent::ParentChange && parentColor_) PublishColor();
    return QWidget::event(e);
}

void TFlatPanel::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) Invalidate();
}

int TFlatPanel::HitTest(QPoint screenPos) const {
    if (!canChangeSize_ || designing_) return HTCLIENT;
    const QPoint corner = mapToGlobal(QPoint(width(), height()));
    return SizingHitTest(corner.x(), corner.y(), screenPos.x(), screenPos.y(), 2);
}

namespace {
Qt::CursorShape CursorFor(int code) {
    switch (code) {
    case HTBOTTOMRIGHT:
        return Qt::SizeFDiagCursor;
    case HTRIGHT:
        return Qt::SizeHorCursor;
    case HTBOTTOM:
        return Qt::SizeVerCursor;
    default:
        return Qt::ArrowCursor;
    }
}
} // namespace

void TFlatPanel::mousePressEvent(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    const int code = e->button() == Qt::LeftButton ? HitTest(global) : HTCLIENT;
    if (code != HTCLIENT) {
        sizing_ = code;
        sizingStart_ = global;
        sizingStartSize_ = size();
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void TFlatPanel::mouseMoveEvent(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    if (sizing_ != 0) {
        const QPoint d = global - sizingStart_;
        QSize next = sizingStartSize_;
        if (sizing_ != HTBOTTOM) next.setWidth(std::max(4, next.width() + d.x()));
        if (sizing_ != HTRIGHT) next.setHeight(std::max(4, next.height() + d.y()));
        resize(next);
        return;
    }
    if (canChangeSize_) setCursor(CursorFor(HitTest(global)));
    QWidget::mouseMoveEvent(e);
}

void TFlatPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (sizing_ != 0) {
        sizing_ = 0;
        return;
    }
    QWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        if (OnClick) OnClick();
        emit clicked();
    }
}

void TFlatPanel::mouseDoubleClickEvent(QMouseEvent* e) {
    QWidget::mouseDoubleClickEvent(e);
    if (OnDblClick) OnDblClick();
}

void TFlatPanel::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (OnResize) OnResize();
}

} // namespace qm
