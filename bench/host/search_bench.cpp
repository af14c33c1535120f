// A search of 100,000 stored rows, against SQLite's own select of the same rows into memory:
//  - SearchAnswer: the store's answer document alone
//  - SearchIntoMainTable: the whole chain, store -> answer -> ReadXml -> LoadTable into a table laid
//    out like the form's main table (target: at most 4 times the select)
// Figures are thread CPU time, since the machine is shared.
#include "tests/protocol/memac_fixture.h"
#include "dataset/mem_table.h"
#include "host/sqlite_store.h"
#include "host/store.h"
#include "protocol/protocol.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using qm::test::DefineMemac;

constexpr int kRows = 100000;

struct Fixture {
    std::filesystem::path Path;
    std::unique_ptr<qm::host::Store> S;

    Fixture() {
        Path = std::filesystem::temp_directory_path() / ("qmhost-bench-" + std::to_string(::getpid()) + ".db");
        std::filesystem::remove(Path);
        S = std::make_unique<qm::host::Store>(Path.string());
        sqlite3* db = static_cast<qm::host::SqliteConnection&>(S->Db()).Handle();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO TB_MEMAC (MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,"
                           "CREATE_DATE,MODIFIER,MODI_DATE,FLAG) VALUES (?,?,?,?,'u001','g01',"
                           "'2008-06-02 00:00:00','u002','2008-06-18 00:00:00',0)",
                           -1, &st, nullptr);
        for (int i = 0; i < kRows; ++i) {
            // Four base-36 digits: unique codes within the field's width.
            static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
            const char code[5] = {digits[i / 46656 % 36], digits[i / 1296 % 36], digits[i / 36 % 36], digits[i % 36], 0};
            std::string name = "收入等级" + std::to_string(i);
            sqlite3_bind_text(st, 1, code, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 3, i * 10);
            sqlite3_bind_int(st, 4, i * 10 + 9);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    ~Fixture() {
        S.reset();
        std::filesystem::remove(Path);
    }
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

// Baseline: the same rows in the same order, copied into memory as text, no document.
void SelectIntoMemory(benchmark::State& state) {
    sqlite3* db = static_cast<qm::host::SqliteConnection&>(Shared().S->Db()).Handle();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM TB_MEMAC ORDER BY MEMAC001, MEMAC_ID", -1, &st, nullptr);
        std::vector<std::vector<std::string>> rows;
        rows.reserve(kRows);
        const int n = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            auto& row = rows.emplace_back();
            row.reserve(static_cast<std::size_t>(n));
            for (int c = 0; c < n; ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
            }
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void SearchAnswer(benchmark::State& state) {
    qm::host::Store& s = *Shared().S;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string answer = s.Search("TB_MEMAC");
        bytes = answer.size();
        benchmark::DoNotOptimize(answer.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}

void SearchIntoMainTable(benchmark::State& state) {
    qm::host::Store& s = *Shared().S;
    for (auto _ : state) {
        qm::TQmProtocol protocol;
        if (!protocol.ReadXml(s.Search("TB_MEMAC")) || protocol.TableCount() != 1) {
            state.SkipWithError("the answer could not be read");
            break;
        }
        qm::TMemTable main;
        DefineMemac(main);
        qm::LoadTable(protocol.Table(0), main);
        if (main.RecordCount() != kRows) {
            state.SkipWithError("the main table did not get every row");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(SelectIntoMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchAnswer)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchIntoMainTable)->Unit(benchmark::kMillisecond);

}  // namespace

// Prints the ratio of the two runs after the usual table.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Ratio : benchmark::ConsoleReporter {
        double Base = 0, Search = 0, Chain = 0;
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& r : runs) {
                if (r.run_type != Run::RT_Iteration) continue;
                const std::string name = r.benchmark_name();
                if (name.find("SelectIntoMemory") != std::string::npos) Base = r.GetAdjustedCPUTime();
                if (name.find("SearchAnswer") != std::string::npos) Search = r.GetAdjustedCPUTime();
                if (name.find("SearchIntoMainTable") != std::string::npos) Chain = r.GetAdjustedCPUTime();
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.Base > 0 && reporter.Search > 0)
        std::printf("search answer / sqlite select into memory: %.2f\n", reporter.Search / reporter.Base);
    if (reporter.Base > 0 && reporter.Chain > 0)
        std::printf("search into the main table / sqlite select into memory: %.2f (target <= 4)\n",
                    reporter.Chain / reporter.Base);
    benchmark::Shutdown();
    return 0;
}
