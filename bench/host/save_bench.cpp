// One edited row saved after a search of many rows against the same after a search of few,
// through the host's own store, message handler and window with the built module and dialog.dll,
// put together as qmhost puts them together. A round is 修改, a new name in the current row and
// 保存 (with its 保存成功 notice answered); only the 保存 is timed. The two windows take turns,
// and each figure is the median of the rounds (goal: 100,000 rows <= 1.3 x 1,000 rows), in wall
// time (the store's writes to disk included) and in this thread's CPU time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/host/open_form.h"
#include "bench/host/store_rows.h"
#include "dialog/dialog_api.h"
#include "host/script/script.h"
#include "platform/qt/qt_pump.h"

namespace {

using namespace qm;

constexpr int kRounds = 9;

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The store and the form run on this thread: its CPU time is the save's, whatever else the
// machine does.
double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// qmhost's pieces over a store of `rows` income levels, the form open and searched.
struct Host {
    qm::bench::StoreWithRows Rows;
    qm::dialog::DialogApi& Boxes;
    qm::bench::OpenForm Form;
    bool Ready = false;

    Host(int rows, qm::dialog::DialogApi& boxes)
        : Rows(rows, "save" + std::to_string(rows)), Boxes(boxes), Form(Rows.Get()) {
        Ready = Form.Ready && Run("command search\nexpect-rows " + std::to_string(rows) + "\n");
    }
    bool Run(const std::string& script) {
        qm::host::ScriptRunner runner(*Form.Window, &Boxes, std::cerr);
        return runner.Run(qm::host::ParseScript(script));
    }
    // One round; the wall and CPU time of the 保存 alone, or negative times when a step failed.
    std::pair<double, double> SaveOneEditedRow(int round) {
        if (!Run("command update\nedit MEMAC002 改过 " + std::to_string(round) + "\n")) return {-1, -1};
        QElapsedTimer took;
        took.start();
        const double cpu0 = ThreadMs();
        const bool saved = Run("answer 1\ncommand save\nexpect-no-error\n");
        const double cpu = ThreadMs() - cpu0;
        const double ms = static_cast<double>(took.nsecsElapsed()) / 1e6;
        return saved ? std::pair(ms, cpu) : std::pair(-1.0, -1.0);
    }
};

struct Boxes {
    qm::dialog::DialogApi Api;
    bool Loaded = false;
    Boxes() {
        qm::InstallQtPump();
        Loaded = Api.Load(QCoreApplication::applicationDirPath().toStdString() + "/");
        if (!Loaded) return;
        Api.ClearQueue();
        Api.SetStrict(1);
    }
};

Boxes& TheBoxes() {
    static Boxes boxes;
    return boxes;
}

void BM_SaveOneRowThroughTheStore(benchmark::State& state) {
    Boxes& boxes = TheBoxes();
    double few = 0, many = 0, fewCpu = 0, manyCpu = 0;
    for (auto _ : state) {
        Host small(1000, boxes.Api), large(100000, boxes.Api);
        if (!boxes.Loaded || !small.Ready || !large.Ready) {
            state.SkipWithError("the host, module or dialog.dll could not be set up");
            return;
        }
        small.SaveOneEditedRow(-1); // the first save of a window prepares statements
        large.SaveOneEditedRow(-1);
        std::vector<double> s, l, sc, lc;
        for (int i = 0; i < kRounds; ++i) {
            const auto [sw, su] = small.SaveOneEditedRow(i);
            const auto [lw, lu] = large.SaveOneEditedRow(i);
            if (sw < 0 || lw < 0) {
                state.SkipWithError("a save did not go through");
                return;
            }
            s.push_back(sw);
            l.push_back(lw);
            sc.push_back(su);
            lc.push_back(lu);
        }
        few = Median(s);
        many = Median(l);
        fewCpu = Median(sc);
        manyCpu = Median(lc);
    }
    state.counters["save_1k_ms"] = few;
    state.counters["save_100k_ms"] = many;
    state.counters["ratio"] = few > 0 ? many / few : 0;
    state.counters["save_1k_cpu_ms"] = fewCpu;
    state.counters["save_100k_cpu_ms"] = manyCpu;
    state.counters["cpu_ratio"] = fewCpu > 0 ? manyCpu / fewCpu : 0;
}
BENCHMARK(BM_SaveOneRowThroughTheStore)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
