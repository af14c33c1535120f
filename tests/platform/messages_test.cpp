#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"

namespace qm {
namespace {

struct Recorder : MessageTarget {
    struct Msg {
        unsigned msg;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Msg> got;
    std::function<void(unsigned)> onMessage;
    LRESULT handleMessage(unsigned msg, WPARAM w, LPARAM l) override {
        got.push_back({msg, w, l});
        if (onMessage) onMessage(msg);
        return static_cast<LRESULT>(msg) * 2;
    }
};

// Owns a handle for one test.
struct Window {
    Recorder target;
    HWND handle = AllocateHandle(&target);
    ~Window() { ReleaseHandle(handle); }
};

TEST(Handles, AllocatedHandlesAreDistinctAndNeverZero) {
    Window a, b;
    EXPECT_NE(a.handle, 0u);
    EXPECT_NE(b.handle, 0u);
    EXPECT_NE(a.handle, b.handle);
    EXPECT_TRUE(IsWindow(a.handle));
    EXPECT_FALSE(IsWindow(0));
    EXPECT_EQ(HandleTarget(a.handle), &a.target);
}

TEST(Handles, NativeWindowMapsBothWays) {
    Window w;
    int native = 0;
    EXPECT_EQ(NativeWindow(w.handle), nullptr);
    SetNativeWindow(w.handle, &native);
    EXPECT_EQ(NativeWindow(w.handle), &native);
    EXPECT_EQ(HandleOfNative(&native), w.handle);
    EXPECT_EQ(HandleOfNative(nullptr), 0u);
}

TEST(Handles, ReleasedHandleIsForgotten) {
    Recorder r;
    HWND h = AllocateHandle(&r);
    int native = 0;
    SetNativeWindow(h, &native);
    ReleaseHandle(h);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(HandleTarget(h), nullptr);
    EXPECT_EQ(HandleOfNative(&native), 0u);
    EXPECT_EQ(SendMessage(h, 1, 2, 3), 0);
    EXPECT_FALSE(PostMessage(h, 1, 2, 3));
    EXPECT_TRUE(r.got.empty());
}

TEST(Messages, SendRunsAtOnceAndReturnsTheResult) {
    Window w;
    EXPECT_EQ(SendMessage(w.handle, 1130, 7, -1), 2260);
    ASSERT_EQ(w.target.got.size(), 1u);
    EXPECT_EQ(w.target.got[0].w, 7u);
    EXPECT_EQ(w.target.got[0].l, -1);
    EXPECT_EQ(SendMessage(0, 1, 0, 0), 0);
}

TEST(Messages, PostWaitsForDeliveryInOrder) {
    Window w;
    EXPECT_TRUE(PostMessage(w.handle, 1, 10, 0));
    EXPECT_TRUE(PostMessage(w.handle, 2, 20, 0));
    EXPECT_TRUE(w.target.got.empty());
    EXPECT_EQ(PendingMessageCount(), 2u);
    EXPECT_EQ(DeliverPostedMessages(), 2u);
    ASSERT_EQ(w.target.got.size(), 2u);
    EXPECT_EQ(w.target.got[0].msg, 1u);
    EXPECT_EQ(w.target.got[1].msg, 2u);
    EXPECT_EQ(PendingMessageCount(), 0u);
}

TEST(Messages, MessagesPostedDuringDeliveryWaitForTheNextRound) {
    Window w;
    w.target.onMessage = [&](unsigned msg) {
        if (msg == 1) PostMessage(w.handle, 2, 0, 0);
    };
    PostMessage(w.handle, 1, 0, 0);
    EXPECT_EQ(DeliverPostedMessages(), 1u);
    EXPECT_EQ(PendingMessageCount(), 1u);
    EXPECT_EQ(DeliverPostedMessages(), 1u);
    EXPECT_EQ(w.target.got.size(), 2u);
}

TEST(Messages, ReleasingAHandleDropsItsQueuedMessages) {
    Window keep;
    auto gone = std::make_unique<Window>();
    PostMessage(gone->handle, 1, 0, 0);
    PostMessage(keep.handle, 2, 0, 0);
    gone.reset();
    EXPECT_EQ(PendingMessageCount(), 1u);
    EXPECT_EQ(DeliverPostedMessages(), 1u);
    EXPECT_EQ(keep.target.got.size(), 1u);
}

TEST(Messages, NotifierRunsOnEveryPost) {
    Window w;
    int calls = 0;
    SetPostNotifier([&] { ++calls; });
    PostMessage(w.handle, 1, 0, 0);
    PostMessage(w.handle, 1, 0, 0);
    SetPostNotifier(nullptr);
    PostMessage(w.handle, 1, 0, 0);
    EXPECT_EQ(calls, 2);
    DeliverPostedMessages();
}

} // namespace
} // namespace qm
