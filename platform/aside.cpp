// One long step on a helper thread while the calling thread keeps its messages running.
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/internal.h"
#include "platform/platform.h"

namespace qm {

thread_local bool detail::tAsideHelper = false;

void RunAside(const std::function<void()>& step) {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr error;
    std::thread helper([&] {
        detail::tAsideHelper = true;
        try {
            step();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> hold(lock);
        done = true;
        finished.notify_one();
    });
    // The helper refers to this frame: it is joined on every path, a failing pump included.
    struct Joiner {
        std::thread& thread;
        ~Joiner() { thread.join(); }
    } joiner{helper};
    {
        OperationScope busy;
        std::unique_lock<std::mutex> hold(lock);
        while (!done) {
            hold.unlock();
            ProcessMessagesNow();
            hold.lock();
            // Wakes at once when the step ends; otherwise pumps as often as long loops do, well
            // within a frame, without spinning the event loop for nothing.
            finished.wait_for(hold, std::chrono::milliseconds(4), [&] { return done; });
        }
    }
    if (error) std::rethrow_exception(error);
}

} // namespace qm
