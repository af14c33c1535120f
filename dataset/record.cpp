#include "dataset/record.h"

#include <algorithm>
#include <cstring>

namespace qm {

void TRecordLayout::Build(const std::vector<TFieldType>& types) {
    FIsText.clear();
    for (TFieldType t : types)
        FIsText.push_back(t == ftString);
    FSlotsOffset = (types.size() + 7) / 8;
    FSlotsOffset = (FSlotsOffset + 7) & ~std::size_t{7};
}

void TEditBuffer::Reset(int fieldCount) {
    auto n = static_cast<std::size_t>(fieldCount);
    Slots.assign(n, 0);
    Nulls.assign(n, 1);
    Texts.resize(n);
    for (auto& t : Texts)
        t.clear();
}

namespace record {

namespace {
struct TextRef {
    std::uint32_t Offset;
    std::uint32_t Length;
};

std::uint64_t LoadSlot(const TRecordLayout& layout, const std::byte* data, int field) {
    std::uint64_t v;
    std::memcpy(&v, data + layout.SlotsOffset() + static_cast<std::size_t>(field) * 8, 8);
    return v;
}

TextRef LoadText(const TRecordLayout& layout, const std::byte* data, int field) {
    TextRef ref;
    std::memcpy(&ref, data + layout.SlotsOffset() + static_cast<std::size_t>(field) * 8, 8);
    return ref;
}
} // namespace

bool IsNull(const TRecordLayout&, const std::byte* data, int field) {
    if (!data) return true;
    return (std::to_integer<unsigned>(data[field / 8]) >> (field % 8)) & 1u;
}

std::uint64_t Slot(const TRecordLayout& layout, const std::byte* data, int field) {
    return data ? LoadSlot(layout, data, field) : 0;
}

std::string_view Text(const TRecordLayout& layout, const std::byte* data, int field) {
    if (!data || IsNull(layout, data, field)) return {};
    TextRef ref = LoadText(layout, data, field);
    return {reinterpret_cast<const char*>(data) + ref.Offset, ref.Length};
}

namespace {
std::size_t PackSize(const TRecordLayout& layout, const TEditBuffer& buffer) {
    const int n = layout.FieldCount();
    std::size_t size = layout.SlotsOffset() + static_cast<std::size_t>(n) * 8;
    for (int i = 0; i < n; ++i)
        if (layout.IsText(i) && !buffer.Nulls[static_cast<std::size_t>(i)])
            size += buffer.Texts[static_cast<std::size_t>(i)].size();
    return size;
}

void PackTo(const TRecordLayout& layout, const TEditBuffer& buffer, std::byte* data) {
    const int n = layout.FieldCount();
    std::memset(data, 0, layout.SlotsOffset());
    std::size_t tail = layout.SlotsOffset() + static_cast<std::size_t>(n) * 8;
    for (int i = 0; i < n; ++i) {
        auto ui = static_cast<std::size_t>(i);
        std::byte* slot = data + layout.SlotsOffset() + ui * 8;
        if (buffer.Nulls[ui]) {
            data[ui / 8] |= std::byte(1u << (ui % 8));
            std::memset(slot, 0, 8);
        } else if (layout.IsText(i)) {
            const std::string& t = buffer.Texts[ui];
            TextRef ref{static_cast<std::uint32_t>(tail), static_cast<std::uint32_t>(t.size())};
            std::memcpy(slot, &ref, 8);
            if (!t.empty()) std::memcpy(data + tail, t.data(), t.size());
            tail += t.size();
        } else {
            std::memcpy(slot, &buffer.Slots[ui], 8);
        }
    }
}
} // namespace

TRowData Pack(const TRecordLayout& layout, const TEditBuffer& buffer) {
    // Never empty, even without fields: a null row would read as all null.
    auto data =
        std::make_unique_for_overwrite<std::byte[]>(std::max<std::size_t>(1, PackSize(layout, buffer)));
    PackTo(layout, buffer, data.get());
    return TRowData(std::move(data));
}

std::byte* PackInto(const TRecordLayout& layout, const TEditBuffer& buffer, TRowArena& arena) {
    std::byte* data = arena.Allocate(PackSize(layout, buffer));
    PackTo(layout, buffer, data);
    return data;
}

void Unpack(const TRecordLayout& layout, const std::byte* data, TEditBuffer& buffer) {
    const int n = layout.FieldCount();
    buffer.Reset(n);
    if (!data) return;
    for (int i = 0; i < n; ++i) {
        auto ui = static_cast<std::size_t>(i);
        if (IsNull(layout, data, i)) continue;
        buffer.Nulls[ui] = 0;
        if (layout.IsText(i))
            buffer.Texts[ui].assign(Text(layout, data, i));
        else
            buffer.Slots[ui] = LoadSlot(layout, data, i);
    }
}

bool Same(const TRecordLayout& layout, const std::byte* data, const TEditBuffer& buffer) {
    const int n = layout.FieldCount();
    for (int i = 0; i < n; ++i) {
        auto ui = static_cast<std::size_t>(i);
        bool null = IsNull(layout, data, i);
        if (null != (buffer.Nulls[ui] != 0)) return false;
        if (null) continue;
        if (layout.IsText(i)) {
            if (Text(layout, data, i) != buffer.Texts[ui]) return false;
        } else if (LoadSlot(layout, data, i) != buffer.Slots[ui]) {
            return false;
        }
    }
    return true;
}

std::size_t PackedSize(const TRecordLayout& layout, const std::byte* data) {
    if (!data) return 0;
    const int n = layout.FieldCount();
    std::size_t size = layout.SlotsOffset() + static_cast<std::size_t>(n) * 8;
    for (int i = 0; i < n; ++i)
        if (layout.IsText(i) && !IsNull(layout, data, i)) size += LoadText(layout, data, i).Length;
    return size;
}

TRowData Clone(const TRecordLayout& layout, const std::byte* data) {
    if (!data) return nullptr;
    const std::size_t size = PackedSize(layout, data);
    auto copy = std::make_unique_for_overwrite<std::byte[]>(std::max<std::size_t>(1, size));
    std::memcpy(copy.get(), data, size);
    return TRowData(std::move(copy));
}

std::byte* CloneInto(const TRecordLayout& layout, const std::byte* data, TRowArena& arena) {
    const std::size_t size = PackedSize(layout, data);
    std::byte* copy = arena.Allocate(size);
    std::memcpy(copy, data, size);
    return copy;
}

} // namespace record
} // namespace qm
