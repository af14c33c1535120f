// Protocol figures as ratios to a baseline measured in the same run, each the median over
// repetitions of the ratio within one repetition:
//  - ReadXml + LoadTable of a 100,000-row search answer / pugixml's own parse of the text (target <= 2)
//  - FillRows + FillDeleted + WriteXml of 100,000 changed rows / pugixml saving a DOM of that shape (<= 2)
//  - the answer's two wide-text conversions (UTF-8 -> shared UTF-16 -> UTF-8) / copying its bytes twice
//  - heap held by the loaded main table once the answer is dropped / the answer's UTF-8 size (<= 1.5)
//  - pump runs per second of reading work with a counting pump (bounded, not once per field)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "alloc_counter.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"
#include "tests/protocol/memac_fixture.h"

namespace qm {
namespace {

using test::DefineMemac;

constexpr int kRows = 100000;
// A repetition measures the baseline and the subject once each, one right after the other, so that
// a burst of other work on the shared machine touches both or neither; the median drops outliers.
constexpr int kRepetitions = 9;
// Process CPU time: the machine is shared, and wall time would charge other processes' turns to us;
// the reader parses long answers on a helper thread, whose time counts too.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
    }
};

double Seconds(Clock::time_point from) {
    return Clock::now() - from;
}

const std::string& SearchAnswer() {
    static const std::string text = test::MemacSearchAnswer(kRows);
    return text;
}

void BM_ReadAndLoadVsParse(benchmark::State& state) {
    const std::string& text = SearchAnswer();
    double base = 0, subject = 0, read = 0, load = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        {
            pugi::xml_document doc;
            benchmark::DoNotOptimize(
                doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
        }
        base += Seconds(t0);
        t0 = Clock::now();
        {
            TQmProtocol protocol;
            protocol.ReadXml(text);
            read += Seconds(t0);
            const auto t1 = Clock::now();
            TMemTable main;
            DefineMemac(main);
            LoadTable(protocol.Table(0), main);
            benchmark::DoNotOptimize(main.RecordCount());
            load += Seconds(t1);
        }
        subject += Seconds(t0);
    }
    state.counters["ratio"] = subject / base;
    // Where the time goes: the read into the response table, and the copy into the form's table.
    state.counters["read_ratio"] = read / base;
    state.counters["load_ratio"] = load / base;
    state.counters["parse_ms"] = 1000 * base / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadAndLoadVsParse)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions);

// The form's table: thirds modified, inserted and (in the deletion table) deleted.
void MakeChanges(TMemTable& main, TMemTable& deleted) {
    DefineMemac(main);
    DefineMemac(deleted);
    auto fill = [](TMemTable& t, int i, bool key) {
        if (key) t.Fields(0)->SetAsInteger(i);
        t.Fields(1)->SetAsString(std::to_string(i % 10000));
        t.Fields(2)->SetAsString("收入等级" + std::to_string(i));
        t.Fields(3)->SetAsInteger(i * 10);
        t.Fields(4)->SetAsInteger(i * 10 + 9);
        t.Fields(5)->SetAsString("u001");
        t.Fields(6)->SetAsString("g01");
        t.Fields(7)->SetAsDateTime(EncodeDate(2008, 6, 2));
        t.Fields(10)->SetAsInteger(0);
    };
    const int third = kRows / 3;
    for (int i = 1; i <= third; ++i) {
        main.Append();
        fill(main, i, true);
        main.Post();
        deleted.Append();
        fill(deleted, third + i, true);
        deleted.Post();
    }
    main.MergeChangeLog();
    for (main.First(); !main.Eof(); main.Next()) {
        main.Edit();
        main.Fields(8)->SetAsString("u002");
        main.Fields(9)->SetAsDateTime(EncodeDate(2008, 6, 18));
        main.Post();
    }
    for (int i = 1; i <= kRows - 2 * third; ++i) {
        main.Append();
        fill(main, 0, false);
        main.Post();
    }
}

