#include "host/desk/palette_icons.h"

#include <QAction>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QToolBar>

namespace qm::desk {

namespace {

// The icon as the module or the style gave it, kept on the action.
constexpr char kOriginal[] = "qmOriginalIcon";

bool Dark(const QColor& c) {
    return c.lightness() < 128;
}

QImage Outline(const QImage& source, const QColor& rim) {
    const int w = source.width(), h = source.height();
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    // A pixel of the rim: transparent itself, next to a visible dark pixel of the icon.
    auto darkInk = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return false;
        const QColor c = source.pixelColor(x, y);
        return c.alpha() > 96 && c.lightness() < 128;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (source.pixelColor(x, y).alpha() > 96) continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && darkInk(x + dx, y + dy)) {
                        out.setPixelColor(x, y, rim);
                        dx = dy = 2;
                    }
        }
    QPainter painter(&out);
    painter.drawImage(0, 0, source);
    return out;
}

} // namespace

QIcon OutlinedFor(const QIcon& icon, const QPalette& palette, int size) {
    if (icon.isNull() || !Dark(palette.color(QPalette::Button))) return icon;
    const QColor rim = palette.color(QPalette::ButtonText);
    QIcon out;
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
        const QImage source =
            icon.pixmap(QSize(size, size), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
        out.addPixmap(QPixmap::fromImage(Outline(source, rim)), mode);
    }
    return out;
}

PaletteIcons::PaletteIcons(QToolBar& bar) : QObject(&bar), FBar(bar) {
    bar.installEventFilter(this);
    Refresh();
}

bool PaletteIcons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FBar && (event->type() == QEvent::ActionAdded || event->type() == QEvent::PaletteChange))
        Refresh();
    return false;
}

void PaletteIcons::Refresh() {
    if (FRefreshing) return;
    FRefreshing = true;
    const int size = FBar.iconSize().width();
    for (QAction* action : FBar.actions()) {
        QVariant original = action->property(kOriginal);
        if (!original.isValid()) {
            original = QVariant::fromValue(action->icon());
            action->setProperty(kOriginal, original);
        }
        action->setIcon(OutlinedFor(original.value<QIcon>(), FBar.palette(), size));
    }
    FRefreshing = false;
}

} // namespace qm::desk
