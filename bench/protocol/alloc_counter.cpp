// Replaces the global operator new/delete to count live bytes as malloc_usable_size reports them,
// so the figure includes what the allocator rounds up.
#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const std::size_t live = gLive += malloc_usable_size(p);
    std::size_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return p;
}

void Release(void* p) noexcept {
    if (!p) return;
    gLive -= malloc_usable_size(p);
    std::free(p);
}
}  // namespace

namespace qm::bench {
std::size_t LiveHeapBytes() { return gLive.load(); }
std::size_t PeakHeapBytes() { return gPeak.load(); }
void ResetPeakHeap() { gPeak = gLive.load(); }
}  // namespace qm::bench

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
