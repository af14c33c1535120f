// Figures, each against a baseline measured in the same run:
//  - the longest gap between two turns of the event loop while a 100,000-row search answer loads
//    into the income-level form (goal: at most 50 ms), beside the longest single step that cannot
//    let messages run (pugixml's parse of the answer);
//  - the unique check over 10,000, 30,000 and 100,000 rows, as a ratio to a plain walk reading the
//    same values (linear growth keeps the ratio flat), with the fit of a straight line; and a
//    save's check of one changed row against as many rows, a status read per row;
//  - saves through the form with its grid: one changed row after 100,000 against 1,000 rows, per
//    walk of the extra rows (goal <= 5), and 1,000 new rows against 100 in one save (goal <= 12);
//    medians of five saves each;
//  - the memory a save of one changed row adds after a 100,000-row search (its peak live heap above
//    the heap before it), as a ratio to the heap of the main table (goal <= 1.2).
//  - an append through the form's grid at 50,000 rows against one at 500 rows (goal: close to 1).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "bench/protocol/alloc_counter.h"
#include "dataset/mem_table.h"
#include "framework/child_form.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "modules/tarn204/tarn204_form.h"
#include "platform/qt/qt_pump.h"
#include "plugin/globals.h"
#include "plugin/messages.h"
#include "plugin/records.h"
#include "protocol/qm_protocol.h"
#include "protocol/response_tables.h"
#include "tests/framework/fake_host.h"
#include "tests/protocol/memac_fixture.h"

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Wraps the installed pump and notes the longest time between two of its turns.
class GapRecorder {
public:
    GapRecorder() : FInner(CurrentPump()) {
        gSelf = this;
        SetPump(&Turn);
        FLast = Clock::now();
    }
    ~GapRecorder() {
        SetPump(FInner);
        gSelf = nullptr;
    }
    // Closes the last gap (from the last turn to the end of the operation).
    double Finish() {
        Note();
        return FMaxMs;
    }
    int Turns() const { return FTurns; }

private:
    static void Turn() {
        gSelf->Note();
        ++gSelf->FTurns;
        if (gSelf->FInner) gSelf->FInner();
        gSelf->FLast = Clock::now(); // the pump's own work is a turn, not a gap
    }
    void Note() { FMaxMs = std::max(FMaxMs, Ms(Clock::now() - FLast)); }

    static inline GapRecorder* gSelf = nullptr;
    PumpFunction FInner;
    Clock::time_point FLast;
    double FMaxMs = 0;
    int FTurns = 0;
};

constexpr int kRows = 100000;

// The middle figure of the runs: one disturbed run does not decide a figure.
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void BM_SearchLoadsIntoTheForm(benchmark::State& state) {
    test::FakeHost host;
    const std::string answer = test::MemacSearchAnswer(kRows);
    host.Registers.push_back(test::FakeHost::Answer(0, {}, "<rs typ=\"integer\">7</rs>"));
    auto* form = TfrmChildBase::Create<TfrmTarn204>(host.Parent.get());
    form->SetFormId(form->Handle());
    form->show();
    DeliverPostedMessages(); // first activation

    // Baseline: pugixml's own parse of the answer, one step that lets nothing run.
    const auto p0 = Clock::now();
    {
        pugi::xml_document doc;
        doc.load_buffer(answer.data(), answer.size());
        benchmark::DoNotOptimize(doc.first_child());
    }
    const double parseMs = Ms(Clock::now() - p0);

    double maxGap = 0;
    int turns = 0;
    std::vector<double> runs;
    for (auto _ : state) {
        host.Searches.push_back(answer);
        GapRecorder gaps;
        const auto t0 = Clock::now();
        form->RunBaseCommand(4);
        runs.push_back(Ms(Clock::now() - t0));
        maxGap = std::max(maxGap, gaps.Finish());
        turns = gaps.Turns();
    }
    const double total = Median(runs);
    if (form->Dm()->mtblMain->RecordCount() != kRows) state.SkipWithError("the rows did not load");

    // The steps alone, to name the one that holds the longest gap.
    double readGap = 0, loadGap = 0;
    {
        TQmProtocol protocol;
        {
            GapRecorder gaps;
            protocol.ReadXml(answer);
            readGap = gaps.Finish();
        }
        TMemTable& main = *form->Dm()->mtblMain;
        main.EmptyTable();
        GapRecorder gaps;
        LoadTable(protocol.Table(0), main);
        loadGap = gaps.Finish();
    }
    // The handover through the exchange record: two whole-text conversions that let nothing run.
    double handoverMs = 0;
    {
        const auto h0 = Clock::now();
        BSTR slot = nullptr;
        SetSlotText(slot, answer);
        benchmark::DoNotOptimize(SlotText(slot).size());
        SysFreeString(slot);
        handoverMs = Ms(Clock::now() - h0);
    }
    state.counters["handover_ms"] = handoverMs;
    state.counters["max_gap_ms"] = maxGap;
    state.counters["search_ms"] = total;
    state.counters["loop_turns"] = turns;
    state.counters["parse_ms"] = parseMs;
    state.counters["read_gap_ms"] = readGap;
    state.counters["load_gap_ms"] = loadGap;
    state.counters["search_per_parse"] = parseMs > 0 ? total / parseMs : 0;
    delete form;
}
BENCHMARK(BM_SearchLoadsIntoTheForm)->Iterations(5)->Unit(benchmark::kMillisecond);

