// The table's rows in the order of one column: numbers, dates and times by value, text as shown in
// Chinese (pinyin) collation. Equal keys keep the table's order, in either direction. The keys of
// the column last sorted are kept, so that another click costs a sort and not a collation of every
// cell; a changed, added or removed row updates only its own key.
#pragma once

#include <QCollator>
#include <cstddef>
#include <vector>

namespace qm {

class TMemTable;
class TField;
class TQmColumn;

namespace gridimpl {

// Whether the field sorts by value rather than by its text.
bool SortsByValue(const TField& field);

class TSortKeys {
public:
    // Rows changed: every key is made again on the next sort.
    void Invalidate();
    // One row's values changed, or a row appeared at / vanished from a table position.
    void RowChanged(int pos);
    void RowInserted(int pos);
    void RowRemoved(int pos);

    // Table positions (0-based) of every visible row, sorted; the column, when given, says the
    // shown text.
    std::vector<int> Sorted(const TMemTable& table, const TField& field, const TQmColumn* column,
                            bool descending);
    // Where the row at a table position belongs in an order sorted by the same column, as an index
    // into that order (which does not hold the row).
    std::size_t InsertionPoint(const std::vector<int>& order, int pos, const TMemTable& table,
                               const TField& field, const TQmColumn* column, bool descending);

private:
    // Makes the keys of every row current for the column.
    void Update(const TMemTable& table, const TField& field, const TQmColumn* column);
    void MakeKey(const TMemTable& table, int pos);
    // Ascending by key; equal keys by table position.
    bool Before(int a, int b, bool descending) const;

    const TField* FField = nullptr;
    const TQmColumn* FColumn = nullptr;
    bool FValid = false;
    bool FByValue = false;
    std::vector<double> FNumbers;
    std::vector<QCollatorSortKey> FTexts;
    std::vector<char> FStale; // rows whose key waits to be made again
    bool FAnyStale = false;
};

} // namespace gridimpl
} // namespace qm
