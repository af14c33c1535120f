// Whether the launched qmhost keeps every frame short while a clerk types into the grid's filter
// over 100,000 searched rows, measured from outside on an X server of its own (x_pinger.h).
//
// Once the rows are in, the window is given the input focus as a window manager would, the filter
// box is opened with Ctrl+Shift+F, and words are typed into it key by key through the XTest
// extension (the keyboard's own path: the server routes them to the focused window), then cleared
// with BackSpace. After each key the window is pinged at once, and again 2 ms after each answer
// until the next key; the figure of a run is the longest wait for an answer while typing. The
// median over the runs is held against 50 ms. The script checks the rows kept by the typed words
// and that every row is back once the box is cleared.
//
//   bench_host_filter_ping [--rows N] [--runs N]
//
// Exit code: 0 when the target is met, 1 when it is missed, 2 when something could not run.
#include "bench/host/launch.h"
#include "bench/host/store_rows.h"
#include "bench/host/x_pinger.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <dlfcn.h>
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
// A quick typist's pace: the window is pinged between keys meanwhile.
constexpr auto kBetweenKeys = std::chrono::milliseconds(150);

// The typing: words, then BackSpace until the box is empty. "zz" last, so that the rows it keeps
// can be counted here: only the codes (four base-36 digits) hold a Latin letter.
const char* const kWords[] = {"123", "zz"};
constexpr const char* kChecked = "zz";

// XTestFakeKeyEvent, from the library the X client tools bring along.
class XTest {
public:
    XTest() : FLib(::dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL)) {
        if (FLib) FFake = reinterpret_cast<FakeKey>(::dlsym(FLib, "XTestFakeKeyEvent"));
    }
    ~XTest() {
        if (FLib) ::dlclose(FLib);
    }
    XTest(const XTest&) = delete;
    XTest& operator=(const XTest&) = delete;

    bool Ok() const { return FFake != nullptr; }
    // Presses the modifiers, then the key, and lets them go in the reverse order.
    void Press(Display* d, KeySym key, std::initializer_list<KeySym> modifiers = {}) const {
        for (const KeySym m : modifiers)
            FFake(d, XKeysymToKeycode(d, m), True, 0);
        FFake(d, XKeysymToKeycode(d, key), True, 0);
        FFake(d, XKeysymToKeycode(d, key), False, 0);
        for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
            FFake(d, XKeysymToKeycode(d, *m), False, 0);
        XFlush(d);
    }

private:
    using FakeKey = int (*)(Display*, unsigned int, Bool, unsigned long);
    void* FLib;
    FakeKey FFake = nullptr;
};

// How many of the store's rows show `needle` (lower case letters and digits) in their code.
int RowsWithCode(int rows, const std::string& needle) {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    int count = 0;
    for (int i = 0; i < rows; ++i) {
        const std::string code = {digits[i / 46656 % 36], digits[i / 1296 % 36], digits[i / 36 % 36],
                                  digits[i % 36]};
        if (code.find(needle) != std::string::npos) ++count;
    }
    return count;
}

struct Run {
    bool Ok = false;
    std::string Why;
    double LongestMs = 0;     // the longest wait for an answer while typing
    double FirstKeyMs = 0;    // the longest wait from the first character typed into the box to the next key
    std::string LongestAfter; // the key typed last before it
    long Pings = 0;
};

struct Options {
    int Rows = 100000;
    int Runs = 5;
};

