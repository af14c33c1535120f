#include "dataset/row_storage.h"

#include <algorithm>

#include "platform/platform.h"

namespace qm {

namespace {
// Blocks grow with the table, so that a one-row answer does not hold a large block; those of a long
// answer are large enough to be laid on 2 MB pages.
constexpr std::size_t kFirstBlock = 4 * 1024;
constexpr std::size_t kLargestBlock = 8 * 1024 * 1024;
} // namespace

std::byte* TRowArena::Allocate(std::size_t size) {
    size = std::max<std::size_t>(8, (size + 7) & ~std::size_t{7});
    if (size > FLeft) {
        const std::size_t block = std::max(size, std::clamp(FHeld, kFirstBlock, kLargestBlock));
        FBlocks.push_back(std::make_unique_for_overwrite<std::byte[]>(block));
        AdviseHugePages(FBlocks.back().get(), block);
        FNext = FBlocks.back().get();
        FLeft = block;
        FHeld += block;
    }
    std::byte* at = FNext;
    FNext += size;
    FLeft -= size;
    return at;
}

} // namespace qm
