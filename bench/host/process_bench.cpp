// What a clerk's machine pays for a search of 100,000 and of 1,000,000 rows, through the real
// programs: the built qmhost with the built module and dialog.dll, against the plain Qt peer
// (peer_table: a QSqlTableModel in a QTableView, every row fetched) on the same SQLite file.
//
// Each round launches four processes on the offscreen platform, in an order that turns every round:
//   - qmhost --no-search --script that runs the search and expects every row, and the same with a
//     script that only checks the empty form (the idle host);
//   - peer_table fetching every row, and peer_table --idle.
// Per process: wall time from launch to exit, CPU time (user + system, every thread) and its peak
// resident size (wait4's ru_maxrss). After its last step each qmhost script signals and waits for
// the launcher, which reads the host's peak and its resident size then from /proc: what the search
// left held (settled) beside the most it ever held. A process that fails is an error, never a figure.
// From the medians over the rounds (at least five), each above the same program's idle run:
//   time_ratio   = qmhost's wall time / the peer's                        (target <= 1.0)
//   memory_ratio = qmhost's peak / the peer's peak                        (target <= 1.0)
//   peak_ratio   = qmhost's peak / what it holds once the search settled  (target <= 1.5)
// A missed target is printed as such and makes the exit code 1. On a machine shared with other
// work the wall times stretch with the load, the CPU times much less: their ratio is shown beside.
#include "bench/host/launch_rounds.h"
#include "bench/host/store_rows.h"
#include "platform/platform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qm::bench::BinFolder;
using qm::bench::Costs;
using qm::bench::Handshake;
using qm::bench::LaunchKind;
using qm::bench::Rounds;
using qm::bench::RunRounds;
using qm::bench::StatusBytes;
using qm::bench::Verdict;
using qm::bench::WriteFile;

constexpr double kMB = 1e6;
constexpr double kTimeTarget = 1.0, kMemoryTarget = 1.0, kPeakTarget = 1.5;

// This process's resident size now: a forked child starts its high-water mark from it.
double ResidentBytes() {
    return StatusBytes(::getpid(), "VmRSS");
}

enum Kind { HostSearch, HostIdle, PeerSearch, PeerIdle, kKinds };

// The store file and the command lines for one size.
struct Setup {
    qm::bench::StoreWithRows Rows;
    fs::path Work;
    Handshake Meet;
    std::vector<LaunchKind> Kinds;
    std::string Missing;

    explicit Setup(int rows) : Rows(rows, "process") {
        Work = fs::temp_directory_path() / ("qmhost-process-" + std::to_string(::getpid()));
        fs::create_directories(Work / "config");
        Meet = {Work / "ready", Work / "go"};
        const std::string signal = "touch " + Meet.Ready.string() + "\nwait-for " + Meet.Go.string() + "\n";
        WriteFile(Work / "search.txt", "command search\nexpect-rows " + std::to_string(rows) + "\n" + signal);
        WriteFile(Work / "idle.txt", "expect-rows 0\n" + signal);

        const fs::path bin = BinFolder();
        for (const char* need : {"qmhost", "libtarn204.so", "dialog.dll", "peer_table"})
            if (!fs::exists(bin / need)) Missing += std::string(Missing.empty() ? "" : ", ") + need;
        const std::string host = (bin / "qmhost").string();
        const std::string peer = (bin / "peer_table").string();
        const std::string db = Rows.Path.string();
        Kinds.resize(kKinds);
        Kinds[HostSearch] = {{host, "--db", db, "--no-search", "--script", (Work / "search.txt").string()},
                             &Meet};
        Kinds[HostIdle] = {{host, "--db", db, "--no-search", "--script", (Work / "idle.txt").string()},
                           &Meet};
        Kinds[PeerSearch] = {{peer, db, std::to_string(rows)}};
        Kinds[PeerIdle] = {{peer, "--idle", db, "0"}};
    }
    ~Setup() {
        std::error_code ignored;
        fs::remove_all(Work, ignored);
    }
};

