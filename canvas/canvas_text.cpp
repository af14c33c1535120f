// Text on the canvas: measured and drawn with the toolkit's fonts, positioned by the canvas.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include "canvas/canvas.h"

namespace qm {

namespace {

// "&x" marks a mnemonic and "&&" stands for "&"; the marks are not drawn.
QString StripPrefix(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        else if (text[i] == QLatin1Char('&'))
            continue;
        out += text[i];
    }
    return out;
}

QStringList WrapLine(const QString& line, const QFontMetrics& fm, int width) {
    QStringList out;
    QString current;
    auto flush = [&] {
        out << current;
        current.clear();
    };
    const QStringList words = line.split(QLatin1Char(' '));
    for (qsizetype w = 0; w < words.size(); ++w) {
        QString word = words[w];
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (fm.horizontalAdvance(candidate) <= width) {
            current = candidate;
            continue;
        }
        if (!current.isEmpty()) flush();
        // A word wider than the line is broken between characters.
        while (fm.horizontalAdvance(word) > width && word.size() > 1) {
            qsizetype n = 1;
            while (n < word.size() && fm.horizontalAdvance(word.left(n + 1)) <= width)
                ++n;
            out << word.left(n);
            word = word.mid(n);
        }
        current = word;
    }
    flush();
    return out;
}

} // namespace

int Canvas::TextWidth(std::string_view text) const {
    return TextExtent(text).cx;
}
int Canvas::TextHeight(std::string_view text) const {
    return TextExtent(text).cy;
}

TSize Canvas::TextExtent(std::string_view text) const {
    const QFontMetrics fm(ToQFont(Font));
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return {fm.horizontalAdvance(s), fm.height()};
}

void Canvas::DrawTextLine(int x, int y, std::string_view text, const QRegion* extraClip) {
    if (!image_ || image_->isNull()) return;
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QPainter p(image_);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::Antialiasing, false);
    QRegion clip = DeviceClip();
    if (extraClip) clip &= *extraClip;
    p.setClipRegion(clip);
    const QFont qf = ToQFont(Font);
    const QFontMetrics fm(qf);
    p.setFont(qf);
    p.translate(x + origin_.X, y + origin_.Y);
    if (Font.Orientation() != 0) p.rotate(-Font.Orientation() / 10.0);
    if (Brush.Style == TBrushStyle::bsSolid)
        p.fillRect(QRect(0, 0, fm.horizontalAdvance(s), fm.height()), QColor::fromRgb(ToQRgb(Brush.Color)));
    p.setPen(QColor::fromRgb(ToQRgb(Font.Color())));
    p.drawText(QPoint(0, fm.ascent()), s);
}

void Canvas::TextOut(int x, int y, std::string_view text) {
    DrawTextLine(x, y, text, nullptr);
    PenPos = {x + TextWidth(text), y};
}

void Canvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
    const QRegion clip = LogicalToDevice(r);
    DrawTextLine(x, y, text, &clip);
}

int Canvas::DrawText(std::string_view text, TRect& r, unsigned flags) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (!(flags & DT_NOPREFIX)) s = StripPrefix(s);
    const QFontMetrics fm(ToQFont(Font));
    const int lineHeight = fm.height();

    QStringList lines;
    if (flags & DT_SINGLELINE) {
        s.remove(QLatin1Char('\r'));
        s.remove(QLatin1Char('\n'));
        lines << s;
    } else {
        s.remove(QLatin1Char('\r'));
        for (const QString& line : s.split(QLatin1Char('\n'))) {
            if (flags & DT_WORDBREAK)
                lines << WrapLine(line, fm, std::max(1, r.Width()));
            else
                lines << line;
        }
    }
    const int total = lineHeight * static_cast<int>(lines.size());

    if (flags & DT_CALCRECT) {
        int width = 0;
        for (const QString& line : lines)
            width = std::max(width, fm.horizontalAdvance(line));
        r.Right = r.Left + width;
        r.Bottom = r.Top + total;
        return total;
    }

    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
            y = r.Top + (r.Height() - lineHeight) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lineHeight;
    }
    const QRegion clip = LogicalToDevice(r);
    for (const QString& line : lines) {
        const int w = fm.horizontalAdvance(line);
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - w) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - w;
        const QByteArray utf8 = line.toUtf8();
        DrawTextLine(x, y, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
                     (flags & DT_NOCLIP) ? nullptr : &clip);
        y += lineHeight;
    }
    return total;
}

} // namespace qm
