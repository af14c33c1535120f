// Hue, saturation and lightness on a scale of 240, and the derived colours of the flat look.
#pragma once

#include "platform/platform.h"

namespace qm {

struct THsl240 {
    int H = 0; // 0 to 239
    int S = 0; // 0 to 240
    int L = 0; // 0 to 240
};

THsl240 ColorToHsl240(TColor color);      // system colours are resolved first
TColor Hsl240ToColor(const THsl240& hsl); // S and L are held to 0 to 240

// A colour a step lighter or darker than flat: lightness + 10, then + step capped at 100 when
// lightening, or − step floored at 0 when darkening; hue and saturation stay. Step 0 keeps flat.
TColor DeriveQmColor(TColor flat, int step, bool lighten);

} // namespace qm
