// A search of 100,000 stored rows, against SQLite's own select of the same rows into memory:
//  - SearchAnswer: the store's answer document alone
//  - SearchIntoMainTable: the whole chain as the clerk meets it: the host's handler answers into
//    the exchange record (UTF-8 -> UTF-16), the module reads the slot (UTF-16 -> UTF-8), reads the
//    answer and fills a table laid out like the form's main table (target: at most 3 times the select)
// Times are the process's CPU time, since the machine is shared; it counts the work done on helper
// threads as well. Ratios use the medians of the repetitions. The heap the chain needs is counted
// by search_memory_bench.cpp, whose counting would slow every allocation here.
#include "bench/host/search_into_table.h"
#include "bench/host/store_rows.h"
#include "host/store/sqlite_store.h"
#include "host/store/store.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRepetitions = 5;

using Fixture = qm::bench::StoreWithRows;

Fixture& Shared() {
    static Fixture f(kRows);
    return f;
}

// Baseline: the same rows in the same order, copied into memory as text, no document.
void SelectIntoMemory(benchmark::State& state) {
    sqlite3* db = Shared().Raw;
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
    qm::bench::SearchIntoMainTable(state, *Shared().S, kRows);
}

BENCHMARK(SelectIntoMemory)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(kRepetitions);
BENCHMARK(SearchAnswer)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Repetitions(kRepetitions);
BENCHMARK(SearchIntoMainTable)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(kRepetitions);

} // namespace

// Prints the ratios after the usual table.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Ratio : benchmark::ConsoleReporter {
        double Base = 0, Search = 0, Chain = 0;
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            // With repetitions the median stands for the benchmark; a single run stands for itself.
            for (const Run& r : runs) {
                const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
                if (!median && (r.run_type != Run::RT_Iteration || r.repetitions > 1)) continue;
                const std::string name = r.benchmark_name();
                if (name.find("SelectIntoMemory") != std::string::npos) Base = r.GetAdjustedCPUTime();
                if (name.find("SearchAnswer") != std::string::npos) Search = r.GetAdjustedCPUTime();
                if (name.find("SearchIntoMainTable") != std::string::npos) Chain = r.GetAdjustedCPUTime();
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.Base > 0 && reporter.Search > 0)
        std::printf("SearchAnswer / SelectIntoMemory: %.2f\n", reporter.Search / reporter.Base);
    if (reporter.Base > 0 && reporter.Chain > 0)
        std::printf("SearchIntoMainTable (conversions included) / SelectIntoMemory: %.2f (target <= 3)\n",
                    reporter.Chain / reporter.Base);
    benchmark::Shutdown();
    return 0;
}
