// Sorting and filtering 100,000 rows of a shown grid. A sort is a ratio to std::stable_sort of an
// index by the same keys, built beforehand, in the same run; a row appended under a sort is a ratio
// to the same append without one; a filter keystroke is timed as the clerk meets it, the view's
// reset and the event loop's turn included. Medians over repetitions of this thread's CPU time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCollator>
#include <QElapsedTimer>
#include <algorithm>
#include <ctime>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "bench/grid/shown_grid.h"
#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"

namespace {

constexpr int kRows = 100000;
constexpr int kRepetitions = 7;

class Sheet {
public:
    Sheet() {
        static const char* const kWords[] = {"低",   "中低", "中等", "中高", "高",
                                             "特高", "甲",   "乙",   "丙",   "丁"};
        FTable.FieldDefs().Add("CODE", qm::ftString, 6);
        FTable.FieldDefs().Add("NAME", qm::ftString, 30);
        FTable.FieldDefs().Add("AMT", qm::ftLargeint);
        FTable.CreateDataSet();
        FTable.ReserveRows(kRows);
        FTable.DisableControls();
        unsigned seed = 12345;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xffffff; };
        for (int i = 0; i < kRows; ++i) {
            FTable.Append();
            FTable.Fields(0)->SetAsString(std::to_string(next() % 100000));
            FTable.Fields(1)->SetAsString(std::string(kWords[next() % 10]) + "收入" +
                                          std::to_string(next() % 1000));
            FTable.Fields(2)->SetAsLargeInt(static_cast<long long>(next() % 1000000));
            FTable.Post();
        }
        FGrid = qm::bench::ShowGrid(FTable, FSource);
    }
    ~Sheet() { FGrid.reset(); }
    qm::TMemTable& Table() { return FTable; }
    qm::TQmDBGrid& Grid() { return *FGrid; }

private:
    qm::TMemTable FTable;
    qm::TDataSource FSource;
    std::unique_ptr<qm::TQmDBGrid> FGrid;
};

std::unique_ptr<Sheet> TheSheet; // made on first use, gone before the application

Sheet& Shared() {
    if (!TheSheet) TheSheet = std::make_unique<Sheet>();
    return *TheSheet;
}

// CPU time of this thread: the machine's other work does not count against the grid.
double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

template <class Work> double Ms(Work work) {
    const double start = ThreadMs();
    work();
    return ThreadMs() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

template <class Keys> double StableSortMs(const Keys& keys) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    return Ms([&] {
        std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
            return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
        });
        benchmark::DoNotOptimize(order.data());
    });
}

// A header click's sort through the grid against the baseline, alternating in one run.
template <class Keys> void CompareSort(benchmark::State& state, int column, const Keys& keys) {
    Sheet& sheet = Shared();
    std::vector<double> grid, baseline;
    for (auto _ : state) {
        for (int i = 0; i < kRepetitions; ++i) {
            grid.push_back(Ms([&] { sheet.Grid().SortBy(column, Qt::AscendingOrder); }));
            sheet.Grid().SortBy(-1, Qt::AscendingOrder);
            baseline.push_back(StableSortMs(keys));
        }
    }
    if (sheet.Grid().Model()->rowCount() != kRows) state.SkipWithError("rows went missing");
    // The first click makes the column's keys; the later ones reuse them.
    state.counters["first_click_ms"] = grid.empty() ? 0 : grid.front();
    state.counters["first_click_ratio"] = grid.empty() ? 0 : grid.front() / Median(baseline);
    state.counters["grid_ms"] = Median(grid);
    state.counters["stable_sort_ms"] = Median(baseline);
    state.counters["ratio"] = Median(grid) / Median(baseline);
}

void BM_SortNumbers(benchmark::State& state) {
    Sheet& sheet = Shared();
    std::vector<double> keys(kRows);
    for (int pos = 0; pos < kRows; ++pos)
        sheet.Table().NumberAt(pos, 2, keys[static_cast<std::size_t>(pos)]);
    CompareSort(state, 2, keys);
}
BENCHMARK(BM_SortNumbers)->Iterations(1)->Unit(benchmark::kMillisecond);

