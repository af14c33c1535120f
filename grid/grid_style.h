// The grid's designed look: row heights, row and fixed-cell colours, fonts.
#pragma once

#include <QColor>
#include <QFont>

#include "canvas/font.h"
#include "platform/platform.h"

namespace qm {

struct TQmGridStyle {
    int RowHeight = 18;
    int TitleHeight = 16;
    TColor EvenRowColor = 0xFFC4C4; // rows whose record number is even
    TColor OddRowColor = 0xFFDDDD;
    TColor FixedColor = 0xC6D7D9; // titles and the indicator column
    TColor FontColor = clWindowText;
    int FontPixelSize = 12;
};

// The family the forms ask for; the application maps it to an installed font.
inline constexpr const char* GridFontFamily = "SimSun";

namespace gridimpl {

// 0x00BBGGRR (or a system colour) to a Qt colour; clNone gives an invalid colour.
inline QColor ToQColor(TColor color) {
    if (color == clNone) return {};
    const TColor rgb = ColorToRGB(color);
    return QColor(static_cast<int>(GetRValue(rgb)), static_cast<int>(GetGValue(rgb)),
                  static_cast<int>(GetBValue(rgb)));
}

inline QFont GridFont(int pixelSize) {
    QFont font(InstalledFamily(QString::fromUtf8(GridFontFamily)));
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace gridimpl
} // namespace qm
