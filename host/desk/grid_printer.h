// The shown rows on paper: a heading with the title, the date and the user, the column labels
// repeated on every page, the columns scaled to the page's width and "第 N 页 / 共 M 页" below.
#pragma once

#include "host/desk/grid_table.h"

#include <QRect>
#include <QString>

class QPainter;
class QPrinter;

namespace qm::desk {

struct PrintHeading {
    QString Title;
    QString Date; // as shown
    QString User;
};

class GridPrinter {
public:
    GridPrinter(const GridTable& table, PrintHeading heading);

    // Paints every page; false when the printer cannot start (an output file that cannot be written).
    bool Print(QPrinter& printer);

    // The rows one page of this printer holds, and the pages the table takes.
    int RowsPerPage(QPrinter& printer) const;
    int PageCount(QPrinter& printer) const;

private:
    struct Metrics {
        int HeadingHeight = 0;
        int RowHeight = 0;
        int FooterHeight = 0;
        int RowsPerPage = 1;
    };
    Metrics Measure(QPrinter& printer) const;
    void PaintPage(QPainter& painter, const QRect& page, const Metrics& m, int pageNo, int pages) const;

    const GridTable& FTable;
    PrintHeading FHeading;
};

} // namespace qm::desk
