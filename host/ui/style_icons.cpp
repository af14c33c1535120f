#include "host/ui/style_icons.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>

namespace qm::host {

namespace {

bool StylePicturesShown() {
    return QApplication::style()->name() == QLatin1String("fusion") && QIcon::themeName().isEmpty() &&
           qApp->devicePixelRatio() == 1.0;
}

} // namespace

QIcon StyleIcon(QStyle::StandardPixmap pixmap, const char* picture) {
    if (StylePicturesShown()) {
        QIcon icon;
        for (int size : {16, 32}) {
            QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                                    .arg(QLatin1String(picture))
                                    .arg(size),
                                "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (image.isNull()) return QApplication::style()->standardIcon(pixmap);
            icon.addPixmap(QPixmap::fromImage(image));
        }
        return icon;
    }
    return QApplication::style()->standardIcon(pixmap);
}

} // namespace qm::host
