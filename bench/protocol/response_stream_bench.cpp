// The streaming response reader on a 100,000-row search answer, as ratios measured in the same run:
//  - its read (UTF-8 text, and the record's UTF-16 text) / pugixml's parse of the UTF-8 text, beside
//    the DOM reader's read / the same parse
//  - the peak live heap while reading / the heap the read table holds, beside the DOM reader's
//  - the longest wall-clock gap between two pump runs while reading on the UI thread, in ms
// Each benchmark repeats itself and reports medians; a repetition is one read of each kind.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>

#include <pugixml.hpp>

#include "alloc_counter.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"
#include "tests/protocol/memac_fixture.h"

namespace qm {
namespace {

constexpr int kRows = 100000;
const TAnswerPolicy kDocumentOnly{.DocumentOnly = true};

// Process CPU time: the machine is shared, and the DOM reader parses long answers on a helper thread.
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// The host's shape: declaration, rows named after the table, dates with their time.
const std::string& Utf8Answer() {
    static const std::string text = test::MemacSearchAnswer(kRows);
    return text;
}

const std::u16string& Utf16Answer() {
    static const std::u16string text = Utf8ToUtf16(Utf8Answer());
    return text;
}

// pugixml's own blocks count as heap too.
void* PugiAllocate(std::size_t size) {
    return ::operator new(size);
}
void PugiRelease(void* p) {
    ::operator delete(p);
}

bool AllRows(const TQmProtocol& protocol) {
    return protocol.TableCount() == 1 && protocol.Table(0).Rows().RecordCount() == kRows;
}

double Timed(const std::function<void()>& step) {
    const double t0 = CpuSeconds();
    step();
    return CpuSeconds() - t0;
}

void BM_StreamReadVsParse(benchmark::State& state) {
    const std::string& utf8 = Utf8Answer();
    const std::u16string& utf16 = Utf16Answer();
    double parse = 0, stream8 = 0, stream16 = 0, dom = 0;
    for (auto _ : state) {
        parse += Timed([&] {
            pugi::xml_document doc;
            benchmark::DoNotOptimize(
                doc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8));
        });
        stream8 += Timed([&] {
            TQmProtocol protocol;
            if (!protocol.ReadXml(utf8) || !AllRows(protocol)) state.SkipWithError("UTF-8 answer not read");
        });
        stream16 += Timed([&] {
            TQmProtocol protocol;
            if (!protocol.ReadXml(utf16) || !AllRows(protocol)) state.SkipWithError("UTF-16 answer not read");
        });
        dom += Timed([&] {
            TQmProtocol protocol;
            if (!ReadAnswer(protocol, utf8, kDocumentOnly) || !AllRows(protocol))
                state.SkipWithError("answer not read by the DOM");
        });
    }
    state.counters["utf8_ratio"] = stream8 / parse;
    state.counters["utf16_ratio"] = stream16 / parse;
    state.counters["dom_ratio"] = dom / parse;
    state.counters["parse_ms"] = 1000 * parse / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StreamReadVsParse)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// Peak heap above what was live before the read, and what the read protocol still holds after it.
struct HeapUse {
    double peak, held;
};

HeapUse Measure(const std::function<bool(TQmProtocol&)>& read) {
    const std::size_t before = bench::LiveHeapBytes();
    bench::ResetPeakHeap();
    TQmProtocol protocol;
    read(protocol);
    return {static_cast<double>(bench::PeakHeapBytes() - before),
            static_cast<double>(bench::LiveHeapBytes() - before)};
}

void BM_StreamReadPeakHeap(benchmark::State& state) {
    const std::string& utf8 = Utf8Answer();
    const std::u16string& utf16 = Utf16Answer();
    pugi::set_memory_management_functions(&PugiAllocate, &PugiRelease);
    for (auto _ : state) {
        const HeapUse s8 = Measure([&](TQmProtocol& p) { return p.ReadXml(utf8); });
        const HeapUse s16 = Measure([&](TQmProtocol& p) { return p.ReadXml(utf16); });
        const HeapUse dom = Measure([&](TQmProtocol& p) { return ReadAnswer(p, utf8, kDocumentOnly); });
        const HeapUse dom16 = Measure([&](TQmProtocol& p) { return ReadAnswer(p, utf16, kDocumentOnly); });
        state.counters["utf8_ratio"] = s8.peak / s8.held;
        state.counters["utf16_ratio"] = s16.peak / s16.held;
        state.counters["dom_ratio"] = dom.peak / dom.held;
        state.counters["dom_utf16_ratio"] = dom16.peak / dom16.held;
        state.counters["table_MB"] = s8.held / 1e6;
        state.counters["peak_MB"] = s8.peak / 1e6;
        state.counters["dom_peak_MB"] = dom.peak / 1e6;
        state.counters["text_MB"] = static_cast<double>(utf8.size()) / 1e6;
    }
    pugi::set_memory_management_functions(&std::malloc, &std::free);
}
BENCHMARK(BM_StreamReadPeakHeap)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

using Wall = std::chrono::steady_clock;
Wall::time_point gLastPump;
double gLongestGapMs = 0;
void TimingPump() {
    const Wall::time_point now = Wall::now();
    gLongestGapMs =
        std::max(gLongestGapMs, std::chrono::duration<double, std::milli>(now - gLastPump).count());
    gLastPump = now;
}

// The stream reads on the UI thread: what the window feels is the longest stretch without a pump.
double LongestGapMs(const std::function<void()>& read) {
    gLongestGapMs = 0;
    gLastPump = Wall::now();
    read();
    TimingPump();
    return gLongestGapMs;
}

void BM_StreamReadLongestGap(benchmark::State& state) {
    const std::string& utf8 = Utf8Answer();
    const std::u16string& utf16 = Utf16Answer();
    const PumpFunction previous = CurrentPump();
    SetPump(&TimingPump);
    for (auto _ : state) {
        state.counters["utf8_gap_ms"] = LongestGapMs([&] {
            TQmProtocol protocol;
            protocol.ReadXml(utf8);
        });
        state.counters["utf16_gap_ms"] = LongestGapMs([&] {
            TQmProtocol protocol;
            protocol.ReadXml(utf16);
        });
    }
    SetPump(previous);
}
BENCHMARK(BM_StreamReadLongestGap)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

} // namespace
} // namespace qm
