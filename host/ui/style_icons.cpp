#include "host/ui/style_icons.h"

#include "host/ui/host_style.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>

namespace qm::host {

QIcon StylePictures(const QStyle& style, const char* picture, std::span<const int> sizes) {
    if (style.name() != QLatin1String("fusion") || !QIcon::themeName().isEmpty() ||
        qApp->devicePixelRatio() != 1.0)
        return {};
    QIcon icon;
    for (int size : sizes) {
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                                .arg(QLatin1String(picture))
                                .arg(size),
                            "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (image.isNull()) return {};
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon StyleIcon(QStyle::StandardPixmap pixmap, const char* picture) {
    QStyle* style = QApplication::style();
    static constexpr int kSizes[] = {16, 32};
    const QIcon icon = StylePictures(BaseStyle(*style), picture, kSizes);
    return icon.isNull() ? style->standardIcon(pixmap) : icon;
}

} // namespace qm::host
