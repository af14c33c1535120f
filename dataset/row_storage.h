// Where stored rows live: one heap buffer each, or packed side by side in a table's arena.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qm {

// Rows appended in bulk are carved from large blocks: one allocation per block instead of one per
// row, and the whole lot freed at once. Bytes handed out never move and are never written again,
// so tables of the same layout can share them while they hold a reference to the arena.
class TRowArena {
public:
    TRowArena() = default;
    TRowArena(const TRowArena&) = delete;
    TRowArena& operator=(const TRowArena&) = delete;

    std::byte* Allocate(std::size_t size); // 8-byte aligned, never null
    std::size_t BytesHeld() const { return FHeld; }

private:
    std::vector<std::unique_ptr<std::byte[]>> FBlocks;
    std::byte* FNext = nullptr;
    std::size_t FLeft = 0;
    std::size_t FHeld = 0;
};

// The bytes of one stored row: a buffer of its own, or a place in an arena that the table keeps
// alive (in its own arena, or in one it shares with the table it copied the row from).
class TRowData {
public:
    enum class TPlace : std::uintptr_t { Heap = 0, OwnArena = 1, SharedArena = 2 };

    TRowData() = default;
    TRowData(std::nullptr_t) {}
    TRowData(std::unique_ptr<std::byte[]> data) : FBits(reinterpret_cast<std::uintptr_t>(data.release())) {}
    static TRowData InArena(std::byte* data, TPlace place) {
        TRowData row;
        row.FBits = reinterpret_cast<std::uintptr_t>(data) | static_cast<std::uintptr_t>(place);
        return row;
    }
    TRowData(TRowData&& other) noexcept : FBits(std::exchange(other.FBits, 0)) {}
    TRowData& operator=(TRowData&& other) noexcept {
        if (this != &other) {
            Release();
            FBits = std::exchange(other.FBits, 0);
        }
        return *this;
    }
    TRowData(const TRowData&) = delete;
    TRowData& operator=(const TRowData&) = delete;
    ~TRowData() { Release(); }

    std::byte* get() const { return reinterpret_cast<std::byte*>(FBits & ~kTagMask); }
    explicit operator bool() const { return FBits != 0; }
    TPlace Place() const { return static_cast<TPlace>(FBits & kTagMask); }

private:
    static constexpr std::uintptr_t kTagMask = 3; // arena and heap rows are at least 8-byte aligned
    void Release() {
        if (FBits != 0 && Place() == TPlace::Heap) delete[] get();
        FBits = 0;
    }
    std::uintptr_t FBits = 0;
};

} // namespace qm
