// A search of 100,000 and of 1,000,000 rows on the project's PostgreSQL cluster through the real
// programs: the built qmhost (with the module, dialog.dll and the server engine) against psql fetching
// the same ordered rows, and against qmhost on a SQLite file of the same rows.
//
// psql runs the same SELECT as the host, as one query whose whole result comes back in the text
// format and is printed, every value, to /dev/null (-A -t -o /dev/null): the work a client does for
// a query. \copy would set the host against the server's COPY stream instead, which no query of a
// client goes through.
//
// Each round launches six processes on the offscreen platform, in an order that turns every round:
// qmhost searching the server and its idle run (the form opened, nothing searched), psql and its
// idle run (the same SELECT with LIMIT 0), qmhost searching the file and its idle run. Per process:
// wall time from launch to exit, CPU time (user + system, every thread; the server's is in the wall
// time only) and its peak resident size (wait4's ru_maxrss). From the medians over the rounds (at
// least five), each above the same program's idle run:
//   time_ratio   = qmhost on the server's wall time / psql's         (target <= 1.1)
//   memory_ratio = qmhost on the server's peak / qmhost on the file's (target: the same, <= 1.01)
// A missed target is printed as such and makes the exit code 1.
#include "bench/host/launch_rounds.h"
#include "bench/host/store_rows.h"
#include "host/store/store.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qm::bench::BinFolder;
using qm::bench::Costs;
using qm::bench::Handshake;
using qm::bench::LaunchKind;
using qm::bench::Rounds;
using qm::bench::RunRounds;
using qm::bench::Verdict;
using qm::bench::WriteFile;

constexpr double kMB = 1e6;
// The server's rows come in pieces of 1,024: the piece being written and the one on its way stay
// beside what the file's search holds, a few hundred KB. "The same memory" is the same within 1 %.
constexpr double kTimeTarget = 1.1, kMemoryTarget = 1.01;

const char* const kSelect = "SELECT * FROM \"TB_MEMAC\" ORDER BY \"MEMAC001\", \"MEMAC_ID\"";

// The psql of the installed server, as scripts/pg.sh finds its programs.
std::string FindPsql() {
    std::string found;
    std::error_code ignored;
    for (const auto& d : fs::directory_iterator("/usr/lib/postgresql", ignored))
        if (fs::exists(d.path() / "bin/psql")) found = (d.path() / "bin/psql").string();
    return found;
}

std::string Uri(const std::string& schema) {
    return std::string("postgresql:///qm?host=") + QM_BENCH_PG_DIR + "&options=-c%20search_path%3D" + schema;
}

int Shell(const std::string& cmd) {
    return std::system(cmd.c_str());
}

// The private cluster, started on first use and stopped when the benchmark ends.
struct Cluster {
    Cluster() {
        Psql = FindPsql();
        Up = !Psql.empty() &&
             Shell("bash '" QM_BENCH_SOURCE_DIR "/scripts/pg.sh' start " QM_BENCH_PG_DIR " >/dev/null") == 0;
    }
    ~Cluster() {
        if (Up) Shell("bash '" QM_BENCH_SOURCE_DIR "/scripts/pg.sh' stop " QM_BENCH_PG_DIR " >/dev/null");
    }
    // Runs SQL through psql; false, with psql's words on stderr, when it failed.
    bool Sql(const std::string& schema, const std::string& sql) const {
        const fs::path log =
            fs::temp_directory_path() / ("qmhost-pgsql-" + std::to_string(::getpid()) + ".log");
        const qm::bench::Outcome o =
            qm::bench::Launch({Psql, "-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", Uri(schema), "-c", sql}, log);
        std::error_code ignored;
        fs::remove(log, ignored);
        if (!o.Ok) std::fprintf(stderr, "%s\n", o.Why.c_str());
        return o.Ok;
    }
    std::string Psql;
    bool Up = false;
};

Cluster& Server() {
    static Cluster c;
    return c;
}