// Entering the edit state remembers the accepted rows; a cancel puts them back. Both go over every
// row, so they are measured against the parse of the same answer, and they let messages run: the
// longest gap between two turns of the event loop is printed beside them (goal: at most 16 ms).
void BM_UpdateThenCancelOnALargeTable(benchmark::State& state) {
    test::FakeHost host;
    const std::string answer = test::MemacSearchAnswer(kRows);
    host.Registers.push_back(test::FakeHost::Answer(0, {}, "<rs typ=\"integer\">7</rs>"));
    auto* form = TfrmChildBase::Create<TfrmTarn204>(host.Parent.get());
    form->SetFormId(form->Handle());
    form->show();
    DeliverPostedMessages();
    host.Searches.push_back(answer);
    form->RunBaseCommand(4);
    TMemTable& main = *form->Dm()->mtblMain;
    if (main.RecordCount() != kRows) state.SkipWithError("the rows did not load");

    const auto p0 = Clock::now();
    {
        pugi::xml_document doc;
        doc.load_buffer(answer.data(), answer.size());
        benchmark::DoNotOptimize(doc.first_child());
    }
    const double parseMs = Ms(Clock::now() - p0);

    std::vector<double> updateRuns, cancelRuns;
    double maxGap = 0;
    for (auto _ : state) {
        GapRecorder gaps;
        const auto t0 = Clock::now();
        form->RunBaseCommand(1);
        main.FieldByName("MEMAC002")->SetAsString("changed");
        const auto t1 = Clock::now();
        form->RunBaseCommand(5);
        const auto t2 = Clock::now();
        updateRuns.push_back(Ms(t1 - t0));
        cancelRuns.push_back(Ms(t2 - t1));
        maxGap = std::max(maxGap, gaps.Finish());
    }
    const double updateMs = Median(updateRuns), cancelMs = Median(cancelRuns);
    if (main.RecordCount() != kRows || main.ChangeCount() != 0) state.SkipWithError("the cancel lost rows");
    state.counters["update_ms"] = updateMs;
    state.counters["cancel_ms"] = cancelMs;
    state.counters["max_gap_ms"] = maxGap;
    state.counters["parse_ms"] = parseMs;
    state.counters["update_per_parse"] = parseMs > 0 ? updateMs / parseMs : 0;
    state.counters["cancel_per_parse"] = parseMs > 0 ? cancelMs / parseMs : 0;
    delete form;
}
BENCHMARK(BM_UpdateThenCancelOnALargeTable)->Iterations(5)->Unit(benchmark::kMillisecond);

class TCheckForm : public TfrmChildBase {
public:
    explicit TCheckForm(QWidget* parent) : TfrmChildBase(parent, 0, QSize(333, 209)) {}
    bool CanCloseForm() override { return true; }
};

