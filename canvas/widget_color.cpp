#include "canvas/widget_color.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPalette>
#include <QVariant>
#include <QWidget>

#include "canvas/canvas.h"

namespace qm {

namespace {
constexpr const char* kColorProperty = "qmColor";
}

TColor WidgetColor(const QWidget* widget) {
    if (!widget) return clBtnFace;
    const QVariant v = widget->property(kColorProperty);
    if (v.isValid()) return static_cast<TColor>(v.toULongLong());
    return FromQRgb(widget->palette().color(QPalette::Window).rgb());
}

void SetWidgetColor(QWidget* widget, TColor color) {
    if (!widget) return;
    widget->setProperty(kColorProperty, QVariant::fromValue<qulonglong>(color));
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(ToQRgb(color)));
    widget->setPalette(pal);
    NotifyParentColorChanged(widget);
}

TColor ParentColorOf(const QWidget* widget) {
    if (!widget || !widget->parentWidget()) return clBtnFace;
    return WidgetColor(widget->parentWidget());
}

int ParentColorChangedEventType() {
    static const int type = QEvent::registerEventType();
    return type;
}

void NotifyParentColorChanged(QWidget* parent) {
    if (!parent) return;
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType()) continue;
        QEvent event(static_cast<QEvent::Type>(ParentColorChangedEventType()));
        QCoreApplication::sendEvent(child, &event);
    }
}

} // namespace qm
