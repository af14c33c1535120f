// A dark palette on request, for desktops that hand Qt none: QMHOST_PALETTE=dark.
#pragma once

#include <QPalette>

namespace qm::desk {

// Light text on dark ground, in every colour group.
QPalette DarkPalette();
// With QMHOST_PALETTE=dark the application takes the Fusion style (which follows the palette
// whole) and the dark palette; anything else leaves the desktop's own.
void ApplyPaletteFromEnvironment();

} // namespace qm::desk