// ROWS rows of distinct codes; with CACHED, held as a search leaves them (no pending change).
void FillCodes(TMemTable& table, int rows, bool cached) {
    table.FieldDefs().Add("MEMAC001", ftString, 8);
    table.SetCachedUpdates(cached);
    table.CreateDataSet();
    for (int i = 0; i < rows; ++i) {
        table.Append();
        table.FieldByName("MEMAC001")->SetAsString(std::to_string(i));
        table.Post();
    }
    if (cached) table.MergeChangeLog();
}

// The sizes the checks are timed at, for the fit of a line through them.
void ThreeSizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)
        ->Arg(30000)
        ->Arg(100000)
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond)
        ->Complexity(benchmark::oN);
}

void BM_UniqueCheck(benchmark::State& state) {
    test::App();
    const int rows = static_cast<int>(state.range(0));
    TMemTable table;
    FillCodes(table, rows, false);
    auto* form = TfrmChildBase::Create<TCheckForm>(nullptr);

    // Baseline: the same walk reading every value, without the check.
    const auto b0 = Clock::now();
    std::size_t bytes = 0;
    TField* field = table.FieldByName("MEMAC001");
    for (table.First(); !table.Eof(); table.Next())
        bytes += field->AsString().size();
    benchmark::DoNotOptimize(bytes);
    const double walkMs = Ms(Clock::now() - b0);

    std::string label;
    std::vector<double> runs;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        label = form->CheckFieldValues(0, &table, "MEMAC001");
        runs.push_back(Ms(Clock::now() - t0));
        benchmark::DoNotOptimize(label);
    }
    const double checkMs = Median(runs);
    if (!label.empty()) state.SkipWithError("unique values reported as repeated");
    state.counters["check_per_walk"] = walkMs > 0 ? checkMs / walkMs : 0;
    state.counters["ns_per_row"] = checkMs * 1e6 / rows;
    state.SetComplexityN(rows);
    delete form;
}
// Three sizes, medians of five checks each; the fit (BM_UniqueCheck_BigO, _RMS) shows the growth.
BENCHMARK(BM_UniqueCheck)->Apply(ThreeSizes);

// A save's check: one changed row against every row, with the table's counts of values built by an
// earlier save. Per row of the table it costs only the look for the changed rows among them (a
// status read a row), a small fraction of the full check's ns_per_row above.
void BM_UniqueCheckOfOneChangedRow(benchmark::State& state) {
    test::App();
    const int rows = static_cast<int>(state.range(0));
    TMemTable table;
    FillCodes(table, rows, true);
    auto* form = TfrmChildBase::Create<TCheckForm>(nullptr);
    TField* field = table.FieldByName("MEMAC001");
    int round = 0;
    auto changeOneRow = [&] {
        table.SetRecNo(rows / 2);
        table.Edit();
        field->SetAsString("x" + std::to_string(round++));
        table.Post();
    };
    changeOneRow();
    std::string label = form->FindFieldFault(0, &table, "MEMAC001", true).Label; // the earlier save
    std::vector<double> runs;
    for (auto _ : state) {
        changeOneRow();
        const auto t0 = Clock::now();
        label = form->FindFieldFault(0, &table, "MEMAC001", true).Label;
        runs.push_back(Ms(Clock::now() - t0));
        benchmark::DoNotOptimize(label);
        table.MergeChangeLog();
    }
    const double checkMs = Median(runs);
    if (!label.empty()) state.SkipWithError("a new value reported as repeated");
    state.counters["check_us"] = checkMs * 1e3;
    state.counters["ns_per_row"] = checkMs * 1e6 / rows;
    state.SetComplexityN(rows);
    delete form;
}
BENCHMARK(BM_UniqueCheckOfOneChangedRow)->Apply(ThreeSizes);

// ---------------------------------------------------------------- saves through the real form

constexpr int kSaveRepetitions = 5;

