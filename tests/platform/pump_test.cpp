#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/platform.h"

namespace qm {
namespace {

int gPumped = 0;
void CountingPump() { ++gPumped; }

// Installs the counting pump for one test and restores the previous one.
struct PumpGuard {
    PumpFunction previous = CurrentPump();
    PumpGuard() {
        SetPump(&CountingPump);
        gPumped = 0;
    }
    ~PumpGuard() { SetPump(previous); }
};

TEST(Pump, ProcessMessagesPumpsOnlyNowAndThen) {
    PumpGuard guard;
    ProcessMessagesNow();  // sets the time of the last pump to now
    gPumped = 0;
    // A burst far shorter than the pump interval: at most the one clock read could pass.
    for (int i = 0; i < 100000; ++i) ProcessMessages();
    EXPECT_LE(gPumped, 2);
}

TEST(Pump, ProcessMessagesPumpsAgainAfterTheInterval) {
    PumpGuard guard;
    ProcessMessagesNow();
    gPumped = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
    while (std::chrono::steady_clock::now() < until) ProcessMessages();
    EXPECT_GE(gPumped, 1);
}

TEST(Pump, ProcessMessagesNowAlwaysPumpsAndCounts) {
    PumpGuard guard;
    const std::size_t runs = PumpRuns();
    ProcessMessagesNow();
    ProcessMessagesNow();
    EXPECT_EQ(gPumped, 2);
    EXPECT_EQ(PumpRuns(), runs + 2);
    EXPECT_EQ(CurrentPump(), &CountingPump);
}

TEST(Pump, WithoutAPumpPostedMessagesStillRun) {
    struct T : MessageTarget {
        int n = 0;
        LRESULT handleMessage(unsigned, WPARAM, LPARAM) override { return ++n; }
    } target;
    PumpFunction previous = CurrentPump();
    SetPump(nullptr);
    HWND h = AllocateHandle(&target);
    PostMessage(h, 1, 0, 0);
    ProcessMessagesNow();
    EXPECT_EQ(target.n, 1);
    ReleaseHandle(h);
    SetPump(previous);
}

TEST(Pump, OperationScopesNest) {
    EXPECT_FALSE(OperationRunning());
    {
        OperationScope outer;
        {
            OperationScope inner;
            EXPECT_TRUE(OperationRunning());
        }
        EXPECT_TRUE(OperationRunning());
    }
    EXPECT_FALSE(OperationRunning());
}

}  // namespace
}  // namespace qm
