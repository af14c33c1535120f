// The style's own pictures for the toolbar, read without the style's detour.
#pragma once

#include <QIcon>
#include <QStyle>

#include <span>

namespace qm::host {

// The style's files `picture`-N.png, one pixmap for each N of `sizes`, where those are exactly
// what `style` would show (its own pictures, no icon theme, one device pixel per pixel); a null
// icon anywhere else and when a file is missing. They are read as PNG directly: the style probes
// each file against every image plug-in, which loads them all and costs more than the window's
// first paint.
QIcon StylePictures(const QStyle& style, const char* picture, std::span<const int> sizes);

// The application style's standard icon `pixmap`, whose pictures are the style's files
// `picture`-16.png and `picture`-32.png, read as above where that is the same icon.
QIcon StyleIcon(QStyle::StandardPixmap pixmap, const char* picture);

} // namespace qm::host
