#include "controls/hsl_colors.h"

#include <algorithm>
#include <cmath>

namespace qm {

THsl240 ColorToHsl240(TColor color) {
    const TColor c = ColorToRGB(color);
    const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    double h = 0, s = 0;
    if (mx != mn) {
        const double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r)
            h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
    }
    THsl240 out;
    out.H = static_cast<int>(std::lround(h * 240)) % 240;
    out.S = static_cast<int>(std::lround(s * 240));
    out.L = static_cast<int>(std::lround(l * 240));
    return out;
}

namespace {
double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}
unsigned ToByte(double v) {
    return static_cast<unsigned>(std::clamp(std::lround(v * 255), 0L, 255L));
}
} // namespace

TColor Hsl240ToColor(const THsl240& hsl) {
    const double h = (((hsl.H % 240) + 240) % 240) / 240.0;
    const double s = std::clamp(hsl.S, 0, 240) / 240.0;
    const double l = std::clamp(hsl.L, 0, 240) / 240.0;
    if (s == 0) return RGB(ToByte(l), ToByte(l), ToByte(l));
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    return RGB(ToByte(HueToChannel(p, q, h + 1.0 / 3)), ToByte(HueToChannel(p, q, h)),
               ToByte(HueToChannel(p, q, h - 1.0 / 3)));
}

TColor DeriveQmColor(TColor flat, int step, bool lighten) {
    if (step == 0) return flat;
    THsl240 hsl = ColorToHsl240(flat);
    int l = hsl.L + 10;
    if (lighten)
        l = std::min(l + step, 100);
    else
        l = std::max(l - step, 0);
    hsl.L = l;
    return Hsl240ToColor(hsl);
}

} // namespace qm
