// A search answer of 100,000 rows in a grid of a normal window size. Painting reads only the
// visible cells, so a paint of 100,000 rows costs what a paint of 1,000 rows costs: every figure
// is a ratio to the same work on a 1,000-row table measured in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <chrono>
#include <memory>
#include <string>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"

namespace {

constexpr int kBaselineRows = 1000;

// A table of income levels behind a shown grid of 800 x 600.
class Sheet {
public:
    explicit Sheet(int rows) {
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
        FTable.First();
        FTable.EnableControls();
        FSource.SetDataSet(&FTable);
        FGrid = std::make_unique<qm::TQmDBGrid>();
        FGrid->resize(800, 600);
        FGrid->SetDataSource(&FSource);
        FGrid->SetReadOnly(true);  // painting only, no editor
        FGrid->show();
        QApplication::processEvents();
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

template <class Work>
Cost Measure(Sheet& sheet, int times, Work work) {
    const long long calls = sheet.DataCalls();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) work(sheet);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return {spent.count() / times, static_cast<double>(sheet.DataCalls() - calls) / times};
}

template <class Work>
void Compare(benchmark::State& state, Work work) {
    const int rows = static_cast<int>(state.range(0));
    Sheet baseline(kBaselineRows);
    Sheet sheet(rows);
    work(baseline);  // warm both: fonts, style, first layout
    work(sheet);
    const long long calls = sheet.DataCalls();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) work(sheet);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    const double n = static_cast<double>(state.iterations());
    const Cost base = Measure(baseline, static_cast<int>(std::max<benchmark::IterationCount>(state.iterations(), 5)), work);
    const double perCall = static_cast<double>(sheet.DataCalls() - calls) / n;
    state.counters["data_calls"] = perCall;
    state.counters["data_calls_vs_1000_rows"] = base.DataCalls > 0 ? perCall / base.DataCalls : 0;
    state.counters["time_vs_1000_rows"] = base.Seconds > 0 ? spent.count() / n / base.Seconds : 0;
}

// One paint of the viewport: data() runs for the visible cells only.
void BM_PaintViewport(benchmark::State& state) { Compare(state, [](Sheet& s) { s.Paint(); }); }
BENCHMARK(BM_PaintViewport)->Arg(kBaselineRows)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Jumping to the last row and painting it there.
void BM_ScrollToEnd(benchmark::State& state) {
    bool followed = true;
    Compare(state, [&followed](Sheet& s) { followed = s.ToEndAndPaint() && followed; });
    if (!followed) state.SkipWithError("the grid did not scroll to the last row");
}
BENCHMARK(BM_ScrollToEnd)->Arg(kBaselineRows)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
