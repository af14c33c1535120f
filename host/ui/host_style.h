// The host's application style: the platform's own, with a few of its pictures read directly.
#pragma once

#include <QIcon>
#include <QProxyStyle>

namespace qm::host {

// Every menu bar and toolbar makes an overflow button as it is built, and every line edit with a
// clear button its picture; the style reads those through the image plug-in probe (see
// StylePictures), which loads every image plug-in at start-up for buttons that are hidden while
// everything fits and nothing is typed. This style answers those pictures from the same files read
// as PNG, each once; everything else is the platform style's.
class HostStyle final : public QProxyStyle {
public:
    HostStyle() = default;
    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QIcon FRead[2]; // one per picture read directly, once asked for
};

// The style whose pictures `style` shows: the base of the host's style, else `style` itself.
const QStyle& BaseStyle(const QStyle& style);

// Makes HostStyle the application's style; before any widget is built.
void UseHostStyle();

} // namespace qm::host
