// Whether the launched qmhost keeps answering its window manager during a search of 1,000,000 rows,
// measured from outside on an X server of its own (Xvfb) as a window manager sees it (x_pinger.h).
//
// This benchmark pings qmhost's window one ping after the other
// (a new one 2 ms after each answer) while qmhost runs a script that searches and expects every
// row. The search starts once the window has shown and answered for a moment, as a clerk clicks
// after the window is there; pings sent before it began do not count (the window's first paint is
// start-up's, which has its own benchmark; each run says how long its first answer took all the
// same). The figure of a run is the longest wait for an answer; the median over the runs is held
// against 50 ms. Half a second into the search, Down is pressed five times on the window; the script
// then expects the first row to be the current one still (keys pressed during a search are dropped). With
// --shots FOLDER it also saves the screen once the bar says the search is running (searching.png) and once
// the rows are in (searched.png). With --waits MS each run lists every wait longer than MS, by when it
// began on the monotonic clock (the clock `perf record -k CLOCK_MONOTONIC` stamps samples with) and
// from the start of the search, to find what the window was doing meanwhile.
//
// With --searches N the script searches N times one after the other, all of them counted.
//
//   bench_host_search_ping [--rows N] [--runs N] [--searches N] [--shots FOLDER] [--waits MS]
//
// Exit code: 0 when the target is met, 1 when it is missed, 2 when something could not run.
#include "bench/host/store_rows.h"
#include "bench/host/x_pinger.h"

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qm::bench::Child;
using qm::bench::Clock;
using qm::bench::EndedWell;
using qm::bench::HostEnded;
using qm::bench::Ms;
using qm::bench::ReadAll;

constexpr double kTargetMs = 50;

// Saves the screen of display as file; says so when it cannot.
void Shoot(const std::string& display, const fs::path& file) {
    const std::string command =
        "import -display " + display + " -window root " + file.string() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not save %s\n", file.c_str());
}

