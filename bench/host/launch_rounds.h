// Rounds of launched programs, each round starting one kind later than the last, and the medians of
// what each kind cost: for benchmarks that set whole processes against each other.
#pragma once

#include "bench/host/launch.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qm::bench {

// The folder the running benchmark was built in: the programs it launches are built there too.
inline std::filesystem::path BinFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

// One kind of launch: its command line, and the handshake its script meets the launcher with.
struct LaunchKind {
    std::vector<std::string> Args;
    const Handshake* Meet = nullptr;
};

// The medians of one kind over the rounds kept.
struct Costs {
    double WallS = 0, CpuS = 0, PeakBytes = 0, HighWaterBytes = 0, SettledBytes = 0;
};

class Rounds {
public:
    Rounds(std::vector<LaunchKind> kinds, std::filesystem::path log)
        : FKinds(std::move(kinds)), FLog(std::move(log)), FSeen(FKinds.size()) {}

    // Launches every kind once, the first being kind TURN; KEEP counts the round. False, with Why
    // saying so, when a process failed: that is an error, never a figure.
    bool Run(int turn, bool keep) {
        const std::size_t n = FKinds.size();
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t kind = (k + static_cast<std::size_t>(turn)) % n;
            const Outcome o = Launch(FKinds[kind].Args, FLog, FKinds[kind].Meet);
            if (!o.Ok) {
                Why = o.Why;
                return false;
            }
            if (keep) FSeen[kind].push_back(o);
        }
        return true;
    }

    Costs Median(std::size_t kind) const {
        auto of = [&](double Outcome::*field) {
            std::vector<double> v;
            for (const Outcome& o : FSeen[kind])
                v.push_back(o.*field);
            return qm::bench::Median(v);
        };
        return {of(&Outcome::WallS), of(&Outcome::CpuS), of(&Outcome::PeakBytes),
                of(&Outcome::HighWaterBytes), of(&Outcome::SettledBytes)};
    }

    std::string Why;

private:
    std::vector<LaunchKind> FKinds;
    std::filesystem::path FLog;
    std::vector<std::vector<Outcome>> FSeen;
};

// Runs one unmeasured round (so that the rows and the libraries are in the caches for all), then
// one measured round per iteration of STATE. The children read no settings of the user's (their
// configuration lives in CONFIG) and draw nowhere. False, with STATE skipped and told why, when a
// process failed.
inline bool RunRounds(benchmark::State& state, Rounds& rounds, const std::filesystem::path& config) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    bool ok = rounds.Run(0, false);
    int turn = 0;
    for (auto _ : state)
        if (ok) ok = rounds.Run(++turn, true);
    if (!ok) state.SkipWithError(rounds.Why.c_str());
    return ok;
}

// Prints one figure against its target; false when it misses it.
inline bool Verdict(const char* what, double ratio, double target) {
    const bool met = ratio > 0 && ratio <= target;
    std::printf("    %-42s %.3f (target <= %.2f) %s\n", what, ratio, target, met ? "met" : "MISSED");
    return met;
}

} // namespace qm::bench
