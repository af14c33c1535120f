// The rows an export or a print reads: shown labels, a kind per column, and the shown texts of one
// row at a time in the order they are on show.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::desk {

// How a column's texts go into a spreadsheet; a text that does not read as its kind stays text.
enum class ColumnKind { Text, Number, Date };

struct TableColumn {
    std::string Label;
    ColumnKind Kind = ColumnKind::Text;
};

class TableSource {
public:
    virtual ~TableSource() = default;
    virtual const std::vector<TableColumn>& Columns() const = 0;
    virtual std::size_t RowCount() const = 0;
    // The shown texts (UTF-8) of one row, one per column; `cells` is reused between calls, and its
    // texts stay valid until the next call.
    virtual void Row(std::size_t row, std::vector<std::string_view>& cells) const = 0;
};

// A table held in memory, for tests and benchmarks.
class MemoryTable : public TableSource {
public:
    explicit MemoryTable(std::vector<TableColumn> columns) : FColumns(std::move(columns)) {}
    void Add(std::vector<std::string> row) { FRows.push_back(std::move(row)); }
    const std::vector<TableColumn>& Columns() const override { return FColumns; }
    std::size_t RowCount() const override { return FRows.size(); }
    void Row(std::size_t row, std::vector<std::string_view>& cells) const override {
        cells.assign(FRows[row].begin(), FRows[row].end());
    }

private:
    std::vector<TableColumn> FColumns;
    std::vector<std::vector<std::string>> FRows;
};

} // namespace qm::desk
