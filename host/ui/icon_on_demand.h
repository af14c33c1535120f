// An icon read from its file only when something asks for its pictures.
#pragma once

#include <QIcon>
#include <QString>

namespace qm::host {

// The icon of `file`, read the first time a size or a picture of it is asked for. A window's icon
// is drawn only where the window system shows one, and an SVG file loads its icon engine and the
// SVG library when it is read: on a platform that shows no icon that is never.
QIcon IconOnDemand(const QString& file);

} // namespace qm::host