// An income-level form on a recording host, holding the rows of one search.
struct SavingForm {
    test::FakeHost host;
    TfrmTarn204* form = nullptr;
    explicit SavingForm(int rows) {
        host.Registers.push_back(test::FakeHost::Answer(0, {}, "<rs typ=\"integer\">7</rs>"));
        form = TfrmChildBase::Create<TfrmTarn204>(host.Parent.get());
        form->SetFormId(form->Handle());
        form->show();
        test::Pump();
        host.Searches.push_back(test::MemacSearchAnswer(rows));
        form->RunBaseCommand(4);
        test::Pump();
    }
    ~SavingForm() { delete form; }
    TMemTable& Main() { return *form->Dm()->mtblMain; }
    // One save command, timed; the host accepts it.
    double Save() {
        host.Executes.push_back(test::FakeHost::Answer(0));
        const auto t0 = Clock::now();
        form->RunBaseCommand(3);
        const double ms = Ms(Clock::now() - t0);
        test::Pump();
        return ms;
    }
    // The current row changed in the grid's place, then saved.
    double SaveOneChangedRow(int round) {
        form->RunBaseCommand(1);
        Main().Edit();
        Main().FieldByName("MEMAC002")->SetAsString("Changed " + std::to_string(round));
        return Save();
    }
};

// (a save of one changed row after a 100,000-row search - the same after 1,000 rows) / a plain
// walk reading every field of the 99,000 extra rows: what each extra row costs a save, in walks.
void BM_SaveOneRowScales(benchmark::State& state) {
    double small = 0, large = 0, walk = 0;
    for (auto _ : state) {
        std::vector<double> smallRuns, largeRuns, walkRuns;
        {
            SavingForm f(1000);
            for (int i = 0; i < kSaveRepetitions; ++i)
                smallRuns.push_back(f.SaveOneChangedRow(i));
        }
        {
            SavingForm f(kRows);
            for (int i = 0; i < kSaveRepetitions; ++i)
                largeRuns.push_back(f.SaveOneChangedRow(i));
            TMemTable& main = f.Main();
            for (int i = 0; i < kSaveRepetitions; ++i) {
                const auto t0 = Clock::now();
                std::size_t bytes = 0;
                main.DisableControls();
                main.SetRecNo(1001);
                for (; !main.Eof(); main.Next())
                    for (int c = 0; c < main.FieldCount(); ++c)
                        bytes += main.Fields(c)->AsString().size();
                main.First();
                main.EnableControls();
                benchmark::DoNotOptimize(bytes);
                walkRuns.push_back(Ms(Clock::now() - t0));
            }
        }
        small = Median(smallRuns);
        large = Median(largeRuns);
        walk = Median(walkRuns);
    }
    state.counters["save_1k_ms"] = small;
    state.counters["save_100k_ms"] = large;
    state.counters["walk_99k_ms"] = walk;
    state.counters["extra_rows_per_walk"] = walk > 0 ? (large - small) / walk : 0;
}
BENCHMARK(BM_SaveOneRowScales)->Iterations(1)->Unit(benchmark::kMillisecond);

// Saving 1,000 new rows in one save / saving 100 new rows: linear growth gives 10.
void BM_SaveNewRowsScales(benchmark::State& state) {
    auto saveNew = [](SavingForm& f, int count, int round) {
        f.form->RunBaseCommand(0);
        TMemTable& main = f.Main();
        // The rows are typed in, not measured: the grid sits this out.
        main.DisableControls();
        for (int i = 0; i < count; ++i) {
            if (i > 0) main.Append();
            main.FieldByName("MEMAC001")->SetAsString("N" + std::to_string(round) + "_" + std::to_string(i));
            main.FieldByName("MEMAC002")->SetAsString("New " + std::to_string(i));
            main.Post();
        }
        main.EnableControls();
        return f.Save();
    };
    double hundred = 0, thousand = 0;
    for (auto _ : state) {
        std::vector<double> h, t;
        SavingForm f(0);
        for (int i = 0; i < kSaveRepetitions; ++i) {
            h.push_back(saveNew(f, 100, 2 * i));
            t.push_back(saveNew(f, 1000, 2 * i + 1));
        }
        hundred = Median(h);
        thousand = Median(t);
    }
    state.counters["save_100_new_ms"] = hundred;
    state.counters["save_1000_new_ms"] = thousand;
    state.counters["ratio"] = hundred > 0 ? thousand / hundred : 0;
}
BENCHMARK(BM_SaveNewRowsScales)->Iterations(1)->Unit(benchmark::kMillisecond);

