// The style's own pictures for the toolbar, read without the style's detour.
#pragma once

#include <QIcon>
#include <QStyle>

namespace qm::host {

// The style's standard icon `pixmap`, whose pictures are the style's files `picture`-16.png and
// `picture`-32.png. Where those are exactly what the style would show (its own pictures, no icon
// theme, one device pixel per pixel) they are read directly: the style reads every size of every
// icon, and probes each file against every image plug-in, which costs more than the window's
// first paint. Anywhere else, and when a file is missing, the style answers.
QIcon StyleIcon(QStyle::StandardPixmap pixmap, const char* picture);

} // namespace qm::host
