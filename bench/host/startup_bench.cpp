// From launch to the first painted window, through the real programs on the offscreen platform:
// the built qmhost (with the built module and dialog.dll) against the plain Qt peer (peer_table
// --idle), both on the same store file with no rows. qmhost runs a script whose one step lets
// the pending events run (the window's first paint among them) and exits; the peer shows its
// view, paints it and exits. Each round launches every kind once, in an order that turns every
// round; the figures are the medians over the rounds of the wall time from launch to exit, and
// their ratio (goal: qmhost <= 1.1 x the peer). Beside them the same for qmhost searching the empty
// store as it opens, as a clerk starts it, and the CPU times.
#include "bench/host/launch.h"
#include "bench/host/store_rows.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using qm::bench::Median;

constexpr int kKinds = 3;
const char* const kNames[kKinds] = {"host", "host_search", "peer"};

fs::path BinFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

struct Setup {
    qm::bench::StoreWithRows Rows{0, "startup"};
    fs::path Work;
    std::vector<std::string> Kinds[kKinds];
    std::string Missing;

    Setup() {
        Work = fs::temp_directory_path() / ("qmhost-startup-" + std::to_string(::getpid()));
        fs::create_directories(Work / "config");
        std::ofstream(Work / "paint.txt") << "wait\n";
        const fs::path bin = BinFolder();
        for (const char* need : {"qmhost", "libtarn204.so", "dialog.dll", "peer_table"})
            if (!fs::exists(bin / need)) Missing += std::string(Missing.empty() ? "" : ", ") + need;
        const std::string host = (bin / "qmhost").string();
        const std::string db = Rows.Path.string();
        const std::string script = (Work / "paint.txt").string();
        Kinds[0] = {host, "--db", db, "--no-search", "--script", script};
        Kinds[1] = {host, "--db", db, "--script", script};
        Kinds[2] = {(bin / "peer_table").string(), "--idle", db, "0"};
    }
    ~Setup() {
        std::error_code ignored;
        fs::remove_all(Work, ignored);
    }
};

double gWall[kKinds], gCpu[kKinds];
bool gDone = false;

void StartToFirstPaint(benchmark::State& state) {
    static Setup setup;
    if (!setup.Missing.empty()) {
        state.SkipWithError(("not built beside the benchmark: " + setup.Missing).c_str());
        return;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", (setup.Work / "config").c_str(), 1);
    const fs::path log = setup.Work / "child.log";

    std::vector<double> wall[kKinds], cpu[kKinds];
    auto round = [&](int turn, bool keep) {
        for (int k = 0; k < kKinds; ++k) {
            const int kind = (k + turn) % kKinds;
            const qm::bench::Outcome o = qm::bench::Launch(setup.Kinds[kind], log);
            if (!o.Ok) {
                state.SkipWithError(o.Why.c_str());
                return false;
            }
            if (keep) {
                wall[kind].push_back(o.WallS);
                cpu[kind].push_back(o.CpuS);
            }
        }
        return true;
    };
    // One round unmeasured: the libraries and fonts in the page cache for every kind.
    if (!round(0, false)) return;
    int turn = 0;
    for (auto _ : state)
        if (!round(++turn, true)) return;

    for (int k = 0; k < kKinds; ++k) {
        gWall[k] = Median(wall[k]);
        gCpu[k] = Median(cpu[k]);
        state.counters[std::string(kNames[k]) + "_ms"] = gWall[k] * 1e3;
        state.counters[std::string(kNames[k]) + "_cpu_ms"] = gCpu[k] * 1e3;
    }
    state.counters["ratio"] = gWall[2] > 0 ? gWall[0] / gWall[2] : 0;
    state.counters["search_ratio"] = gWall[2] > 0 ? gWall[1] / gWall[2] : 0;
    state.counters["cpu_ratio"] = gCpu[2] > 0 ? gCpu[0] / gCpu[2] : 0;
    gDone = true;
}
// Each iteration is one round; the medians are over the rounds.
BENCHMARK(StartToFirstPaint)->Iterations(11)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (gDone)
        std::printf("start to first painted window, medians of 11 rounds: qmhost %.1f ms (searching on open "
                    "%.1f ms), peer %.1f ms; qmhost / peer %.2f (goal <= 1.1), searching %.2f, CPU %.2f\n",
                    gWall[0] * 1e3, gWall[1] * 1e3, gWall[2] * 1e3, gWall[0] / gWall[2], gWall[1] / gWall[2],
                    gCpu[0] / gCpu[2]);
    benchmark::Shutdown();
    return 0;
}