struct CollatedKey {
    QCollatorSortKey Key;
    bool operator<(const CollatedKey& other) const { return Key.compare(other.Key) < 0; }
};

template <int Column> void BM_SortText(benchmark::State& state) {
    Sheet& sheet = Shared();
    const QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    std::vector<CollatedKey> keys;
    keys.reserve(kRows);
    for (int pos = 0; pos < kRows; ++pos)
        keys.push_back({collator.sortKey(QString::fromStdString(sheet.Table().TextAt(pos, Column)))});
    CompareSort(state, Column, keys);
}
// Chinese names, ten thousand distinct among the rows, and codes, most of them distinct.
BENCHMARK(BM_SortText<1>)->Name("BM_SortChineseText")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortText<0>)->Name("BM_SortCodes")->Iterations(1)->Unit(benchmark::kMillisecond);

// A row appended and posted under a sort, against the same without one: the shown order takes the
// row in without sorting every row again. The row is deleted again between repetitions.
void BM_AppendUnderSort(benchmark::State& state) {
    Sheet& sheet = Shared();
    qm::TMemTable& table = sheet.Table();
    auto append = [&table] {
        return Ms([&table] {
            table.Append();
            table.Fields(0)->SetAsString("1");
            table.Fields(1)->SetAsString("乙收入1");
            table.Fields(2)->SetAsLargeInt(1);
            table.Post();
            QApplication::processEvents();
        });
    };
    std::vector<double> sorted, plain;
    for (auto _ : state) {
        sheet.Grid().SortBy(1, Qt::AscendingOrder);
        for (int i = 0; i < kRepetitions; ++i) {
            sheet.Grid().SortBy(-1, Qt::AscendingOrder);
            plain.push_back(append());
            table.Delete();
            sheet.Grid().SortBy(1, Qt::AscendingOrder);
            sorted.push_back(append());
            table.Delete();
        }
        sheet.Grid().SortBy(-1, Qt::AscendingOrder);
    }
    if (sheet.Grid().Model()->rowCount() != kRows) state.SkipWithError("rows went missing");
    state.counters["sorted_ms"] = Median(sorted);
    state.counters["unsorted_ms"] = Median(plain);
    state.counters["ratio"] = Median(sorted) / Median(plain);
}
BENCHMARK(BM_AppendUnderSort)->Iterations(1)->Unit(benchmark::kMillisecond);

// Typing a filter one character at a time and clearing it again, the event loop run after each.
// The box is opened first and the loop left to turn for a fifth of a second, as a clerk takes
// before the first key: the longest of those turns is a frame too.
void BM_FilterKeystroke(benchmark::State& state) {
    Sheet& sheet = Shared();
    const QString typed = QStringLiteral("中高收入12");
    std::vector<double> keystrokes;
    double first = 0, longestTurn = 0, turns = 0;
    for (auto _ : state) {
        sheet.Grid().ShowFilterBar();
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 200) {
            const double turn = Ms([] { QApplication::processEvents(); });
            longestTurn = std::max(longestTurn, turn);
            if (turn > 1) turns += turn; // a turn that read texts; idle ones take microseconds
        }
        first = Ms([&] {
            sheet.Grid().SetFilterText(typed.left(1));
            QApplication::processEvents();
        });
        for (int i = 0; i < kRepetitions; ++i) {
            for (int n = 0; n <= typed.size(); ++n)
                keystrokes.push_back(Ms([&] {
                    sheet.Grid().SetFilterText(typed.left(n));
                    QApplication::processEvents();
                }));
        }
    }
    sheet.Grid().SetFilterText({});
    state.counters["open_turn_max_ms"] = longestTurn;
    state.counters["read_ahead_ms"] = turns;
    state.counters["first_keystroke_ms"] = first;
    state.counters["keystroke_median_ms"] = Median(keystrokes);
    state.counters["keystroke_max_ms"] = *std::max_element(keystrokes.begin(), keystrokes.end());
}
BENCHMARK(BM_FilterKeystroke)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheSheet.reset();
    return 0;
}