// A schema holding the rows the SQLite file of store_rows.h holds, stamps and all.
bool FillSchema(const std::string& schema, int rows) {
    Cluster& c = Server();
    if (!c.Sql("public", "DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema))
        return false;
    try {
        qm::host::Store create(Uri(schema)); // the table as the host lays it out
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    const std::string n = std::to_string(rows - 1);
    return c.Sql(schema,
                 "ALTER TABLE \"TB_MEMAC\" DISABLE TRIGGER USER; "
                 "INSERT INTO \"TB_MEMAC\" "
                 "(\"MEMAC001\",\"MEMAC002\",\"MEMAC003\",\"MEMAC004\",\"CREATE_USER\","
                 "\"USER_GROUP\",\"CREATE_DATE\",\"MODIFIER\",\"MODI_DATE\",\"FLAG\") "
                 "SELECT substr(d, i / 46656 % 36 + 1, 1) || substr(d, i / 1296 % 36 + 1, 1) || "
                 "substr(d, i / 36 % 36 + 1, 1) || substr(d, i % 36 + 1, 1), '收入等级' || i, i * 10, i * 10 "
                 "+ 9, "
                 "'u001', 'g01', '2008-06-02', 'u002', '2008-06-18', 0 FROM generate_series(0, " +
                     n +
                     ") i, (SELECT '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ'::text d) digits ORDER BY i; "
                     "ALTER TABLE \"TB_MEMAC\" ENABLE TRIGGER USER") &&
           c.Sql(schema, "VACUUM ANALYZE \"TB_MEMAC\"");
}

enum Kind { PgSearch, PgIdle, PsqlSearch, PsqlIdle, FileSearch, FileIdle, kKinds };

// The schema, the store file and the command lines for one size.
struct Setup {
    qm::bench::StoreWithRows File;
    std::string Schema;
    fs::path Work;
    Handshake Meet;
    std::vector<LaunchKind> Kinds;
    std::string Missing;

    explicit Setup(int rows) : File(rows, "pgprocess"), Schema("rows" + std::to_string(rows)) {
        Work = fs::temp_directory_path() / ("qmhost-pgprocess-" + std::to_string(::getpid()));
        fs::create_directories(Work / "config");
        Meet = {Work / "ready", Work / "go"};
        const std::string signal = "touch " + Meet.Ready.string() + "\nwait-for " + Meet.Go.string() + "\n";
        WriteFile(Work / "search.txt", "command search\nexpect-rows " + std::to_string(rows) + "\n" + signal);
        WriteFile(Work / "idle.txt", "expect-rows 0\n" + signal);

        const fs::path bin = BinFolder();
        for (const char* need : {"qmhost", "libtarn204.so", "dialog.dll", "libqmpgstore.so"})
            if (!fs::exists(bin / need)) Missing += std::string(Missing.empty() ? "" : ", ") + need;
        if (Server().Psql.empty()) Missing += std::string(Missing.empty() ? "" : ", ") + "psql";
        if (!Missing.empty()) return;
        if (!Server().Up || !FillSchema(Schema, rows)) {
            Missing = "the private PostgreSQL cluster in " QM_BENCH_PG_DIR;
            return;
        }
        const std::string host = (bin / "qmhost").string();
        const std::string uri = Uri(Schema), db = File.Path.string();
        auto hostKind = [&](const std::string& store, const char* script) {
            return LaunchKind{{host, "--db", store, "--no-search", "--script", (Work / script).string()},
                              &Meet};
        };
        auto psqlKind = [&](const std::string& sql) {
            return LaunchKind{
                {Server().Psql, "-X", "-A", "-t", "-q", "-o", "/dev/null", "-d", uri, "-c", sql}};
        };
        Kinds.resize(kKinds);
        Kinds[PgSearch] = hostKind(uri, "search.txt");
        Kinds[PgIdle] = hostKind(uri, "idle.txt");
        Kinds[PsqlSearch] = psqlKind(kSelect);
        Kinds[PsqlIdle] = psqlKind(std::string(kSelect) + " LIMIT 0");
        Kinds[FileSearch] = hostKind(db, "search.txt");
        Kinds[FileIdle] = hostKind(db, "idle.txt");
    }
    ~Setup() {
        std::error_code ignored;
        fs::remove_all(Work, ignored);
        if (Server().Up) Server().Sql("public", "DROP SCHEMA IF EXISTS " + Schema + " CASCADE");
    }
};

struct Figures {
    double PgTime = 0, PsqlTime = 0, FileTime = 0, PgCpu = 0, PsqlCpu = 0, FileCpu = 0;
    double PgMemory = 0, PsqlMemory = 0, FileMemory = 0;
    double TimeRatio() const { return PsqlTime > 0 ? PgTime / PsqlTime : 0; }
    double CpuRatio() const { return PsqlCpu > 0 ? PgCpu / PsqlCpu : 0; }
    double MemoryRatio() const { return FileMemory > 0 ? PgMemory / FileMemory : 0; }
};
std::map<int, Figures> gFigures; // by rows

void HostOnServerAgainstPsql(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    // The rows of 1,000,000 are made only when their run comes, and go once it is done.
    const auto setup = std::make_unique<Setup>(rows);
    if (!setup->Missing.empty()) {
        state.SkipWithError(("not available: " + setup->Missing).c_str());
        return;
    }
    Rounds rounds(setup->Kinds, setup->Work / "child.log");
    if (!RunRounds(state, rounds, setup->Work / "config")) return;

    Costs m[kKinds];
    for (int k = 0; k < kKinds; ++k)
        m[k] = rounds.Median(static_cast<std::size_t>(k));
    Figures& f = gFigures[rows];
    f.PgTime = m[PgSearch].WallS - m[PgIdle].WallS;
    f.PsqlTime = m[PsqlSearch].WallS - m[PsqlIdle].WallS;
    f.FileTime = m[FileSearch].WallS - m[FileIdle].WallS;
    f.PgCpu = m[PgSearch].CpuS - m[PgIdle].CpuS;
    f.PsqlCpu = m[PsqlSearch].CpuS - m[PsqlIdle].CpuS;
    f.FileCpu = m[FileSearch].CpuS - m[FileIdle].CpuS;
    f.PgMemory = m[PgSearch].PeakBytes - m[PgIdle].PeakBytes;
    f.PsqlMemory = m[PsqlSearch].PeakBytes - m[PsqlIdle].PeakBytes;
    f.FileMemory = m[FileSearch].PeakBytes - m[FileIdle].PeakBytes;

    auto& c = state.counters;
    c["host_pg_s"] = m[PgSearch].WallS;
    c["host_pg_idle_s"] = m[PgIdle].WallS;
    c["psql_s"] = m[PsqlSearch].WallS;
    c["psql_idle_s"] = m[PsqlIdle].WallS;
    c["host_file_s"] = m[FileSearch].WallS;
    c["host_pg_MB"] = m[PgSearch].PeakBytes / kMB;
    c["host_pg_idle_MB"] = m[PgIdle].PeakBytes / kMB;
    c["host_pg_settled_MB"] = m[PgSearch].SettledBytes / kMB;
    c["psql_MB"] = m[PsqlSearch].PeakBytes / kMB;
    c["host_file_MB"] = m[FileSearch].PeakBytes / kMB;
    c["host_file_idle_MB"] = m[FileIdle].PeakBytes / kMB;
    c["time_ratio"] = f.TimeRatio();
    c["cpu_ratio"] = f.CpuRatio();
    c["memory_ratio"] = f.MemoryRatio();
}

// Each iteration is one round of six processes; the medians are over the rounds.
BENCHMARK(HostOnServerAgainstPsql)->Arg(100000)->Iterations(9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HostOnServerAgainstPsql)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    bool met = true;
    for (const auto& [rows, f] : gFigures) {
        std::printf("search of %d rows, medians over the rounds, above each program's idle run:\n", rows);
        std::printf(
            "  qmhost on the server %.3f s (CPU %.3f s), peak %.1f MB; psql %.3f s (CPU %.3f s), peak "
            "%.1f MB; qmhost on the file %.3f s (CPU %.3f s), peak %.1f MB\n",
            f.PgTime, f.PgCpu, f.PgMemory / kMB, f.PsqlTime, f.PsqlCpu, f.PsqlMemory / kMB, f.FileTime,
            f.FileCpu, f.FileMemory / kMB);
        met &= Verdict("qmhost on the server / psql, time:", f.TimeRatio(), kTimeTarget);
        met &= Verdict("qmhost, peak memory, server / file:", f.MemoryRatio(), kMemoryTarget);
        std::printf("    qmhost on the server / psql, CPU time (not a target): %.2f\n", f.CpuRatio());
    }
    benchmark::Shutdown();
    return met ? 0 : 1;
}
