// Compact row storage: each stored row is one packed buffer, and each table has one reusable edit buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/field_defs.h"
#include "dataset/row_storage.h"

namespace qm {

enum class TUpdateStatus : std::uint8_t { usUnmodified, usModified, usInserted, usDeleted };
using enum TUpdateStatus;

// A stored row is [null bits, padded to 8][one 8-byte slot per field][text bytes]. A text slot holds
// the offset and length of its bytes; other slots hold the number (int64, double or 0/1) itself.
class TRecordLayout {
public:
    void Build(const std::vector<TFieldType>& types);
    int FieldCount() const { return static_cast<int>(FIsText.size()); }
    bool IsText(int i) const { return FIsText[static_cast<std::size_t>(i)]; }
    std::size_t SlotsOffset() const { return FSlotsOffset; }

private:
    std::vector<bool> FIsText;
    std::size_t FSlotsOffset = 0;
};

// The values of the row being edited or inserted, unpacked so that assignments cost no allocation.
struct TEditBuffer {
    std::vector<std::uint64_t> Slots;
    std::vector<std::string> Texts;
    std::vector<std::uint8_t> Nulls;
    void Reset(int fieldCount); // all null; text capacity is kept
};

struct TStoredRow {
    TRowData Data; // null: every value null
    std::uint32_t Id = 0;
    std::int32_t SourceRowNo = 0;
    TUpdateStatus Status = usUnmodified;
};

namespace record {
bool IsNull(const TRecordLayout& layout, const std::byte* data, int field);
std::uint64_t Slot(const TRecordLayout& layout, const std::byte* data, int field);
std::string_view Text(const TRecordLayout& layout, const std::byte* data, int field);
TRowData Pack(const TRecordLayout& layout, const TEditBuffer& buffer); // a buffer of its own
std::byte* PackInto(const TRecordLayout& layout, const TEditBuffer& buffer, TRowArena& arena);
void Unpack(const TRecordLayout& layout, const std::byte* data, TEditBuffer& buffer);
// True when the buffer holds exactly the stored values.
bool Same(const TRecordLayout& layout, const std::byte* data, const TEditBuffer& buffer);
std::size_t PackedSize(const TRecordLayout& layout, const std::byte* data);
// A copy of a stored row; text offsets are relative to the row, so the bytes move as they are.
TRowData Clone(const TRecordLayout& layout, const std::byte* data);
std::byte* CloneInto(const TRecordLayout& layout, const std::byte* data, TRowArena& arena); // data not null
// A stored value as text through the format settings (defined with the fields).
std::string FormatSlot(TFieldType type, std::uint64_t slot, std::string_view text);
} // namespace record

} // namespace qm
