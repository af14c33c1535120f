#include "grid/tsv.h"

namespace qm::gridimpl {

QString TsvCell(const QString& text) {
    if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString TsvRow(const QStringList& cells) {
    QStringList out;
    out.reserve(cells.size());
    for (const QString& cell : cells)
        out << TsvCell(cell);
    return out.join(QLatin1Char('\t'));
}

std::vector<QStringList> ParseTsv(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                cell += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                cell += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !cellStarted) {
            quoted = cellStarted = true;
        } else if (c == QLatin1Char('\t')) {
            row << cell;
            cell.clear();
            cellStarted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            row << cell;
            rows.push_back(row);
            row.clear();
            cell.clear();
            cellStarted = false;
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (cellStarted || !cell.isEmpty() || !row.isEmpty()) {
        row << cell;
        rows.push_back(row);
    }
    return rows;
}

} // namespace qm::gridimpl
