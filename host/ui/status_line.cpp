#include "host/ui/status_line.h"

#include <QPainter>
#include <QStyleOption>

namespace qm::host {

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {
    connect(this, &QStatusBar::messageChanged, this, [this] { UpdateToolTip(); });
}

QRect StatusLine::TextRect() const {
    // Where the bar itself puts its message: left of the size grip and of the lasting widgets.
    int right = width() - 6 - (isSizeGripEnabled() ? 16 : 0);
    for (const QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && w->x() > 0) right = std::min(right, w->x() - 6);
    return QRect(6, 0, std::max(0, right - 6), height());
}

QString StatusLine::ShownText() const {
    return fontMetrics().elidedText(currentMessage(), Qt::ElideRight, TextRect().width());
}

void StatusLine::UpdateToolTip() {
    const QString message = currentMessage();
    const bool cut = ShownText() != message;
    // Rich text, so that a long message wraps instead of running off the screen.
    setToolTip(cut ? "<p style='white-space:pre-wrap'>" + message.toHtmlEscaped() + "</p>" : QString());
}

void StatusLine::paintEvent(QPaintEvent* event) {
    if (currentMessage().isEmpty()) return QStatusBar::paintEvent(event);
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    painter.setPen(palette().windowText().color());
    painter.drawText(TextRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, ShownText());
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    UpdateToolTip();
}

} // namespace qm::host
