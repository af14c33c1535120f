// What a clerk's machine pays for a search of 100,000 rows, through the real programs: the built
// qmhost with the built module and dialog.dll, against the plain Qt peer (peer_table: a
// QSqlTableModel in a QTableView, every row fetched) on the same SQLite file.
//
// Each round launches four processes on the offscreen platform, in an order that turns every round:
//   - qmhost --no-search --script that runs the search and expects every row, and the same with a
//     script that only checks the empty form (the idle host);
//   - peer_table fetching every row, and peer_table --idle.
// Per process: wall time from launch to exit and its peak resident size (wait4's ru_maxrss). A
// process that fails is an error, never a figure. From the medians over the rounds:
//   time   = wall(search) - wall(idle)         for qmhost and for the peer
//   memory = peak(search) - peak(idle)         for qmhost and for the peer
//   time_ratio, memory_ratio = qmhost / peer                                    (targets <= 1.3)
//   budget_ratio = qmhost's memory / (3.5 x the answer's UTF-8 + the UTF-16 record's bytes)  (<= 1)
// Beside them the same difference in CPU time (user + system, from wait4) and its ratio: on a
// machine shared with other work the wall times stretch with the load, the CPU times much less.
#include "bench/host/store_rows.h"
#include "platform/platform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 100000;
constexpr double kMB = 1e6;

// The folder this benchmark runs from: qmhost, the module, dialog.dll and the peer are built there.
fs::path BinFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

struct Outcome {
    bool Ok = false;
    std::string Why;
    double WallS = 0;
    double PeakBytes = 0;
    double CpuS = 0; // user + system
};

// Runs ARGS to its end with stdout and stderr in LOG; the reason of a failure quotes LOG's tail.
Outcome Launch(const std::vector<std::string>& args, const fs::path& log) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    Outcome out;
    const auto start = std::chrono::steady_clock::now();
    // fork, not vfork or posix_spawn: a child sharing the parent's memory until exec would report
    // the parent's high-water mark as its own.
    const pid_t pid = ::fork();
    if (pid < 0) {
        out.Why = "fork failed";
        return out;
    }
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::close(fd);
        }
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        out.Why = "wait4 failed";
        return out;
    }
    out.WallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.PeakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    out.CpuS = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        out.Ok = true;
        return out;
    }
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    std::string said = text.str();
    if (said.size() > 600) said = "..." + said.substr(said.size() - 600);
    out.Why = fs::path(args[0]).filename().string() +
              (WIFEXITED(status) ? " exited with " + std::to_string(WEXITSTATUS(status))
                                 : " died of signal " + std::to_string(WTERMSIG(status))) +
              ": " + said;
    return out;
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

// This process's resident size now: a forked child starts its high-water mark from it.
double ResidentBytes() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) * 1024.0;
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The store file, the scripts and the sizes of the answer the host will send for it.
struct Setup {
    qm::bench::StoreWithRows Rows{kRows, "process"};
    fs::path Work;
    double AnswerUtf8 = 0;
    double RecordUtf16 = 0;
    std::vector<std::string> Kinds[4];
    std::string Missing;

    Setup() {
        {
            const std::string answer = Rows.Get().Search("TB_MEMAC");
            AnswerUtf8 = static_cast<double>(answer.size());
            RecordUtf16 = static_cast<double>(qm::Utf8ToUtf16(answer).size() * sizeof(char16_t));
        }
        Work = fs::temp_directory_path() / ("qmhost-process-" + std::to_string(::getpid()));
        fs::create_directories(Work / "config");
        WriteFile(Work / "search.txt", "command search\nexpect-rows " + std::to_string(kRows) + "\n");
        WriteFile(Work / "idle.txt", "expect-rows 0\n");

        const fs::path bin = BinFolder();
        for (const char* need : {"qmhost", "libtarn204.so", "dialog.dll", "peer_table"})
            if (!fs::exists(bin / need)) Missing += std::string(Missing.empty() ? "" : ", ") + need;
        const std::string host = (bin / "qmhost").string();
        const std::string peer = (bin / "peer_table").string();
        const std::string db = Rows.Path.string();
        const std::string rows = std::to_string(kRows);
        Kinds[0] = {host, "--db", db, "--no-search", "--script", (Work / "search.txt").string()};
        Kinds[1] = {host, "--db", db, "--no-search", "--script", (Work / "idle.txt").string()};
        Kinds[2] = {peer, db, rows};
        Kinds[3] = {peer, "--idle", db, "0"};
    }
    ~Setup() {
        std::error_code ignored;
        fs::remove_all(Work, ignored);
    }
};

