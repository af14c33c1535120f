#include "dataset/mem_table.h"
#include "platform/platform.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>

namespace qm {

std::string TMemTable::TextAt(int pos, int field) const {
    std::string scratch;
    const std::string_view text = TextViewAt(pos, field, scratch);
    if (text.data() == scratch.data()) return scratch;
    return std::string(text);
}

std::string_view TMemTable::TextViewAt(int pos, int field, std::string& scratch) const {
    if (!Active() || pos < 0 || pos >= VisibleCount() || field < 0 || field >= FieldCount()) return {};
    const TField* f = FFields[static_cast<std::size_t>(field)].get();
    if (pos == FPos) return f->IsNull() ? std::string_view() : std::string_view(scratch = f->AsString());
    const std::size_t row = RowAt(pos);
    if (row >= FRows.size()) return {};
    const std::byte* data = FRows[row].Data.get();
    if (!data) return {};
    if (record::IsNull(FLayout, data, field)) return {};
    if (FLayout.IsText(field)) return record::Text(FLayout, data, field);
    if (f->DataType() == ftInteger || f->DataType() == ftLargeint) {
        // The digits IntToStr gives, without a string of their own.
        char digits[24];
        const auto slot = static_cast<std::int64_t>(record::Slot(FLayout, data, field));
        return scratch.assign(digits, std::to_chars(digits, digits + sizeof digits, slot).ptr);
    }
    return scratch = record::FormatSlot(f->DataType(), record::Slot(FLayout, data, field),
                                        record::Text(FLayout, data, field));
}

bool TMemTable::NumberAt(int pos, int field, double& out) const {
    if (!Active() || pos < 0 || pos >= VisibleCount() || field < 0 || field >= FieldCount()) return false;
    const TFieldType type = FFields[static_cast<std::size_t>(field)]->DataType();
    if (type == ftString || type == ftUnknown) return false;
    std::uint64_t slot = 0;
    if (pos == FPos) {
        if (ValueIsNull(field)) return false;
        slot = ValueSlot(field);
    } else {
        const std::size_t row = RowAt(pos);
        const std::byte* data = row < FRows.size() ? FRows[row].Data.get() : nullptr;
        if (!data || record::IsNull(FLayout, data, field)) return false;
        slot = record::Slot(FLayout, data, field);
    }
    switch (type) {
    case ftInteger:
    case ftLargeint:
        out = static_cast<double>(static_cast<std::int64_t>(slot));
        return true;
    case ftBoolean:
        out = slot ? 1 : 0;
        return true;
    default:
        out = std::bit_cast<double>(slot);
        return true;
    }
}

TUpdateStatus TMemTable::StatusAt(int pos) const {
    if (!Active() || pos < 0 || pos >= VisibleCount()) return usUnmodified;
    if (pos == FPos && FNewRow) return usUnmodified;
    const std::size_t row = RowAt(pos);
    return row < FRows.size() ? FRows[row].Status : usUnmodified;
}

std::vector<int> TMemTable::ChangedPositions() const {
    std::vector<int> found;
    for (int pos = 0, count = Active() ? VisibleCount() : 0; pos < count; ++pos) {
        if (pos == FPos && FNewRow) continue;
        if (FRows[RowAt(pos)].Status != usUnmodified) found.push_back(pos);
    }
    return found;
}

int TMemTable::FindUnmodified(int field, int from, int end,
                              const std::function<bool(std::string_view)>& match) const {
    if (!Active() || field < 0 || field >= FieldCount()) return -1;
    const TField* f = FFields[static_cast<std::size_t>(field)].get();
    const bool text = FLayout.IsText(field);
    end = std::min(end, VisibleCount());
    for (int pos = std::max(from, 0); pos < end; ++pos) {
        ProcessMessages();
        if (pos == FPos && FNewRow) continue;
        const TStoredRow& row = FRows[RowAt(pos)];
        if (row.Status != usUnmodified) continue;
        const std::byte* data = row.Data.get();
        if (pos == FPos) {
            if (match(TextAt(pos, field))) return pos;
        } else if (!data || record::IsNull(FLayout, data, field)) {
            if (match({})) return pos;
        } else if (text) {
            if (match(record::Text(FLayout, data, field))) return pos;
        } else if (match(record::FormatSlot(f->DataType(), record::Slot(FLayout, data, field), {}))) {
            return pos;
        }
    }
    return -1;
}

} // namespace qm
