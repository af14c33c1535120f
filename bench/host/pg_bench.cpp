// The store on PostgreSQL, each figure beside the same work done straight through libpq:
//  - PgSearchIntoMainTable: 100,000 rows through the whole chain (store -> answer -> ReadXml ->
//    LoadTable) ÷ PgSelectIntoMemory, the same SELECT into memory (target: at most 3 times)
//  - PgSaveThroughStore/threads:N: saves per second of N clients, each updating a row of its own
//    after the version check, ÷ PgSaveDirect/threads:N, the same transactions written by hand
// The benchmark starts its own cluster with scripts/pg.sh. Search figures are medians of CPU time
// of this process plus the wall time the server needs; saves are wall time. The CPU column counts
// every thread of this process and none of the server's.
#include "bench/host/search_into_table.h"
#include "host/store/pg_store.h"
#include "host/store/store.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kMaxClients = 8;

std::string Uri(const std::string& schema) {
    return std::string("postgresql:///qm?host=") + QM_BENCH_PG_DIR + "&options=-c%20search_path%3D" + schema;
}

void Must(PGconn* c, const std::string& sql) {
    PGresult* r = PQexec(c, sql.c_str());
    const ExecStatusType st = PQresultStatus(r);
    PQclear(r);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) throw std::runtime_error(PQerrorMessage(c));
}

std::string Code(int i) {
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return {digits[i / 46656 % 36], digits[i / 1296 % 36], digits[i / 36 % 36], digits[i % 36]};
}

// A schema with the table filled by hand, and one row per client for the saves.
void Fill(const std::string& schema, int rows) {
    PGconn* c = PQconnectdb(Uri("public").c_str());
    if (PQstatus(c) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(c));
    PQsetNoticeProcessor(
        c, [](void*, const char*) {}, nullptr);
    Must(c, "DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
    PQfinish(c);
    { qm::host::Store create(Uri(schema)); }
    c = PQconnectdb(Uri(schema).c_str());
    std::string sql;
    for (int i = 0; i < rows; ++i) {
        sql += sql.empty() ? "INSERT INTO \"TB_MEMAC\" (\"MEMAC001\",\"MEMAC002\",\"MEMAC003\",\"MEMAC004\","
                             "\"CREATE_USER\",\"USER_GROUP\",\"CREATE_DATE\",\"MODIFIER\",\"MODI_DATE\","
                             "\"FLAG\") VALUES "
                           : ",";
        sql += "('" + Code(i) + "','收入等级" + std::to_string(i) + "'," + std::to_string(i * 10) + "," +
               std::to_string(i * 10 + 9) + ",'u001','g01','2008-06-02','u002','2008-06-18',0)";
        if (sql.size() > 1000000 || i + 1 == rows) {
            Must(c, sql);
            sql.clear();
        }
    }
    Must(c, "ANALYZE \"TB_MEMAC\"");
    PQfinish(c);
}

struct Server {
    Server() {
        const std::string cmd =
            "bash '" QM_BENCH_SOURCE_DIR "/scripts/pg.sh' start " QM_BENCH_PG_DIR " >/dev/null";
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot start the private server");
        Fill("big", kRows);
        Fill("saves", kMaxClients);
        Big = std::make_unique<qm::host::Store>(Uri("big"));
    }
    ~Server() {
        Big.reset();
        const std::string cmd =
            "bash '" QM_BENCH_SOURCE_DIR "/scripts/pg.sh' stop " QM_BENCH_PG_DIR " >/dev/null";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "the private server did not stop\n");
    }
    std::unique_ptr<qm::host::Store> Big;
};

Server& Shared() {
    static Server s;
    return s;
}

void PgSelectIntoMemory(benchmark::State& state) {
    Shared();
    PGconn* c = PQconnectdb(Uri("big").c_str());
    for (auto _ : state) {
        PGresult* r = PQexec(c, "SELECT * FROM \"TB_MEMAC\" ORDER BY \"MEMAC001\", \"MEMAC_ID\"");
        const int n = PQntuples(r), cols = PQnfields(r);
        std::vector<std::vector<std::string>> rows;
        rows.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            auto& row = rows.emplace_back();
            row.reserve(static_cast<std::size_t>(cols));
            for (int k = 0; k < cols; ++k)
                row.emplace_back(PQgetvalue(r, i, k), static_cast<std::size_t>(PQgetlength(r, i, k)));
        }
        PQclear(r);
        benchmark::DoNotOptimize(rows.data());
    }
    PQfinish(c);
    state.SetItemsProcessed(state.iterations() * kRows);
}

