// The most heap a search of 100,000 stored rows holds at once above the idle host, through the same
// chain as search_bench.cpp (the host's handler, the exchange record, the module's read into a table
// laid out like the form's main table), against 3.5 x the answer's UTF-8 size + the record's UTF-16
// text (target: at most 1). Every allocation is counted, the C library's included.
#include "bench/host/search_into_table.h"
#include "bench/host/store_rows.h"
#include "bench/protocol/alloc_counter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

void SearchPeakMemory(benchmark::State& state) {
    qm::bench::StoreWithRows store(kRows);
    qm::bench::QuietListener listener;
    qm::host::HostLink link(store.Get(), listener);
    for (auto _ : state) {
        qm::TQmProtocol protocol;
        qm::TMemTable main;
        qm::test::DefineMemac(main);
        const std::size_t idle = qm::bench::LiveHeapBytes();
        qm::bench::ResetPeakHeap();
        qm::bench::SearchSizes sizes;
        if (!qm::bench::SearchThroughRecord(link.Handle(), protocol, main, &sizes) ||
            main.RecordCount() != kRows) {
            state.SkipWithError("the search did not fill the main table");
            break;
        }
        const double peak = static_cast<double>(qm::bench::PeakHeapBytes() - idle);
        const double budget = 3.5 * static_cast<double>(sizes.Utf8) + static_cast<double>(sizes.Utf16);
        state.counters["peak_MB"] = peak / 1e6;
        state.counters["utf8_MB"] = static_cast<double>(sizes.Utf8) / 1e6;
        state.counters["utf16_MB"] = static_cast<double>(sizes.Utf16) / 1e6;
        state.counters["budget_ratio"] = peak / budget;
        state.counters["kept_MB"] = static_cast<double>(qm::bench::LiveHeapBytes() - idle) / 1e6;
    }
}

// The heap a search needs does not vary between runs: one is enough.
BENCHMARK(SearchPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Ratio : benchmark::ConsoleReporter {
        double Memory = 0;
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& r : runs)
                if (r.counters.count("budget_ratio")) Memory = r.counters.at("budget_ratio").value;
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.Memory > 0)
        std::printf("SearchPeakMemory / (3.5 x UTF-8 + UTF-16): %.2f (target <= 1)\n", reporter.Memory);
    benchmark::Shutdown();
    return 0;
}
