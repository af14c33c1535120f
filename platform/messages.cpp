// Sent messages run at once; posted ones wait in one queue until the event loop delivers them.
#include <deque>
#include <mutex>

#include "platform/internal.h"

namespace qm {
namespace {

struct Posted {
    std::uint64_t seq;
    HWND handle;
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
};

struct Queue {
    std::mutex lock;
    std::deque<Posted> items;
    std::uint64_t nextSeq = 0;
    std::function<void()> notifier;
};

Queue& TheQueue() {
    static Queue q;
    return q;
}

} // namespace

LRESULT SendMessage(HWND handle, unsigned msg, WPARAM wParam, LPARAM lParam) {
    MessageTarget* target = HandleTarget(handle);
    return target ? target->handleMessage(msg, wParam, lParam) : 0;
}

bool PostMessage(HWND handle, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(handle)) return false;
    std::function<void()> notify;
    {
        Queue& q = TheQueue();
        std::lock_guard guard(q.lock);
        q.items.push_back(Posted{q.nextSeq++, handle, msg, wParam, lParam});
        notify = q.notifier;
    }
    if (notify) notify();
    return true;
}

std::size_t DeliverPostedMessages() {
    Queue& q = TheQueue();
    std::uint64_t end;
    {
        std::lock_guard guard(q.lock);
        end = q.nextSeq;
    }
    std::size_t ran = 0;
    for (;;) {
        Posted m;
        {
            std::lock_guard guard(q.lock);
            if (q.items.empty() || q.items.front().seq >= end) break;
            m = q.items.front();
            q.items.pop_front();
        }
        // Looked up at delivery: a handle released meanwhile gets nothing.
        if (MessageTarget* target = HandleTarget(m.handle)) {
            target->handleMessage(m.msg, m.wParam, m.lParam);
            ++ran;
        }
    }
    return ran;
}

std::size_t PendingMessageCount() {
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    return q.items.size();
}

void SetPostNotifier(std::function<void()> notifier) {
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    q.notifier = std::move(notifier);
}

namespace detail {
void DropPostedMessages(HWND handle) {
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    std::erase_if(q.items, [handle](const Posted& m) { return m.handle == handle; });
}
} // namespace detail

} // namespace qm
