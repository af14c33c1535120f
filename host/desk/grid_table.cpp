#include "host/desk/grid_table.h"

#include "base/shown_cells.h"
#include "host/desk/cell_values.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <cstring>

namespace qm::desk {

namespace {

// Enough rows to tell a column of numbers or dates from a column of codes.
constexpr int kKindSamples = 200;
// Rows read in one call from a model that hands out many at once.
constexpr std::size_t kBatchRows = 512;

const QString& CheckText(bool checked) {
    static const QString yes = QStringLiteral("是"), no = QStringLiteral("否");
    return checked ? yes : no;
}

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
    const QMetaObject* meta = model->metaObject();
    const int method = meta->indexOfMethod(shown_cells::kMethod);
    if (method >= 0 && meta->method(method).returnType() == QMetaType::QByteArray)
        FShownCells = meta->method(method);
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
    return CheckText(check.toInt() == Qt::Checked);
}

void GridTable::ReadBatch(std::size_t row) const {
    const std::size_t rows = RowCount();
    const std::size_t count = row < rows ? std::min(kBatchRows, rows - row) : 1;
    const auto columns = static_cast<std::size_t>(FModelColumns.size());
    FBatch.clear();
    FShownCells.invoke(const_cast<QAbstractItemModel*>(FView.model()), Qt::DirectConnection,
                       Q_RETURN_ARG(QByteArray, FBatch), Q_ARG(int, static_cast<int>(row)),
                       Q_ARG(int, static_cast<int>(count)), Q_ARG(QList<int>, FModelColumns));
    static const QByteArray yes = CheckText(true).toUtf8(), no = CheckText(false).toUtf8();
    FBatchCells.assign(count * columns, std::string_view());
    const char* at = FBatch.constData();
    const char* end = at + FBatch.size();
    for (std::string_view& cell : FBatchCells) {
        quint32 head = 0;
        if (end - at < static_cast<std::ptrdiff_t>(sizeof head)) break;
        std::memcpy(&head, at, sizeof head);
        at += sizeof head;
        if (head == shown_cells::kChecked || head == shown_cells::kUnchecked) {
            const QByteArray& text = head == shown_cells::kChecked ? yes : no;
            cell = std::string_view(text.constData(), static_cast<std::size_t>(text.size()));
            continue;
        }
        if (static_cast<std::size_t>(end - at) < head) break;
        cell = std::string_view(at, head);
        at += head;
    }
    FBatchFrom = row;
    FBatchRows = count;
}

void GridTable::Row(std::size_t row, std::vector<std::string_view>& cells) const {
    const auto count = static_cast<std::size_t>(FModelColumns.size());
    if (FShownCells.isValid()) {
        if (row < FBatchFrom || row >= FBatchFrom + FBatchRows) ReadBatch(row);
        const auto first = FBatchCells.begin() + static_cast<std::ptrdiff_t>((row - FBatchFrom) * count);
        cells.assign(first, first + static_cast<std::ptrdiff_t>(count));
        return;
    }
    FTexts.resize(count);
    cells.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        const QByteArray utf8 = Text(static_cast<int>(row), static_cast<int>(c)).toUtf8();
        FTexts[c].assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        cells[c] = FTexts[c];
    }
}

} // namespace qm::desk
