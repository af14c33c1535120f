// Reading a value of any visible row without moving the table's cursor.
#pragma once

#include <string>
#include <string_view>

namespace qm {

class TMemTable;
class TField;

namespace gridimpl {

// Text of field in the visible row at 0-based position pos; the current row shows its pending
// edit and its get-text handler.
std::string RowText(const TMemTable& table, int pos, const TField& field);
// The same without a copy where it can: a text field's bytes where the row keeps them; other
// values, and the current row, in scratch.
std::string_view RowTextView(const TMemTable& table, int pos, const TField& field, std::string& scratch);
// Whether rows other than the current one can be read without moving the cursor.
bool CanReadAnyRow();

} // namespace gridimpl
} // namespace qm
