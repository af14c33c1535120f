// Reading a value of any visible row without moving the table's cursor.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class TMemTable;
class TField;

namespace gridimpl {

// Text of field in the visible row at 0-based position pos; the current row shows its pending
// edit and its get-text handler.
std::string RowText(const TMemTable& table, int pos, const TField& field);
// Texts lately formatted for a field of dates or times, by the value they were formatted from: such
// a field holds few distinct values, and formatting one costs more than finding it here.
class TRecentTexts {
public:
    template <class Format> std::string_view Find(double value, const Format& format) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        Entry& entry = FEntries[(bits * 0x9E3779B97F4A7C15u) >> (64 - kBits)];
        if (!entry.Used || entry.Bits != bits) {
            entry.Text.assign(format());
            entry.Bits = bits;
            entry.Used = true;
        }
        return entry.Text;
    }

private:
    static constexpr int kBits = 8;
    struct Entry {
        std::uint64_t Bits = 0;
        bool Used = false;
        std::string Text;
    };
    std::vector<Entry> FEntries = std::vector<Entry>(std::size_t{1} << kBits);
};

// The same without a copy where it can: a text field's bytes where the row keeps them; other
// values, and the current row, in scratch. With `recent`, a date or time field's texts are kept
// there and found again by value.
std::string_view RowTextView(const TMemTable& table, int pos, const TField& field, std::string& scratch,
                             TRecentTexts* recent = nullptr);
// Whether rows other than the current one can be read without moving the cursor.
bool CanReadAnyRow();

} // namespace gridimpl
} // namespace qm
