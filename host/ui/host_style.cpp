#include "host/ui/host_style.h"

#include "host/ui/style_icons.h"

#include <QApplication>
#include <QStyleOption>

#include <iterator>
#include <span>
#include <type_traits>

namespace qm::host {

namespace {

struct ReadPicture {
    QStyle::StandardPixmap Pixmap;
    const char* Picture;
    std::span<const int> Sizes;
};

constexpr int kExtensionSizes[] = {8, 16, 32};
constexpr int kClearSizes[] = {16};

// Left to right only: the style mirrors some of them otherwise.
constexpr ReadPicture kRead[] = {
    {QStyle::SP_ToolBarHorizontalExtensionButton, "toolbar-ext-h", kExtensionSizes},
    {QStyle::SP_LineEditClearButton, "cleartext", kClearSizes},
};

} // namespace

QIcon HostStyle::standardIcon(StandardPixmap pixmap, const QStyleOption* option,
                              const QWidget* widget) const {
    static_assert(std::size(kRead) == std::extent_v<decltype(FRead)>);
    const Qt::LayoutDirection direction = option ? option->direction : QGuiApplication::layoutDirection();
    for (std::size_t i = 0; i < std::size(kRead) && direction == Qt::LeftToRight; ++i)
        if (kRead[i].Pixmap == pixmap) {
            if (FRead[i].isNull()) FRead[i] = StylePictures(*baseStyle(), kRead[i].Picture, kRead[i].Sizes);
            if (!FRead[i].isNull()) return FRead[i];
        }
    return QProxyStyle::standardIcon(pixmap, option, widget);
}

const QStyle& BaseStyle(const QStyle& style) {
    const auto* host = dynamic_cast<const HostStyle*>(&style);
    return host ? *host->baseStyle() : style;
}

void UseHostStyle() {
    QApplication::setStyle(new HostStyle);
}

} // namespace qm::host
