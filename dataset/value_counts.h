// How many rows hold each value, by a 32-bit hash of the value: a flat table of counts that never
// counts too few (two values sharing a hash count together).
#pragma once

#include <cstdint>
#include <vector>

namespace qm {

class TValueCounts {
public:
    void Add(std::uint32_t hash, int delta);
    std::uint32_t Get(std::uint32_t hash) const;
    void Clear() { FSlots.clear(), FUsed = 0; }

private:
    struct TSlot {
        std::uint32_t Key = 0; // the hash with its low bit set; 0: never used
        std::uint32_t Count = 0;
    };
    std::size_t Find(std::uint32_t key) const; // its slot, or the empty one it would take
    void Grow();
    std::vector<TSlot> FSlots; // a power of two, at most half used
    std::size_t FUsed = 0;
};

} // namespace qm
