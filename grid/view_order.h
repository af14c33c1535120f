// The rows as the grid shows them: which of the table's rows, in what order. The table keeps its
// own order, on which a request's row numbers and the key write-back of new rows rely.
#pragma once

#include <vector>

namespace qm::gridimpl {

class TViewOrder {
public:
    // Every row in the table's order: nothing is kept.
    bool Identity() const { return !FActive; }
    int Count(int tableRows) const { return FActive ? static_cast<int>(FRows.size()) : tableRows; }
    // Table position (0-based) of a shown row; -1 when out of range.
    int TablePos(int view, int tableRows) const;
    // Shown row of a table position; -1 when hidden or out of range.
    int ViewRow(int pos, int tableRows) const;
    // rows: the table positions in the order shown.
    void Set(std::vector<int> rows, int tableRows);
    void Clear();
    // A row appeared at a table position and is shown at `view`; the rows after it move down.
    void InsertRow(int view, int pos, int tableRows);
    // The row at a table position vanished; false when it was not shown.
    bool RemoveRow(int pos, int tableRows);
    const std::vector<int>& Rows() const { return FRows; }

private:
    void MapViews(int tableRows);

    bool FActive = false;
    std::vector<int> FRows;
    std::vector<int> FViewOf;
};

} // namespace qm::gridimpl