void PgSearchIntoMainTable(benchmark::State& state) {
    qm::bench::SearchIntoMainTable(state, *Shared().Big, kRows);
}

std::string UpdateRequest(int id, const std::string& code, int n) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><quelmar><params><param typ=\"recordset\" "
           "tbname=\"TB_MEMAC\">"
           "<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"" +
           std::to_string(id) + "\" MEMAC001=\"" + code + "\" MEMAC002=\"第" + std::to_string(n) +
           "次\" MODIFIER=\"bench\" MODI_DATE=\"2008-07-01\"/>"
           "</param></params></quelmar>";
}

void PgSaveThroughStore(benchmark::State& state) {
    Shared();
    qm::host::Store s(Uri("saves"));
    s.Register("Tarn204", "MEM");
    s.Search("TB_MEMAC");
    const int id = state.thread_index() + 1;
    const std::string code = Code(state.thread_index());
    int n = 0;
    for (auto _ : state) {
        std::string answer = s.Execute(1, "singleRecordSet", UpdateRequest(id, code, ++n));
        if (answer.find("<code>0</code>") == std::string::npos) {
            state.SkipWithError(answer.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void PgSaveDirect(benchmark::State& state) {
    Shared();
    PGconn* c = PQconnectdb(Uri("saves").c_str());
    const std::string id = std::to_string(state.thread_index() + 1);
    int n = 0;
    for (auto _ : state) {
        Must(c, "BEGIN");
        const std::string name = "第" + std::to_string(++n) + "次";
        const char* check[] = {id.c_str()};
        PGresult* r = PQexecParams(c, "SELECT \"ROW_VERSION\" FROM \"TB_MEMAC\" WHERE \"MEMAC_ID\"=$1", 1,
                                   nullptr, check, nullptr, nullptr, 0);
        const std::string version = PQntuples(r) ? PQgetvalue(r, 0, 0) : "0";
        PQclear(r);
        const char* args[] = {name.c_str(), id.c_str(), version.c_str()};
        r = PQexecParams(
            c,
            "UPDATE \"TB_MEMAC\" SET \"MEMAC002\"=$1, \"MODIFIER\"='bench', \"MODI_DATE\"='2008-07-01',"
            " \"ROW_VERSION\"=\"ROW_VERSION\"+1 WHERE \"MEMAC_ID\"=$2 AND \"ROW_VERSION\"=$3",
            3, nullptr, args, nullptr, nullptr, 0);
        PQclear(r);
        Must(c, "COMMIT");
    }
    PQfinish(c);
    state.SetItemsProcessed(state.iterations());
}

// CPU columns count every thread of this process (a search's answer is made on a helper thread),
// never the server's.
BENCHMARK(PgSelectIntoMemory)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(PgSearchIntoMainTable)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(PgSaveThroughStore)
    ->MeasureProcessCPUTime()
    ->Threads(1)
    ->Threads(4)
    ->Threads(8)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(PgSaveDirect)
    ->MeasureProcessCPUTime()
    ->Threads(1)
    ->Threads(4)
    ->Threads(8)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

// Prints the ratios after the usual table: medians, real time (the server's share counts).
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Ratio : benchmark::ConsoleReporter {
        std::map<std::string, double> Median; // name -> real time, or items per second for saves
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& r : runs) {
                if (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median") continue;
                std::string name = r.run_name.function_name;
                if (!r.run_name.threads.empty()) name += "/" + r.run_name.threads;
                auto rate = r.counters.find("items_per_second");
                Median[name] = name.find("Save") != std::string::npos && rate != r.counters.end()
                                   ? static_cast<double>(rate->second)
                                   : r.GetAdjustedRealTime();
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& m = reporter.Median;
    if (m["PgSelectIntoMemory"] > 0 && m["PgSearchIntoMainTable"] > 0)
        std::printf("search into the main table / libpq select into memory: %.2f (target <= 3)\n",
                    m["PgSearchIntoMainTable"] / m["PgSelectIntoMemory"]);
    for (int n : {1, 4, 8}) {
        const std::string suffix = "/threads:" + std::to_string(n);
        const double store = m["PgSaveThroughStore" + suffix], direct = m["PgSaveDirect" + suffix];
        if (store > 0 && direct > 0)
            std::printf("saves per second, %d client(s): store %.0f, libpq by hand %.0f (%.2f)\n", n, store,
                        direct, store / direct);
    }
    benchmark::Shutdown();
    return 0;
}
