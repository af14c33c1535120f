#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/platform.h"

namespace qm {
namespace {

int gPumped = 0;
void CountingPump() {
    ++gPumped;
}

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
    ProcessMessagesNow(); // sets the time of the last pump to now
    gPumped = 0;
    // A burst far shorter than the pump interval: at most the one clock read could pass.
    for (int i = 0; i < 100000; ++i)
        ProcessMessages();
    EXPECT_LE(gPumped, 2);
}

TEST(Pump, ProcessMessagesPumpsAgainAfterTheInterval) {
    PumpGuard guard;
    ProcessMessagesNow();
    gPumped = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
    while (std::chrono::steady_clock::now() < until)
        ProcessMessages();
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

// A step run aside: the caller keeps pumping, input held back, until the step has finished, and
// sees what the step raised.
TEST(Pump, RunAsideKeepsPumpingUntilTheStepEnds) {
    static bool sawOperation = false;
    static std::atomic<bool> stepDone{false};
    struct Local {
        static void Pump() {
            ++gPumped;
            sawOperation = OperationRunning();
        }
    };
    PumpFunction previous = CurrentPump();
    SetPump(&Local::Pump);
    gPumped = 0;
    stepDone = false;
    const auto caller = std::this_thread::get_id();
    std::thread::id ranOn;
    RunAside([&] {
        ranOn = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        stepDone = true;
    });
    EXPECT_TRUE(stepDone);
    EXPECT_NE(ranOn, caller);
    EXPECT_GE(gPumped, 2); // several turns while the step slept, not one at the end only
    EXPECT_TRUE(sawOperation);
    EXPECT_FALSE(OperationRunning());

    EXPECT_THROW(RunAside([] { throw std::runtime_error("store gone"); }), std::runtime_error);
    EXPECT_FALSE(OperationRunning());
    SetPump(previous);
}

// The pump's state belongs to the waiting thread: a debug build stops a helper that pumps.
TEST(PumpDeathTest, AHelperThreadThatPumpsStopsADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked in debug builds";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(RunAside([] { ProcessMessagesNow(); }), "a helper thread let messages run");
#endif
}

} // namespace
} // namespace qm
