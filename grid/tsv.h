// Tab-separated text as spreadsheets put it on the clipboard: cells by tabs, rows by line ends; a
// cell holding a tab, a line end or a quote is quoted, with its quotes doubled.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace qm::gridimpl {

QString TsvCell(const QString& text);
QString TsvRow(const QStringList& cells);
// The rows of a clipboard text; a last line end ends the last row, it starts no empty one.
std::vector<QStringList> ParseTsv(const QString& text);

} // namespace qm::gridimpl
