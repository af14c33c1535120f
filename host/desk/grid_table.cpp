#include "host/desk/grid_table.h"

#include "host/desk/cell_values.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace qm::desk {

namespace {

// Enough rows to tell a column of numbers or dates from a column of codes.
constexpr int kKindSamples = 200;

} // namespace

GridTable::GridTable(const QAbstractItemView& view) : FView(view) {
    const QAbstractItemModel* model = view.model();
    if (!model) return;
    const auto* table = qobject_cast<const QTableView*>(&view);
    const QHeaderView* header = table ? table->horizontalHeader() : nullptr;
    const int count = model->columnCount();
    for (int visual = 0; visual < count; ++visual) {
        const int column = header ? header->logicalIndex(visual) : visual;
        if (column < 0 || (header && header->isSectionHidden(column))) continue;
        FModelColumns.push_back(column);
        FWidths.push_back(header ? header->sectionSize(column) : 100);
    }
    const int rows = std::min(model->rowCount(), kKindSamples);
    for (int column : FModelColumns) {
        TableColumn out;
        out.Label = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
        std::vector<std::string> samples;
        samples.reserve(static_cast<std::size_t>(rows));
        for (int r = 0; r < rows; ++r)
            samples.push_back(model->index(r, column).data(Qt::DisplayRole).toString().toStdString());
        const QVariant align = rows > 0 ? model->index(0, column).data(Qt::TextAlignmentRole) : QVariant();
        const bool right = align.isValid() && (align.toInt() & Qt::AlignRight);
        out.Kind = InferKind(right, samples);
        FColumns.push_back(std::move(out));
    }
}

std::size_t GridTable::RowCount() const {
    const QAbstractItemModel* model = FView.model();
    return model ? static_cast<std::size_t>(model->rowCount()) : 0;
}

QString GridTable::Text(int row, int shownColumn) const {
    const QModelIndex cell = FView.model()->index(row, FModelColumns[shownColumn]);
    const QVariant shown = cell.data(Qt::DisplayRole);
    if (shown.isValid()) return shown.toString();
    // A check box column shows no text: its state stands in for it.
    const QVariant check = cell.data(Qt::CheckStateRole);
    if (!check.isValid()) return {};
    return check.toInt() == Qt::Checked ? QStringLiteral("是") : QStringLiteral("否");
}

void GridTable::Row(std::size_t row, std::vector<std::string_view>& cells) const {
    const auto count = static_cast<std::size_t>(FModelColumns.size());
    FTexts.resize(count);
    cells.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        const QByteArray utf8 = Text(static_cast<int>(row), static_cast<int>(c)).toUtf8();
        FTexts[c].assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        cells[c] = FTexts[c];
    }
}

} // namespace qm::desk
