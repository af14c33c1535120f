#include "dataset/mem_table.h"

namespace qm {

std::string TMemTable::TextAt(int pos, int field) const {
    if (!Active() || pos < 0 || pos >= VisibleCount() || field < 0 || field >= FieldCount()) return {};
    const TField* f = FFields[static_cast<std::size_t>(field)].get();
    if (pos == FPos) return f->IsNull() ? std::string() : f->AsString();
    const std::size_t row = RowAt(pos);
    if (row >= FRows.size()) return {};
    const std::byte* data = FRows[row].Data.get();
    if (!data) return {};
    if (record::IsNull(FLayout, data, field)) return {};
    return record::FormatSlot(f->DataType(), record::Slot(FLayout, data, field),
                              record::Text(FLayout, data, field));
}

} // namespace qm