std::string WriteChanges(TMemTable& main, TMemTable& deleted, double* fillSeconds = nullptr) {
    const auto t0 = Clock::now();
    TQmProtocol protocol;
    protocol.SetCopyMode(cmAllRows);
    TQmTable& table = protocol.Table(protocol.AddTable());
    FillRows(table, main);
    FillDeleted(table, deleted);
    if (fillSeconds) *fillSeconds += Seconds(t0);
    return protocol.WriteXml();
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

void BM_FillAndWriteVsSave(benchmark::State& state) {
    TMemTable main, deleted;
    MakeChanges(main, deleted);
    pugi::xml_document shape;
    shape.load_string(WriteChanges(main, deleted).c_str());
    double base = 0, subject = 0, fill = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        {
            StringWriter writer;
            shape.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
            benchmark::DoNotOptimize(writer.text.size());
        }
        base += Seconds(t0);
        t0 = Clock::now();
        bytes = WriteChanges(main, deleted, &fill).size();
        subject += Seconds(t0);
    }
    state.counters["ratio"] = subject / base;
    // Where the time goes: copying the form's rows, and writing the document.
    state.counters["fill_ratio"] = fill / base;
    state.counters["write_ratio"] = (subject - fill) / base;
    state.counters["request_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FillAndWriteVsSave)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions);

void BM_LoadedTableMemory(benchmark::State& state) {
    const std::string& text = SearchAnswer();
    for (auto _ : state) {
        // The loaded table may keep the answer's row bytes instead of a copy, so what it holds is
        // measured once the answer is gone.
        const std::size_t before = bench::LiveHeapBytes();
        TMemTable main;
        DefineMemac(main);
        {
            TQmProtocol protocol;
            protocol.ReadXml(text);
            LoadTable(protocol.Table(0), main);
        }
        const std::size_t held = bench::LiveHeapBytes() - before;
        state.counters["ratio"] = static_cast<double>(held) / static_cast<double>(text.size());
        state.counters["table_MB"] = static_cast<double>(held) / 1e6;
        state.counters["text_MB"] = static_cast<double>(text.size()) / 1e6;
    }
}
BENCHMARK(BM_LoadedTableMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// What the host and the module do to an answer around the exchange record, against copying it.
void BM_AnswerConversionsVsCopy(benchmark::State& state) {
    const std::string& text = SearchAnswer();
    double base = 0, subject = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        {
            std::string there(text);
            std::string back(there);
            benchmark::DoNotOptimize(back.data());
        }
        base += Seconds(t0);
        t0 = Clock::now();
        {
            BSTR wide = SysAllocStringUtf8(text);
            const std::string back = Utf16ToUtf8(std::u16string_view(wide, SysStringLen(wide)));
            benchmark::DoNotOptimize(back.data());
            SysFreeString(wide);
        }
        subject += Seconds(t0);
    }
    state.counters["ratio"] = subject / base;
    state.counters["conversions_ms"] = 1000 * subject / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AnswerConversionsVsCopy)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);

std::size_t gPumpCount = 0;
void CountingPump() {
    ++gPumpCount;
}

void BM_PumpDuringRead(benchmark::State& state) {
    const std::string& text = SearchAnswer();
    const PumpFunction previous = CurrentPump();
    SetPump(&CountingPump);
    double seconds = 0;
    std::size_t runs = 0;
    for (auto _ : state) {
        gPumpCount = 0;
        const auto t0 = Clock::now();
        TQmProtocol protocol;
        protocol.ReadXml(text);
        seconds += Seconds(t0);
        runs += gPumpCount;
    }
    SetPump(previous);
    state.counters["pump_runs_per_s"] = static_cast<double>(runs) / seconds;
    state.counters["pump_runs"] = static_cast<double>(runs) / static_cast<double>(state.iterations());
    state.counters["fields_read"] = 11.0 * kRows;
}
BENCHMARK(BM_PumpDuringRead)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace qm

// Prints each ratio's median after the usual table.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Medians : benchmark::ConsoleReporter {
        std::map<std::string, double> Ratio;
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& r : runs) {
                const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
                if (median && r.counters.count("ratio"))
                    Ratio[r.run_name.function_name] = r.counters.at("ratio").value;
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& [name, ratio] : reporter.Ratio)
        std::printf("%s: median ratio %.2f%s\n", name.c_str(), ratio,
                    name.find("Conversions") == std::string::npos ? " (target <= 2)" : "");
    benchmark::Shutdown();
    return 0;
}
