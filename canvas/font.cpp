#include "canvas/font.h"

#include <cmath>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QString>
#include <QStringList>

namespace qm {

int TFont::Size() const {
    return static_cast<int>(std::lround(-height_ * 72.0 / 96.0));
}

void TFont::CopyAttributes(const TFont& o) {
    name_ = o.name_;
    height_ = o.height_;
    color_ = o.color_;
    style_ = o.style_;
    orientation_ = o.orientation_;
    charset_ = o.charset_;
}

bool TFont::SameAttributes(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           orientation_ == o.orientation_ && charset_ == o.charset_;
}

void TFont::Changed() {
    if (OnChange) OnChange();
}

void TFont::Assign(const TFont& other) {
    if (this == &other || SameAttributes(other)) return;
    CopyAttributes(other);
    Changed();
}

#define QM_FONT_SETTER(Setter, Type, field)                                                                  \
    void TFont::Setter(Type value) {                                                                         \
        if (field == value) return;                                                                          \
        field = value;                                                                                       \
        Changed();                                                                                           \
    }
QM_FONT_SETTER(SetName, const std::string&, name_)
QM_FONT_SETTER(SetHeight, int, height_)
QM_FONT_SETTER(SetColor, TColor, color_)
QM_FONT_SETTER(SetStyle, unsigned, style_)
QM_FONT_SETTER(SetOrientation, int, orientation_)
QM_FONT_SETTER(SetCharset, int, charset_)
#undef QM_FONT_SETTER

void TFont::SetSize(int points) {
    SetHeight(-static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

namespace {

QHash<QString, QString>& ResolvedFamilies() {
    static QHash<QString, QString> resolved;
    return resolved;
}

QString FindInstalled(const QString& family, const QStringList& installed) {
    QStringList candidates{family};
    candidates += QFont::substitutes(family);
    for (const QString& candidate : candidates)
        for (const QString& name : installed)
            if (name.compare(candidate, Qt::CaseInsensitive) == 0) return name;
    return family;
}

} // namespace

QString InstalledFamily(const QString& family) {
    QHash<QString, QString>& resolved = ResolvedFamilies();
    auto it = resolved.constFind(family);
    if (it == resolved.constEnd())
        it = resolved.insert(family, FindInstalled(family, QFontDatabase::families()));
    return *it;
}

QFont ToQFont(const TFont& font) {
    QFont f(InstalledFamily(QString::fromStdString(font.Name())));
    int h = font.Height();
    if (h == 0) h = -12;
    f.setPixelSize(std::abs(h));
    f.setBold(font.HasStyle(fsBold));
    f.setItalic(font.HasStyle(fsItalic));
    f.setUnderline(font.HasStyle(fsUnderline));
    f.setStrikeOut(font.HasStyle(fsStrikeOut));
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (h > 0) {
        // A positive height is the whole cell, internal leading included.
        const int cell = QFontMetrics(f).height();
        if (cell > 0 && cell != h)
            f.setPixelSize(std::max(1, static_cast<int>(std::lround(double(h) * h / cell))));
    }
    return f;
}

void InstallFontSubstitutions() {
    const QStringList chinese{"WenQuanYi Micro Hei", "Noto Sans CJK SC", "DejaVu Sans"};
    const QStringList latin{"DejaVu Sans", "WenQuanYi Micro Hei"};
    for (const char* family : {"SimSun", "NSimSun", "MS Song", "SimHei"})
        QFont::insertSubstitutions(QString::fromUtf8(family), chinese);
    QFont::insertSubstitutions(QString::fromUtf8("宋体"), chinese);
    QFont::insertSubstitutions(QString::fromUtf8("黑体"), chinese);
    for (const char* family : {"Tahoma", "MS Sans Serif", "Arial", "Verdana", "Microsoft Sans Serif"})
        QFont::insertSubstitutions(QString::fromUtf8(family), latin);
    ResolvedFamilies().clear();
}

} // namespace qm
