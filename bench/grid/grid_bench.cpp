// A search answer of 100,000 rows in a grid of a normal window size. Painting reads only the
// visible cells, so a paint of 100,000 rows costs what a paint of 1,000 rows costs: every figure
// is a ratio to the same work on a 1,000-row table measured in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "bench/grid/shown_grid.h"
#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"

namespace {

constexpr int kBaselineRows = 1000;

// A table of income levels behind a shown grid of 800 x 600.
class Sheet {
public:
    explicit Sheet(int rows, bool writable = false) {
        FTable.FieldDefs().Add("MEMAC001", qm::ftString, 4);
        FTable.FieldDefs().Add("MEMAC002", qm::ftString, 30);
        FTable.FieldDefs().Add("MEMAC003", qm::ftLargeint);
        FTable.FieldDefs().Add("MEMAC004", qm::ftLargeint);
        FTable.CreateDataSet();
        FTable.ReserveRows(rows);
        FTable.DisableControls();
        for (int i = 0; i < rows; ++i) {
            FTable.Append();
            FTable.Fields(0)->SetAsString(std::to_string(i % 10000));
            FTable.Fields(1)->SetAsString("收入等级" + std::to_string(i));
            FTable.Fields(2)->SetAsLargeInt(i * 100LL);
            FTable.Fields(3)->SetAsLargeInt(i * 100LL + 99);
            FTable.Post();
        }
        // Painting only, no editor, unless rows are typed.
        FGrid = qm::bench::ShowGrid(FTable, FSource, !writable);
    }
    ~Sheet() { FGrid.reset(); }

    qm::TMemTable& Table() { return FTable; }
    qm::TQmDBGrid& Grid() { return *FGrid; }
    long long DataCalls() const { return FGrid->Model()->DataCalls(); }
    void Paint() { benchmark::DoNotOptimize(FGrid->viewport()->grab()); }
    // The user's "last record" and back: the grid follows the table's cursor and paints.
    // False when the grid did not follow the cursor to the end.
    bool ToEndAndPaint() {
        FTable.Last();
        const QScrollBar* bar = FGrid->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum() && bar->maximum() > 0;
        Paint();
        FTable.First();
        return atEnd;
    }

private:
    qm::TMemTable FTable;
    qm::TDataSource FSource;
    std::unique_ptr<qm::TQmDBGrid> FGrid;
};

struct Cost {
    double Seconds = 0;
    double DataCalls = 0;
};

template <class Work> Cost Measure(Sheet& sheet, int times, Work work) {
    const long long calls = sheet.DataCalls();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        work(sheet);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return {spent.count() / times, static_cast<double>(sheet.DataCalls() - calls) / times};
}

template <class Work> void Compare(benchmark::State& state, Work work) {
    const int rows = static_cast<int>(state.range(0));
    Sheet baseline(kBaselineRows);
    Sheet sheet(rows);
    work(baseline); // warm both: fonts, style, first layout
    work(sheet);
    const long long calls = sheet.DataCalls();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        work(sheet);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    const double n = static_cast<double>(state.iterations());
    const Cost base =
        Measure(baseline, static_cast<int>(std::max<benchmark::IterationCount>(state.iterations(), 5)), work);
    const double perCall = static_cast<double>(sheet.DataCalls() - calls) / n;
    state.counters["data_calls"] = perCall;
    state.counters["data_calls_vs_1000_rows"] = base.DataCalls > 0 ? perCall / base.DataCalls : 0;
    state.counters["time_vs_1000_rows"] = base.Seconds > 0 ? spent.count() / n / base.Seconds : 0;
}

// One paint of the viewport: data() runs for the visible cells only.
void BM_PaintViewport(benchmark::State& state) {
    Compare(state, [](Sheet& s) { s.Paint(); });
}
BENCHMARK(BM_PaintViewport)->Arg(kBaselineRows)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Jumping to the last row and painting it there.
void BM_ScrollToEnd(benchmark::State& state) {
    bool followed = true;
    Compare(state, [&followed](Sheet& s) { followed = s.ToEndAndPaint() && followed; });
    if (!followed) state.SkipWithError("the grid did not scroll to the last row");
}
BENCHMARK(BM_ScrollToEnd)->Arg(kBaselineRows)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Appending rows one by one through the grid as a clerk does (a new row, a value typed into it, the
// next new row posts it), with the event loop run after each: an append costs the same whatever
// the table holds. Appends alternate between a 500-row and a 50,000-row table so that both meet the
// same machine; medians of the per-append CPU times of this thread.
double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double AppendOne(Sheet& sheet, int i) {
    const double start = ThreadMs();
    sheet.Grid().AppendRow();
    qm::TQmGridModel& model = *sheet.Grid().Model();
    model.setData(model.index(sheet.Table().RecNo() - 1, 0), QString::number(i % 1000), Qt::EditRole);
    QApplication::processEvents();
    return ThreadMs() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_AppendThroughTheGrid(benchmark::State& state) {
    constexpr int kAppends = 60;
    double small = 0, large = 0;
    bool appended = true;
    for (auto _ : state) {
        Sheet few(500, true), many(50000, true);
        for (int i = 0; i < 5; ++i) { // warm: fonts, style, the first editors
            AppendOne(few, i);
            AppendOne(many, i);
        }
        std::vector<double> fewTimes, manyTimes;
        for (int i = 0; i < kAppends; ++i) {
            fewTimes.push_back(AppendOne(few, i));
            manyTimes.push_back(AppendOne(many, i));
        }
        small = Median(fewTimes);
        large = Median(manyTimes);
        appended = few.Table().RecordCount() == 500 + 5 + kAppends &&
                   many.Table().RecordCount() == 50000 + 5 + kAppends;
    }
    if (!appended) state.SkipWithError("the rows were not appended");
    state.counters["append_500_ms"] = small;
    state.counters["append_50000_ms"] = large;
    state.counters["ratio"] = small > 0 ? large / small : 0;
}
BENCHMARK(BM_AppendThroughTheGrid)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
