// Copy and paste of cells between the grid and a spreadsheet.
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <set>

#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"
#include "grid/tsv.h"

namespace qm {

namespace {
QString CellText(const QModelIndex& index) {
    const QVariant shown = index.data(Qt::DisplayRole);
    return shown.isValid() ? shown.toString() : index.data(Qt::EditRole).toString();
}
} // namespace

std::vector<int> TQmDBGrid::VisibleColumnsFrom(int logical) const {
    const QHeaderView* header = horizontalHeader();
    std::vector<int> columns;
    for (int visual = logical < 0 ? 0 : header->visualIndex(logical); visual >= 0 && visual < header->count();
         ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column)) columns.push_back(column);
    }
    return columns;
}

void TQmDBGrid::CopySelection() {
    QItemSelectionModel* selection = selectionModel();
    QModelIndexList cells = selection->selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid()) cells << currentIndex();
    if (cells.isEmpty()) return;
    std::set<int> rows, chosen;
    for (const QModelIndex& cell : cells) {
        rows.insert(cell.row());
        chosen.insert(cell.column());
    }
    const std::vector<int> visible = VisibleColumnsFrom(-1);
    bool wholeRows = true;
    for (int row : rows)
        for (int column : visible)
            wholeRows = wholeRows && selection->isSelected(FModel->index(row, column));
    std::vector<int> columns;
    for (int column : visible)
        if (chosen.count(column)) columns.push_back(column);
    const bool single = cells.size() == 1;
    QStringList lines;
    if (wholeRows && !single) {
        QStringList labels;
        for (int column : columns)
            labels << FModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        lines << gridimpl::TsvRow(labels);
    }
    for (int row : rows) {
        QStringList line;
        for (int column : columns) {
            const QModelIndex index = FModel->index(row, column);
            line << (single || selection->isSelected(index) ? CellText(index) : QString());
        }
        lines << gridimpl::TsvRow(line);
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

bool TQmDBGrid::PasteClipboard() {
    TMemTable* table = FModel->Table();
    if (FReadOnly || !table || !table->Active()) return false;
    std::vector<QStringList> rows = gridimpl::ParseTsv(QGuiApplication::clipboard()->text());
    if (rows.empty() || !CommitOpenEditor()) return false;
    const QModelIndex start = currentIndex();
    const std::vector<int> columns = VisibleColumnsFrom(start.isValid() ? start.column() : -1);
    if (columns.empty()) return false;
    // Rows copied with their labels: the labels are not values.
    QStringList labels;
    for (std::size_t j = 0; j < columns.size() && j < static_cast<std::size_t>(rows.front().size()); ++j)
        labels << FModel->headerData(columns[j], Qt::Horizontal, Qt::DisplayRole).toString();
    if (rows.front() == labels) rows.erase(rows.begin());
    // Every value is judged before any is written, so a refusal leaves nothing half-pasted.
    for (const QStringList& row : rows)
        for (std::size_t j = 0; j < columns.size() && j < static_cast<std::size_t>(row.size()); ++j) {
            if (!FModel->CanEditColumn(columns[j])) continue;
            if (std::string why = FModel->Refusal(columns[j], row[static_cast<qsizetype>(j)]); !why.empty()) {
                ShowError(why);
                return false;
            }
        }
    // The rows written are the table's rows shown from the current one, then new rows at the end.
    std::vector<int> targets;
    for (int view = start.isValid() ? start.row() : FModel->rowCount();
         view < FModel->rowCount() && targets.size() < rows.size(); ++view)
        targets.push_back(FModel->TablePos(view));
    const int tableRows = table->RecordCount();
    std::vector<std::tuple<int, int, QString>> touched; // table position, column, the text before
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i >= targets.size()) {
            if (!AppendRow()) {
                UndoPaste(tableRows, touched);
                return false;
            }
            targets.push_back(table->RecNo() - 1);
        }
        const int pos = targets[i];
        for (std::size_t j = 0; j < columns.size() && j < static_cast<std::size_t>(rows[i].size()); ++j) {
            if (!FModel->CanEditColumn(columns[j])) continue;
            const QModelIndex index = FModel->index(FModel->ViewRow(pos), columns[j]);
            const QString before = index.data(Qt::EditRole).toString();
            if (!FModel->setData(index, rows[i][static_cast<qsizetype>(j)], Qt::EditRole)) {
                const std::string why = FModel->LastError();
                UndoPaste(tableRows, touched);
                ShowError(why);
                return false;
            }
            touched.emplace_back(pos, columns[j], before);
        }
    }
    SyncFromTable();
    return true;
}

// A value refused while writing (by a handler the checks could not foresee): the cells written
// get their texts back and the rows added go.
void TQmDBGrid::UndoPaste(int tableRows, const std::vector<std::tuple<int, int, QString>>& touched) {
    TMemTable* table = FModel->Table();
    try {
        if (table->State() == dsEdit || table->State() == dsInsert) table->Cancel();
        while (table->RecordCount() > tableRows) {
            table->SetRecNo(table->RecordCount());
            table->Delete();
        }
        for (auto it = touched.rbegin(); it != touched.rend(); ++it) {
            const auto& [pos, column, before] = *it;
            if (pos >= tableRows) continue;
            FModel->setData(FModel->index(FModel->ViewRow(pos), column), before, Qt::EditRole);
        }
        if (table->State() == dsEdit) table->Post();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

} // namespace qm
