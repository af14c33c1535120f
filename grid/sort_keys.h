// The table's rows in the order of one column: numbers, dates and times by value, text as shown in
// Chinese (pinyin) collation. Equal keys keep the table's order, in either direction.
#pragma once

#include <vector>

namespace qm {

class TMemTable;
class TField;
class TQmColumn;

namespace gridimpl {

// Whether the field sorts by value rather than by its text.
bool SortsByValue(const TField& field);
// Table positions (0-based) of every visible row, sorted; the column, when given, says the shown text.
std::vector<int> SortedPositions(const TMemTable& table, const TField& field, const TQmColumn* column,
                                 bool descending);

} // namespace gridimpl
} // namespace qm
