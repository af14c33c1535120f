// A font as the forms describe it: family, pixel height, style, colour and escapement.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

class QFont;
class QString;

namespace qm {

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont {
public:
    TFont() = default;
    TFont(const TFont& other) { CopyAttributes(other); }
    TFont& operator=(const TFont& other) {
        Assign(other);
        return *this;
    }

    const std::string& Name() const { return name_; }
    // Negative: character height in pixels (without internal leading); positive: cell height.
    int Height() const { return height_; }
    int Size() const; // points at 96 dots per inch
    TColor Color() const { return color_; }
    unsigned Style() const { return style_; }
    bool HasStyle(TFontStyle s) const { return (style_ & s) != 0; }
    // Escapement in tenths of a degree, counter-clockwise.
    int Orientation() const { return orientation_; }
    int Charset() const { return charset_; }

    void SetName(const std::string& name);
    void SetHeight(int height);
    void SetSize(int points);
    void SetColor(TColor color);
    void SetStyle(unsigned style);
    void SetOrientation(int tenths);
    void SetCharset(int charset);
    // Copies every attribute and reports one change when anything differed.
    void Assign(const TFont& other);

    bool SameAttributes(const TFont& other) const;

    // Runs after any attribute changed (not when copied by construction).
    std::function<void()> OnChange;

private:
    void CopyAttributes(const TFont& other);
    void Changed();

    std::string name_ = "Tahoma";
    int height_ = -11;
    TColor color_ = clWindowText;
    unsigned style_ = 0;
    int orientation_ = 0;
    int charset_ = 1;
};

// The toolkit font for a TFont (no antialiasing, so drawn text keeps its exact colour).
QFont ToQFont(const TFont& font);

// Maps the families the forms ask for ("SimSun", "宋体", "Tahoma", ...) to installed ones.
// An application calls this once after creating its Qt application object.
void InstallFontSubstitutions();

// The installed family that draws `family`: itself when installed, else its first installed
// substitute, else `family` unchanged. Asking the toolkit for a missing family makes it search
// fallbacks for that name per script and style; the installed name shares the searches of the
// fonts already in use. Remembered per family until the substitutions are installed again.
QString InstalledFamily(const QString& family);

} // namespace qm
