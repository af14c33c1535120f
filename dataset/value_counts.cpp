// The value counts, and the table keeping them in step with its rows.
#include "dataset/value_counts.h"

#include "dataset/mem_table.h"

#include <functional>

namespace qm {

namespace {
std::uint32_t KeyOf(std::uint32_t hash) {
    return hash | 1u;
}
} // namespace

std::size_t TValueCounts::Find(std::uint32_t key) const {
    const std::size_t mask = FSlots.size() - 1;
    std::size_t i = (key * 0x9E3779B1u) & mask;
    while (FSlots[i].Key != 0 && FSlots[i].Key != key)
        i = (i + 1) & mask;
    return i;
}

void TValueCounts::Grow() {
    std::vector<TSlot> old(FSlots.empty() ? 64 : FSlots.size() * 2);
    old.swap(FSlots);
    FUsed = 0;
    // Values no row holds any more are left behind.
    for (const TSlot& s : old)
        if (s.Count != 0) {
            FSlots[Find(s.Key)] = s;
            ++FUsed;
        }
}

void TValueCounts::Add(std::uint32_t hash, int delta) {
    if ((FUsed + 1) * 2 > FSlots.size()) Grow();
    const std::uint32_t key = KeyOf(hash);
    TSlot& s = FSlots[Find(key)];
    if (s.Key == 0) {
        s.Key = key;
        ++FUsed;
    }
    s.Count = static_cast<std::uint32_t>(static_cast<std::int64_t>(s.Count) + delta);
}

std::uint32_t TValueCounts::Get(std::uint32_t hash) const {
    if (FSlots.empty()) return 0;
    const TSlot& s = FSlots[Find(KeyOf(hash))];
    return s.Key == 0 ? 0 : s.Count;
}

// ---------------------------------------------------------------- the table's counts

namespace {
std::uint32_t HashOf(std::string_view keyText) {
    const std::size_t h = std::hash<std::string_view>{}(keyText);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}
} // namespace

std::uint32_t TMemTable::StoredHash(const std::byte* data, int field, TValueKey key) const {
    // As FindUnmodified reads a stored value.
    if (!data || record::IsNull(FLayout, data, field)) return HashOf(key({}));
    if (FLayout.IsText(field)) return HashOf(key(record::Text(FLayout, data, field)));
    const std::string text = record::FormatSlot(FFields[static_cast<std::size_t>(field)]->DataType(),
                                                record::Slot(FLayout, data, field), {});
    return HashOf(key(text));
}

void TMemTable::CountRow(const std::byte* data, int delta) noexcept {
    try {
        for (TCountedField& c : FCounts)
            c.Counts.Add(StoredHash(data, c.Field, c.Key), delta);
        FCountedRows = static_cast<std::size_t>(static_cast<std::int64_t>(FCountedRows) + delta);
    } catch (...) {
        DropCounts(); // counted again when next asked; the change of the rows goes on
    }
}

void TMemTable::RecountRow(const std::byte* before, const std::byte* after) noexcept {
    if (FCounts.empty()) return;
    CountRow(before, -1);
    CountRow(after, 1);
}

void TMemTable::DropCounts() noexcept {
    FCounts.clear();
    FCountedRows = 0;
}

int TMemTable::RowsHolding(int field, TValueKey key, std::string_view keyText) {
    if (!Active() || field < 0 || field >= FieldCount() || !key) return 0;
    // Rows that came or went by a way that does not count them: counted again.
    if (!FCounts.empty() && FCountedRows != FRows.size()) DropCounts();
    TCountedField* counted = nullptr;
    for (TCountedField& c : FCounts)
        if (c.Field == field && c.Key == key) counted = &c;
    if (!counted) {
        // Messages do not run meanwhile: a handler could change the rows being counted.
        TValueCounts counts;
        for (const TStoredRow& row : FRows)
            counts.Add(StoredHash(row.Data.get(), field, key), 1);
        counted = &FCounts.emplace_back(TCountedField{field, key, std::move(counts)});
        FCountedRows = FRows.size();
    }
    return static_cast<int>(counted->Counts.Get(HashOf(keyText)));
}

} // namespace qm