struct Figures {
    double HostTime = 0, PeerTime = 0, HostCpu = 0, PeerCpu = 0, HostMemory = 0, PeerMemory = 0;
    double HostHighWater = 0, HostSettled = 0;
    double TimeRatio() const { return PeerTime > 0 ? HostTime / PeerTime : 0; }
    double CpuRatio() const { return PeerCpu > 0 ? HostCpu / PeerCpu : 0; }
    double MemoryRatio() const { return PeerMemory > 0 ? HostMemory / PeerMemory : 0; }
    double PeakRatio() const { return HostSettled > 0 ? HostHighWater / HostSettled : 0; }
};
std::map<int, Figures> gFigures; // by rows

void HostAgainstPeer(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    // The store of 1,000,000 rows is made only when its run comes, and goes once it is done.
    const auto setup = std::make_unique<Setup>(rows);
    if (!setup->Missing.empty()) {
        state.SkipWithError(("not built beside the benchmark: " + setup->Missing).c_str());
        return;
    }
    Rounds rounds(setup->Kinds, setup->Work / "child.log");
    if (!RunRounds(state, rounds, setup->Work / "config")) return;

    double w[kKinds], p[kKinds], u[kKinds], h[kKinds], r[kKinds];
    for (int k = 0; k < kKinds; ++k) {
        const Costs m = rounds.Median(static_cast<std::size_t>(k));
        w[k] = m.WallS;
        p[k] = m.PeakBytes;
        u[k] = m.CpuS;
        h[k] = m.HighWaterBytes;
        r[k] = m.SettledBytes;
    }
    Figures& f = gFigures[rows];
    f.HostTime = w[HostSearch] - w[HostIdle];
    f.PeerTime = w[PeerSearch] - w[PeerIdle];
    f.HostCpu = u[HostSearch] - u[HostIdle];
    f.PeerCpu = u[PeerSearch] - u[PeerIdle];
    f.HostMemory = p[HostSearch] - p[HostIdle];
    f.PeerMemory = p[PeerSearch] - p[PeerIdle];
    f.HostHighWater = h[HostSearch] - h[HostIdle];
    f.HostSettled = r[HostSearch] - r[HostIdle];

    auto& c = state.counters;
    c["host_s"] = w[HostSearch];
    c["host_idle_s"] = w[HostIdle];
    c["peer_s"] = w[PeerSearch];
    c["peer_idle_s"] = w[PeerIdle];
    c["host_MB"] = p[HostSearch] / kMB;
    c["host_idle_MB"] = p[HostIdle] / kMB;
    c["host_settled_MB"] = r[HostSearch] / kMB;
    c["peer_MB"] = p[PeerSearch] / kMB;
    c["peer_idle_MB"] = p[PeerIdle] / kMB;
    c["launcher_MB"] = ResidentBytes() / kMB;
    c["host_cpu_s"] = u[HostSearch];
    c["peer_cpu_s"] = u[PeerSearch];
    c["time_ratio"] = f.TimeRatio();
    c["cpu_ratio"] = f.CpuRatio();
    c["memory_ratio"] = f.MemoryRatio();
    c["peak_ratio"] = f.PeakRatio();
}

// Each iteration is one round of four processes; the medians are over the rounds.
BENCHMARK(HostAgainstPeer)->Arg(100000)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HostAgainstPeer)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    bool met = true;
    for (const auto& [rows, f] : gFigures) {
        std::printf("search of %d rows, medians over the rounds, above each program's idle run:\n", rows);
        std::printf("  qmhost %.3f s (CPU %.3f s), peak %.1f MB, settled %.1f MB; peer %.3f s (CPU %.3f s), "
                    "peak %.1f MB\n",
                    f.HostTime, f.HostCpu, f.HostMemory / kMB, f.HostSettled / kMB, f.PeerTime, f.PeerCpu,
                    f.PeerMemory / kMB);
        met &= Verdict("qmhost / peer, time:", f.TimeRatio(), kTimeTarget);
        met &= Verdict("qmhost / peer, peak memory:", f.MemoryRatio(), kMemoryTarget);
        met &= Verdict("qmhost's peak / settled memory:", f.PeakRatio(), kPeakTarget);
        std::printf("    qmhost / peer, CPU time (not a target): %.2f\n", f.CpuRatio());
    }
    benchmark::Shutdown();
    return met ? 0 : 1;
}
