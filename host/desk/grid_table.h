// The rows of an item view as they are on show: the view's model in its order (a sort or filter
// in front of the table reads the same way), its shown columns in their on-screen order.
#pragma once

#include "host/desk/table_source.h"

#include <QByteArray>
#include <QList>
#include <QMetaMethod>

class QAbstractItemView;

namespace qm::desk {

class GridTable : public TableSource {
public:
    explicit GridTable(const QAbstractItemView& view);

    const std::vector<TableColumn>& Columns() const override { return FColumns; }
    std::size_t RowCount() const override;
    void Row(std::size_t row, std::vector<std::string_view>& cells) const override;

    // The model's column of each shown column, and its width on screen.
    const QList<int>& ModelColumns() const { return FModelColumns; }
    const QList<int>& Widths() const { return FWidths; }
    // The shown text of one cell, for painting.
    QString Text(int row, int shownColumn) const;

private:
    // Reads the rows from `row` on in one call to the model.
    void ReadBatch(std::size_t row) const;

    const QAbstractItemView& FView;
    std::vector<TableColumn> FColumns;
    QList<int> FModelColumns;
    QList<int> FWidths;
    mutable std::vector<std::string> FTexts; // the last row's texts, which Row hands out
    // A model that hands out many rows' cells at once, and the rows it last handed out.
    QMetaMethod FShownCells;
    mutable QByteArray FBatch;
    mutable std::vector<std::string_view> FBatchCells;
    mutable std::size_t FBatchFrom = 0, FBatchRows = 0;
};

} // namespace qm::desk
