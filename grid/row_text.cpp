#include "grid/row_text.h"

#include "dataset/mem_table.h"

namespace qm::gridimpl {

namespace {
// The table's positional read: plain text of a field in a visible row, the cursor left alone.
template <class Table>
concept PositionalRead = requires(const Table& t, int pos, int field) {
    { t.TextAt(pos, field) } -> std::convertible_to<std::string>;
};

template <class Table> std::string OtherRowText(const Table& table, int pos, int field) {
    if constexpr (PositionalRead<Table>) {
        return std::string(table.TextAt(pos, field));
    } else {
        // Moving the cursor here would post edits and fire scroll events from inside a paint.
        return {};
    }
}
} // namespace

bool CanReadAnyRow() {
    return PositionalRead<TMemTable>;
}

std::string RowText(const TMemTable& table, int pos, const TField& field) {
    if (pos + 1 == table.RecNo()) return field.DisplayText();
    return OtherRowText(table, pos, field.Index());
}

std::string_view RowTextView(const TMemTable& table, int pos, const TField& field, std::string& scratch,
                             TRecentTexts* recent) {
    if (pos + 1 == table.RecNo()) return scratch = field.DisplayText();
    double value = 0;
    if (recent && table.NumberAt(pos, field.Index(), value))
        return recent->Find(value, [&] { return table.TextViewAt(pos, field.Index(), scratch); });
    return table.TextViewAt(pos, field.Index(), scratch);
}

} // namespace qm::gridimpl
