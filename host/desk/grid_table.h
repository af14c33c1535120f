// The rows of an item view as they are on show: the view's model in its order (a sort or filter
// in front of the table reads the same way), its shown columns in their on-screen order.
#pragma once

#include "host/desk/table_source.h"

#include <QList>

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
    const QAbstractItemView& FView;
    std::vector<TableColumn> FColumns;
    QList<int> FModelColumns;
    QList<int> FWidths;
    mutable std::vector<std::string> FTexts; // the last row's texts, which Row hands out
};

} // namespace qm::desk
