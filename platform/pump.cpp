// Letting pending messages run from inside long loops, cheaply: most calls only decrement a counter.
#include <atomic>
#include <cassert>
#include <chrono>

#include "platform/internal.h"
#include "platform/platform.h"

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

// Calls between two looks at the clock, and the least time between two pumps.
constexpr int kCallsPerClockRead = 256;
constexpr auto kMinPumpInterval = std::chrono::milliseconds(5);

PumpFunction gPump = nullptr;
int gCountdown = kCallsPerClockRead;
Clock::time_point gLastPump{};
std::size_t gPumpRuns = 0;
int gOperations = 0;

void RunPump() {
    assert(!detail::tAsideHelper && "a helper thread let messages run");
    ++gPumpRuns;
    gLastPump = Clock::now();
    if (gPump)
        gPump();
    else
        DeliverPostedMessages();
}

} // namespace

void SetPump(PumpFunction pump) {
    gPump = pump;
}
PumpFunction CurrentPump() {
    return gPump;
}

void ProcessMessages() {
    if (--gCountdown > 0) return;
    gCountdown = kCallsPerClockRead;
    if (Clock::now() - gLastPump < kMinPumpInterval) return;
    RunPump();
}

void ProcessMessagesIfDue() {
    gCountdown = kCallsPerClockRead;
    if (Clock::now() - gLastPump >= kMinPumpInterval) RunPump();
}

void ProcessMessagesNow() {
    RunPump();
}

std::size_t PumpRuns() {
    return gPumpRuns;
}

OperationScope::OperationScope() {
    ++gOperations;
}
OperationScope::~OperationScope() {
    assert(gOperations > 0 && "an operation ended that never began");
    --gOperations;
}
bool OperationRunning() {
    return gOperations > 0;
}

} // namespace qm