bool Await(const fs::path& file, Child& host, Run& run, const fs::path& log) {
    int code = 0;
    while (!fs::exists(file)) {
        if (host.Ended(&code)) {
            run.Why = HostEnded(code, log);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

Run OneRun(const Options& o, const XTest& xtest, const std::string& display, const fs::path& db,
           const fs::path& work) {
    Run run;
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path ready = work / "ready", typed = work / "typed", checked = work / "checked",
                   cleared = work / "cleared", log = work / "host.log";
    for (const fs::path& f : {ready, typed, checked, cleared})
        fs::remove(f);
    {
        std::ofstream(work / "filter.txt")
            << "command search\nexpect-rows " << o.Rows << "\ntouch " << ready.string() << "\nwait-for "
            << typed.string() << "\nexpect-rows " << RowsWithCode(o.Rows, kChecked) << "\ntouch "
            << checked.string() << "\nwait-for " << cleared.string() << "\nexpect-rows " << o.Rows << "\n";
    }
    Child host({(bin / "qmhost").string(), "--db", db.string(), "--no-search", "--script",
                (work / "filter.txt").string()},
               {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_CONFIG_HOME=" + (work / "config").string()},
               log);

    qm::bench::Pinger pinger(display);
    if (!pinger.Get()) {
        run.Why = "cannot open display " + display;
        return run;
    }
    if (!pinger.FindWindowOf(host, std::chrono::seconds(30))) {
        run.Why = "qmhost showed no window that answers pings: " + ReadAll(log);
        return run;
    }
    if (!Await(ready, host, run, log)) return run;
    Display* d = pinger.Get();
    // What a window manager does for the window the clerk clicks.
    XSetInputFocus(d, pinger.Target(), RevertToParent, CurrentTime);
    XFlush(d);
    if (pinger.Ping(10000) < 0) {
        run.Why = "no answer to a ping within 10 s";
        return run;
    }

    // A key, then pings until the next one is due; false when an answer did not come.
    bool first = true;
    auto key = [&](KeySym sym, const std::string& name, std::initializer_list<KeySym> modifiers = {}) {
        const auto due = Clock::now() + kBetweenKeys;
        xtest.Press(d, sym, modifiers);
        bool typedOne = true;
        while (typedOne || Clock::now() < due) {
            const double waited = pinger.Ping(10000);
            if (waited < 0) {
                run.Why = "no answer to a ping within 10 s after " + name;
                return false;
            }
            ++run.Pings;
            if (first && modifiers.size() == 0) run.FirstKeyMs = std::max(run.FirstKeyMs, waited);
            typedOne = false;
            if (waited > run.LongestMs) {
                run.LongestMs = waited;
                run.LongestAfter = name;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (modifiers.size() == 0) first = false;
        return true;
    };

    if (!key(XK_f, "Ctrl+Shift+F", {XK_Control_L, XK_Shift_L})) return run;
    for (const char* word : kWords) {
        for (const char* c = word; *c; ++c)
            if (!key(XStringToKeysym(std::string(1, *c).c_str()), std::string(1, *c))) return run;
        if (std::string(word) == kChecked) {
            std::ofstream(typed).flush();
            if (!Await(checked, host, run, log)) return run;
        }
        for (const char* c = word; *c; ++c)
            if (!key(XK_BackSpace, "BackSpace")) return run;
    }
    std::ofstream(cleared).flush();
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
        else if (flag == "--runs")
            o.Runs = std::atoi(argv[i + 1]);
    }
    const XTest xtest;
    if (!xtest.Ok()) {
        std::fprintf(stderr, "the XTest library (libXtst.so.6) is missing\n");
        return 2;
    }
    const fs::path work = fs::temp_directory_path() / ("qmhost-filter-" + std::to_string(::getpid()));
    fs::create_directories(work / "config");
    const qm::bench::XServer xserver(work / "xvfb.log");

    std::printf("making a store of %d rows...\n", o.Rows);
    std::fflush(stdout);
    int exitCode = 0;
    {
        qm::bench::StoreWithRows rows(o.Rows, "filter");
        std::vector<double> longest, firstKey;
        for (int r = 0; r < o.Runs; ++r) {
            const Run run = OneRun(o, xtest, xserver.Display(), rows.Path, work);
            if (!run.Ok) {
                std::fprintf(stderr, "run %d: %s\n", r + 1, run.Why.c_str());
                exitCode = 2;
                break;
            }
            std::printf(
                "run %d: %ld pings, longest wait %.1f ms after the first character, %.1f ms after %s\n",
                r + 1, run.Pings, run.FirstKeyMs, run.LongestMs, run.LongestAfter.c_str());
            std::fflush(stdout);
            longest.push_back(run.LongestMs);
            firstKey.push_back(run.FirstKeyMs);
        }
        if (exitCode == 0 && !longest.empty()) {
            const double median = qm::bench::Median(longest);
            const bool met = median <= kTargetMs;
            std::printf("filter typed over %d rows: longest unanswered ping, median of %zu runs: %.1f ms "
                        "(target <= %.0f) %s; largest %.1f ms; first character median %.1f ms\n",
                        o.Rows, longest.size(), median, kTargetMs, met ? "met" : "MISSED",
                        *std::max_element(longest.begin(), longest.end()), qm::bench::Median(firstKey));
            exitCode = met ? 0 : 1;
        }
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return exitCode;
}
