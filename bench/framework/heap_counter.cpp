// Counts live bytes as malloc_usable_size reports them, so the figure includes what the allocator
// rounds up; the peak follows every allocation.
#include "heap_counter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

#include <pugixml.hpp>

namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(std::size_t size) noexcept {
    void* p = std::malloc(size ? size : 1);
    if (!p) return nullptr;
    const std::size_t live = gLive += malloc_usable_size(p);
    std::size_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return p;
}

void Uncounted(void* p) noexcept {
    if (!p) return;
    gLive -= malloc_usable_size(p);
    std::free(p);
}

void* Allocate(std::size_t size) {
    void* p = Counted(size);
    if (!p) throw std::bad_alloc();
    return p;
}
} // namespace

namespace qm::bench {
std::size_t LiveHeapBytes() {
    return gLive.load();
}
std::size_t PeakHeapBytes() {
    return gPeak.load();
}
void ResetPeakHeap() {
    gPeak.store(gLive.load());
}
void CountXmlAllocations() {
    pugi::set_memory_management_functions(&Counted, &Uncounted);
}
} // namespace qm::bench

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Counted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Counted(size);
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Uncounted(p);
}