// The heap a save of one changed row adds at its peak after a 100,000-row search, as a ratio to
// the heap the main table holds. Beside it the same from before the 修改 that starts the edit, which
// also holds the rows remembered for a cancel.
void BM_SaveMemoryAfterALargeSearch(benchmark::State& state) {
    double saveAdds = 0, editAdds = 0, tableBytes = 0;
    for (auto _ : state) {
        SavingForm f(kRows);
        TMemTable& main = f.Main();
        tableBytes = static_cast<double>(main.MemoryUsed());
        std::vector<double> saves, edits;
        for (int i = 0; i < kSaveRepetitions; ++i) {
            const std::size_t beforeEdit = bench::LiveHeapBytes();
            bench::ResetPeakHeap();
            f.form->RunBaseCommand(1);
            main.Edit();
            main.FieldByName("MEMAC002")->SetAsString("Changed " + std::to_string(i));
            const std::size_t editPeak = bench::PeakHeapBytes();
            const std::size_t beforeSave = bench::LiveHeapBytes();
            bench::ResetPeakHeap();
            f.Save();
            const std::size_t savePeak = bench::PeakHeapBytes();
            saves.push_back(static_cast<double>(savePeak - beforeSave));
            edits.push_back(static_cast<double>(std::max(editPeak, savePeak) - beforeEdit));
        }
        if (main.RecordCount() != kRows || main.ChangeCount() != 0)
            state.SkipWithError("the saves did not go through");
        saveAdds = Median(saves);
        editAdds = Median(edits);
    }
    state.counters["table_MB"] = tableBytes / 1e6;
    state.counters["save_adds_MB"] = saveAdds / 1e6;
    state.counters["save_per_table"] = tableBytes > 0 ? saveAdds / tableBytes : 0;
    state.counters["edit_and_save_per_table"] = tableBytes > 0 ? editAdds / tableBytes : 0;
}
BENCHMARK(BM_SaveMemoryAfterALargeSearch)->Iterations(1)->Unit(benchmark::kMillisecond);

// Appending rows one by one through the form's grid after a search, as a clerk does (新增, a value
// typed into the new row, the next new row posts it), the event loop run after each: alternating
// between a form holding 500 rows and one holding 50,000, medians of the per-append CPU times.
double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void BM_AppendThroughTheFormGrid(benchmark::State& state) {
    constexpr int kAppends = 40;
    auto appendOne = [](SavingForm& f, int i) {
        const double start = ThreadMs();
        TQmDBGrid& grid = *f.form->dbgrdMain;
        grid.AppendRow();
        TQmGridModel& model = *grid.Model();
        model.setData(model.index(f.Main().RecNo() - 1, 1), QString::number(i % 1000), Qt::EditRole);
        QApplication::processEvents();
        return ThreadMs() - start;
    };
    double small = 0, large = 0;
    for (auto _ : state) {
        SavingForm few(500), many(50000);
        for (SavingForm* f : {&few, &many}) {
            f->form->RunBaseCommand(0);
            f->form->dbgrdMain->setFocus();
        }
        for (int i = 0; i < 5; ++i) {
            appendOne(few, i);
            appendOne(many, i);
        }
        std::vector<double> fewTimes, manyTimes;
        for (int i = 0; i < kAppends; ++i) {
            fewTimes.push_back(appendOne(few, i));
            manyTimes.push_back(appendOne(many, i));
        }
        small = Median(fewTimes);
        large = Median(manyTimes);
        if (many.Main().ChangeCount() < kAppends) state.SkipWithError("the rows were not appended");
    }
    state.counters["append_500_ms"] = small;
    state.counters["append_50000_ms"] = large;
    state.counters["ratio"] = small > 0 ? large / small : 0;
}
BENCHMARK(BM_AppendThroughTheFormGrid)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    qm::test::App();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
