#include "host/desk/grid_printer.h"

#include <QPainter>
#include <QPrinter>

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace qm::desk {

namespace {

constexpr int kBodyPoints = 9;
constexpr int kTitlePoints = 14;

QFont BodyFont(bool bold = false) {
    QFont font;
    font.setPointSize(kBodyPoints);
    font.setBold(bold);
    return font;
}

QRect PageRect(QPrinter& printer) {
    return printer.pageLayout()
        .paintRectPixels(printer.resolution())
        .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
}

} // namespace

GridPrinter::GridPrinter(const GridTable& table, PrintHeading heading)
    : FTable(table), FHeading(std::move(heading)) {}

GridPrinter::Metrics GridPrinter::Measure(QPrinter& printer) const {
    Metrics m;
    QFont title = BodyFont(true);
    title.setPointSize(kTitlePoints);
    const int titleHeight = QFontMetrics(title, &printer).height();
    const int line = QFontMetrics(BodyFont(), &printer).height();
    m.HeadingHeight = titleHeight + line + line / 2;
    m.RowHeight = line + line / 3;
    m.FooterHeight = line + line / 2;
    const int room =
        PageRect(printer).height() - m.HeadingHeight - m.FooterHeight - m.RowHeight; // labels take a row
    m.RowsPerPage = std::max(1, room / m.RowHeight);
    return m;
}

int GridPrinter::RowsPerPage(QPrinter& printer) const {
    return Measure(printer).RowsPerPage;
}

int GridPrinter::PageCount(QPrinter& printer) const {
    const auto rows = static_cast<int>(FTable.RowCount());
    const int per = RowsPerPage(printer);
    return std::max(1, (rows + per - 1) / per);
}

bool GridPrinter::Print(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = PageRect(printer);
    const Metrics m = Measure(printer);
    const auto rows = static_cast<int>(FTable.RowCount());
    const int pages = std::max(1, (rows + m.RowsPerPage - 1) / m.RowsPerPage);
    for (int p = 1; p <= pages; ++p) {
        if (p > 1 && !printer.newPage()) return false;
        PaintPage(painter, page, m, p, pages);
    }
    return painter.end();
}

void GridPrinter::PaintPage(QPainter& painter, const QRect& page, const Metrics& m, int pageNo,
                            int pages) const {
    const QColor ink(Qt::black);
    painter.setPen(ink);
    // Heading: the title, then the date on the left and the user on the right.
    QFont title = BodyFont(true);
    title.setPointSize(kTitlePoints);
    painter.setFont(title);
    const int titleHeight = painter.fontMetrics().height();
    painter.drawText(QRect(page.left(), page.top(), page.width(), titleHeight), Qt::AlignCenter,
                     FHeading.Title);
    painter.setFont(BodyFont());
    const int line = painter.fontMetrics().height();
    const QRect info(page.left(), page.top() + titleHeight, page.width(), line);
    painter.drawText(info, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("日期：") + FHeading.Date);
    painter.drawText(info, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("用户：") + FHeading.User);

    // Columns as wide as on screen, scaled together to the page's width.
    const QList<int>& widths = FTable.Widths();
    double total = 0;
    for (int w : widths)
        total += std::max(1, w);
    QList<int> x{page.left()};
    double at = page.left();
    for (int w : widths) {
        at += page.width() * std::max(1, w) / std::max(1.0, total);
        x.push_back(static_cast<int>(std::lround(at)));
    }
    const int cellPad = std::max(2, line / 4);
    auto paintRow = [&](int top, auto&& textOf, bool labels) {
        for (int c = 0; c < widths.size(); ++c) {
            const QRect cell(x[c], top, x[c + 1] - x[c], m.RowHeight);
            if (labels) painter.fillRect(cell, QColor(0xE4, 0xE4, 0xE4));
            painter.drawRect(cell);
            const QString text = textOf(c);
            const QRect inner = cell.adjusted(cellPad, 0, -cellPad, 0);
            const bool number =
                !labels && FTable.Columns()[static_cast<std::size_t>(c)].Kind == ColumnKind::Number;
            painter.drawText(inner, (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
        }
    };
    int top = page.top() + m.HeadingHeight;
    painter.setFont(BodyFont(true));
    paintRow(
        top,
        [&](int c) { return QString::fromStdString(FTable.Columns()[static_cast<std::size_t>(c)].Label); },
        true);
    painter.setFont(BodyFont());
    const auto rows = static_cast<int>(FTable.RowCount());
    const int first = (pageNo - 1) * m.RowsPerPage;
    for (int r = first; r < std::min(rows, first + m.RowsPerPage); ++r) {
        top += m.RowHeight;
        paintRow(
            top, [&](int c) { return FTable.Text(r, c); }, false);
    }
    painter.drawText(QRect(page.left(), page.bottom() - m.FooterHeight, page.width(), m.FooterHeight),
                     Qt::AlignCenter, QStringLiteral("第 %1 页 / 共 %2 页").arg(pageNo).arg(pages));
}

} // namespace qm::desk