struct Figures {
    double HostTime = 0, PeerTime = 0, HostCpu = 0, PeerCpu = 0, HostMemory = 0, PeerMemory = 0, Budget = 0;
    bool Done = false;
} gFigures;

void HostAgainstPeer(benchmark::State& state) {
    static Setup setup;
    if (!setup.Missing.empty()) {
        state.SkipWithError(("not built beside the benchmark: " + setup.Missing).c_str());
        return;
    }
    // The children read no settings of the user's and draw nowhere.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", (setup.Work / "config").c_str(), 1);
    const fs::path log = setup.Work / "child.log";

    std::vector<double> wall[4], peak[4], cpu[4];
    auto round = [&](int turn, bool keep) {
        for (int k = 0; k < 4; ++k) {
            const int kind = (k + turn) % 4;
            const Outcome o = Launch(setup.Kinds[kind], log);
            if (!o.Ok) {
                state.SkipWithError(o.Why.c_str());
                return false;
            }
            if (keep) {
                wall[kind].push_back(o.WallS);
                peak[kind].push_back(o.PeakBytes);
                cpu[kind].push_back(o.CpuS);
            }
        }
        return true;
    };
    // One round unmeasured, so that the file and the libraries are in the page cache for all.
    if (!round(0, false)) return;
    int turn = 0;
    for (auto _ : state)
        if (!round(++turn, true)) return;

    double w[4], p[4], u[4];
    for (int k = 0; k < 4; ++k) {
        w[k] = Median(wall[k]);
        p[k] = Median(peak[k]);
        u[k] = Median(cpu[k]);
    }
    const double budget = 3.5 * setup.AnswerUtf8 + setup.RecordUtf16;
    Figures& f = gFigures;
    f.HostTime = w[0] - w[1];
    f.PeerTime = w[2] - w[3];
    f.HostCpu = u[0] - u[1];
    f.PeerCpu = u[2] - u[3];
    f.HostMemory = p[0] - p[1];
    f.PeerMemory = p[2] - p[3];
    f.Budget = budget;
    f.Done = true;

    auto& c = state.counters;
    c["host_s"] = w[0];
    c["host_idle_s"] = w[1];
    c["peer_s"] = w[2];
    c["peer_idle_s"] = w[3];
    c["host_MB"] = p[0] / kMB;
    c["host_idle_MB"] = p[1] / kMB;
    c["peer_MB"] = p[2] / kMB;
    c["peer_idle_MB"] = p[3] / kMB;
    c["answer_MB"] = setup.AnswerUtf8 / kMB;
    c["record_MB"] = setup.RecordUtf16 / kMB;
    c["launcher_MB"] = ResidentBytes() / kMB;
    c["host_cpu_s"] = u[0];
    c["host_idle_cpu_s"] = u[1];
    c["peer_cpu_s"] = u[2];
    c["peer_idle_cpu_s"] = u[3];
    c["time_ratio"] = f.PeerTime > 0 ? f.HostTime / f.PeerTime : 0;
    c["cpu_ratio"] = f.PeerCpu > 0 ? f.HostCpu / f.PeerCpu : 0;
    c["memory_ratio"] = f.PeerMemory > 0 ? f.HostMemory / f.PeerMemory : 0;
    c["budget_ratio"] = f.HostMemory / budget;
}

// Each iteration is one round of four processes; the medians are over the rounds.
BENCHMARK(HostAgainstPeer)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const Figures& f = gFigures;
    if (f.Done) {
        std::printf("search of %d rows, medians over the rounds, above each program's idle run:\n", kRows);
        std::printf("  qmhost %.3f s (CPU %.3f s), %.1f MB; peer %.3f s (CPU %.3f s), %.1f MB\n", f.HostTime,
                    f.HostCpu, f.HostMemory / kMB, f.PeerTime, f.PeerCpu, f.PeerMemory / kMB);
        if (f.PeerTime > 0 && f.PeerMemory > 0)
            std::printf("  qmhost / peer: time %.2f, peak memory %.2f (target <= 1.3 each)\n",
                        f.HostTime / f.PeerTime, f.HostMemory / f.PeerMemory);
        if (f.PeerCpu > 0) std::printf("  qmhost / peer, CPU time: %.2f\n", f.HostCpu / f.PeerCpu);
        std::printf("  qmhost's peak above idle / (3.5 x answer UTF-8 + UTF-16 record) = %.1f / %.1f MB "
                    "= %.2f (target <= 1.0)\n",
                    f.HostMemory / kMB, f.Budget / kMB, f.HostMemory / f.Budget);
    }
    benchmark::Shutdown();
    return 0;
}
