// Takes the place of the C library's allocation functions in the benchmark's executable (shared
// libraries bind to these too) and counts live bytes as malloc_usable_size reports them, so the
// figure includes what the allocator rounds up. The C library's own entry points do the work.
#include "alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <malloc.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(void* p) {
    if (!p) return p;
    const std::size_t size = malloc_usable_size(p);
    const std::size_t live = gLive.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return p;
}

void Uncount(void* p) {
    if (p) gLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
}

std::size_t PageSize() {
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
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
} // namespace qm::bench

extern "C" {
void* malloc(std::size_t size) {
    return Counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) {
    return Counted(__libc_calloc(count, size));
}
void free(void* p) {
    Uncount(p);
    __libc_free(p);
}
void* realloc(void* p, std::size_t size) {
    if (!p) return malloc(size);
    if (size == 0) {
        free(p);
        return nullptr;
    }
    const std::size_t before = malloc_usable_size(p);
    void* q = __libc_realloc(p, size);
    if (!q) return nullptr; // p is untouched
    gLive.fetch_sub(before, std::memory_order_relaxed);
    return Counted(q);
}
void* reallocarray(void* p, std::size_t count, std::size_t size) {
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(count, size, &bytes)) {
        errno = ENOMEM;
        return nullptr;
    }
    return realloc(p, bytes);
}
void* memalign(std::size_t alignment, std::size_t size) {
    return Counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
void* valloc(std::size_t size) {
    return memalign(PageSize(), size);
}
void* pvalloc(std::size_t size) {
    const std::size_t page = PageSize();
    return memalign(page, (size + page - 1) / page * page);
}
}
