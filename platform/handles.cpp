// Window handles: small numbers that name a message target and the UI layer's native window.
#include <mutex>
#include <unordered_map>

#include "platform/internal.h"

namespace qm {
namespace {

struct HandleEntry {
    MessageTarget* target = nullptr;
    void* native = nullptr;
};

struct HandleTable {
    std::mutex lock;
    std::unordered_map<HWND, HandleEntry> entries;
    // Start away from 0 and small numbers so a stray integer is unlikely to name a window.
    HWND next = 0x00010002;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

} // namespace

HWND AllocateHandle(MessageTarget* target) {
    HandleTable& t = Table();
    std::lock_guard guard(t.lock);
    HWND h;
    do {
        h = t.next;
        t.next += 2;
        if (t.next < 0x00010002) t.next = 0x00010002; // wrapped: skip 0 and the low range
    } while (h == 0 || t.entries.count(h) != 0);
    t.entries[h] = HandleEntry{target, nullptr};
    return h;
}

void ReleaseHandle(HWND handle) {
    {
        HandleTable& t = Table();
        std::lock_guard guard(t.lock);
        t.entries.erase(handle);
    }
    detail::DropPostedMessages(handle);
}

MessageTarget* HandleTarget(HWND handle) {
    HandleTable& t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.entries.find(handle);
    return it == t.entries.end() ? nullptr : it->second.target;
}

bool IsWindow(HWND handle) {
    HandleTable& t = Table();
    std::lock_guard guard(t.lock);
    return handle != 0 && t.entries.count(handle) != 0;
}

void SetNativeWindow(HWND handle, void* native) {
    HandleTable& t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.entries.find(handle);
    if (it != t.entries.end()) it->second.native = native;
}

void* NativeWindow(HWND handle) {
    HandleTable& t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.entries.find(handle);
    return it == t.entries.end() ? nullptr : it->second.native;
}

HWND HandleOfNative(const void* native) {
    if (!native) return 0;
    HandleTable& t = Table();
    std::lock_guard guard(t.lock);
    for (const auto& [h, e] : t.entries)
        if (e.native == native) return h;
    return 0;
}

} // namespace qm