// Presses Down on window w as the keyboard would, count times.
void PressDown(Display* d, Window w, int count) {
    XEvent e{};
    e.xkey.display = d;
    e.xkey.window = w;
    e.xkey.root = DefaultRootWindow(d);
    e.xkey.same_screen = True;
    e.xkey.keycode = XKeysymToKeycode(d, XK_Down);
    for (int i = 0; i < count; ++i)
        for (const int type : {KeyPress, KeyRelease}) {
            e.type = type;
            e.xkey.time = CurrentTime;
            XSendEvent(d, w, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
        }
    XFlush(d);
}

// A wait for an answer: when the ping was sent and how long the answer took.
struct Wait {
    Clock::time_point Sent;
    double Ms = 0;
};

struct Run {
    bool Ok = false;
    std::string Why;
    double LongestMs = 0;
    double LongestAtS = 0; // when the longest wait began, from the start of the search
    double FirstMs = 0;    // the wait for the window's first answer
    double SearchS = 0;
    long Pings = 0;
    Clock::time_point Started;
    std::vector<Wait> Long; // the waits over Options::WaitsMs
};

struct Options {
    int Rows = 1000000;
    int Searches = 1; // one after the other, as a clerk searches again
    int Runs = 5;
    fs::path Shots;
    double WaitsMs = -1; // negative: no list
};

Run OneRun(const Options& o, const std::string& display, const fs::path& db, const fs::path& work,
           bool shoot) {
    Run run;
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path start = work / "start", begun = work / "begun", ready = work / "ready", go = work / "go",
                   log = work / "host.log";
    for (const fs::path& file : {start, begun, ready, go})
        fs::remove(file);
    {
        std::ofstream script(work / "search.txt");
        script << "wait-for " << start.string() << "\ntouch " << begun.string() << "\n";
        for (int i = 0; i < o.Searches; ++i)
            script << "command search\nexpect-rows " << o.Rows << "\n";
        script << "touch " << ready.string() << "\nwait-for " << go.string() << "\n";
    }
    Child host({(bin / "qmhost").string(), "--db", db.string(), "--no-search", "--script",
                (work / "search.txt").string()},
               {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_CONFIG_HOME=" + (work / "config").string()},
               log);

    qm::bench::Pinger pinger(display);
    if (!pinger.Get()) {
        run.Why = "cannot open display " + display;
        return run;
    }
    int code = 0;
    if (!pinger.FindWindowOf(host, std::chrono::seconds(30))) {
        run.Why = "qmhost showed no window that answers pings: " + ReadAll(log);
        return run;
    }
    const auto shown = Clock::now();
    bool started = false, pressed = false;
    while (!fs::exists(ready)) {
        if (host.Ended(&code)) {
            run.Why = HostEnded(code, log, " before the rows were in");
            return run;
        }
        const auto sent = Clock::now();
        const double waited = pinger.Ping(10000);
        if (waited < 0) {
            run.Why = "no answer to a ping within 10 s";
            return run;
        }
        if (run.Pings++ == 0) run.FirstMs = waited;
        // Only the search counts: start-up has its own benchmark.
        const bool searching = fs::exists(begun);
        if (searching && waited > run.LongestMs) {
            run.LongestMs = waited;
            run.LongestAtS = std::chrono::duration<double>(sent - run.Started).count();
        }
        if (searching && o.WaitsMs >= 0 && waited > o.WaitsMs) run.Long.push_back({sent, waited});
        // The clerk looks at the window a moment, then searches.
        if (!started && Clock::now() - shown > std::chrono::milliseconds(300)) {
            std::ofstream(start).flush();
            run.Started = Clock::now();
            started = true;
        }
        // Half a second in, the search is under way: the clerk presses Down five times, and
        // this is what he sees.
        if (started && !pressed && Clock::now() - run.Started > std::chrono::milliseconds(500)) {
            PressDown(pinger.Get(), pinger.Target(), 5);
            if (shoot) Shoot(display, o.Shots / "searching.png");
            pressed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    run.SearchS = std::chrono::duration<double>(Clock::now() - run.Started).count();
    if (shoot) Shoot(display, o.Shots / "searched.png");
    std::ofstream(go).flush();
    run.Ok = EndedWell(host, log, run.Why);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--rows")
            o.Rows = std::atoi(argv[i + 1]);
        else if (flag == "--searches")
            o.Searches = std::max(1, std::atoi(argv[i + 1]));
        else if (flag == "--runs")
            o.Runs = std::atoi(argv[i + 1]);
        else if (flag == "--shots")
            o.Shots = argv[i + 1];
        else if (flag == "--waits")
            o.WaitsMs = std::atof(argv[i + 1]);
    }
    const fs::path work = fs::temp_directory_path() / ("qmhost-ping-" + std::to_string(::getpid()));
    fs::create_directories(work / "config");
    if (!o.Shots.empty()) fs::create_directories(o.Shots);

    const qm::bench::XServer xserver(work / "xvfb.log");
    const std::string& display = xserver.Display();

    std::printf("making a store of %d rows...\n", o.Rows);
    std::fflush(stdout);
    int exitCode = 0;
    {
        qm::bench::StoreWithRows rows(o.Rows, "ping");
        std::vector<double> longest;
        for (int r = 0; r < o.Runs; ++r) {
            const Run run = OneRun(o, display, rows.Path, work, r == 0 && !o.Shots.empty());
            if (!run.Ok) {
                std::fprintf(stderr, "run %d: %s\n", r + 1, run.Why.c_str());
                exitCode = 2;
                break;
            }
            std::printf(
                "run %d: %ld pings over %.2f s of search, longest wait for an answer %.1f ms from %.2f s "
                "on (the window's first answer, before the search: %.1f ms)\n",
                r + 1, run.Pings, run.SearchS, run.LongestMs, run.LongestAtS, run.FirstMs);
            for (const Wait& w : run.Long)
                std::printf("  wait %.1f ms from %.6f s (monotonic), %.3f s on\n", w.Ms,
                            std::chrono::duration<double>(w.Sent.time_since_epoch()).count(),
                            std::chrono::duration<double>(w.Sent - run.Started).count());
            std::fflush(stdout);
            longest.push_back(run.LongestMs);
        }
        if (exitCode == 0 && !longest.empty()) {
            std::sort(longest.begin(), longest.end());
            const double median = longest[longest.size() / 2];
            const bool met = median <= kTargetMs;
            std::printf(
                "search of %d rows: longest unanswered ping, median of %zu runs: %.1f ms (target <= %.0f) "
                "%s; largest %.1f ms\n",
                o.Rows, longest.size(), median, kTargetMs, met ? "met" : "MISSED", longest.back());
            exitCode = met ? 0 : 1;
        }
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return exitCode;
}
