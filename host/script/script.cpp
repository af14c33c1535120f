#include "host/script/script.h"

#include "dialog/dialog_api.h"
#include "host/script/desk_steps.h"
#include "host/script/grid_access.h"
#include "host/script/key_input.h"
#include "host/script/view_steps.h"
#include "host/ui/main_window.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <filesystem>
#include <fstream>

#include <stdexcept>

namespace qm::host {

namespace {

// verb, words before the free text, whether a free text follows (and may be empty)
struct VerbShape {
    const char* Verb;
    int Words;
    bool Text;
    bool TextMayBeEmpty;
};

const VerbShape kVerbs[] = {
    {"command", 1, false, false},
    {"answer", 1, false, false},
    {"edit", 1, true, true},
    {"key", 1, false, false},
    {"type", 0, true, false},
    {"select", 2, false, false},
    {"expect-status", 0, true, false},
    {"expect-no-error", 0, false, false},
    {"dismiss-error", 0, false, false},
    {"expect-rows", 1, false, false},
    {"expect-cell", 1, true, true},
    {"expect-field", 1, true, true},
    {"expect-box", 0, true, false},
    {"wait", 0, false, false},
    {"close", 0, false, false},
    {"close-refused", 0, false, false},
    {"touch", 0, true, false},
    {"wait-for", 0, true, false},
    {"sort", 2, false, false},
    {"filter", 0, true, true},
    {"expect-order", 1, true, false},
    {"export", 0, true, false},
    {"print", 0, true, false},
};

// Two hosts run in step through files: one touches, the other waits.
constexpr int kWaitForSeconds = 30;

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Splits off the next blank-separated word.
std::string_view NextWord(std::string_view& rest) {
    rest = TrimView(rest);
    std::size_t end = rest.find_first_of(" \t");
    std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return word;
}

bool ToInt(const std::string& text, int& out) {
    try {
        std::size_t used = 0;
        out = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

} // namespace

std::vector<ScriptStep> ParseScript(std::string_view text) {
    std::vector<ScriptStep> steps;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t nl = text.find('\n', pos);
        std::string_view line =
            TrimView(text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos));
        pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#') continue;
        ScriptStep step;
        step.Line = lineNo;
        std::string_view rest = line;
        step.Verb = std::string(NextWord(rest));
        const VerbShape* shape = nullptr;
        for (const VerbShape& v : kVerbs)
            if (step.Verb == v.Verb) shape = &v;
        const std::string where = "script line " + std::to_string(lineNo) + ": ";
        if (!shape) throw std::invalid_argument(where + "unknown step '" + step.Verb + "'");
        for (int i = 0; i < shape->Words; ++i) {
            std::string_view w = NextWord(rest);
            if (w.empty()) throw std::invalid_argument(where + "'" + step.Verb + "' needs more words");
            step.Args.emplace_back(w);
        }
        if (shape->Text) {
            // One blank separates the words from the text; the text itself is kept as written.
            std::string_view value = rest;
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
                value.remove_suffix(1);
            if (value.empty() && !shape->TextMayBeEmpty)
                throw std::invalid_argument(where + "'" + step.Verb + "' needs a text");
            step.Args.emplace_back(value);
        } else if (!TrimView(rest).empty()) {
            throw std::invalid_argument(where + "unexpected '" + std::string(TrimView(rest)) + "'");
        }
        if (step.Verb == "select" && step.Args[0] != "row")
            throw std::invalid_argument(where + "write 'select row N'");
        if (step.Verb == "key" && !ParseKeyName(step.Args[0]))
            throw std::invalid_argument(where + "no key named '" + step.Args[0] + "'");
        steps.push_back(std::move(step));
    }
    return steps;
}

ScriptRunner::ScriptRunner(MainWindow& window, const dialog::DialogApi* boxes, std::ostream& log)
    : FWindow(window), FBoxes(boxes), FLog(log) {}

void ScriptRunner::Settle() {
    // Posted messages may post more (activation, then what it triggers): run a few rounds, and on
    // while any are queued.
    for (int round = 0; round < 50; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        DeliverPostedMessages();
        // Outside an event loop, objects whose deletion was deferred are only freed on request:
        // without this, every step of a long script would keep what it let go of.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (round >= 3 && PendingMessageCount() == 0) break;
    }
}

bool ScriptRunner::Run(const std::vector<ScriptStep>& steps) {
    Settle();
    for (const ScriptStep& step : steps) {
        std::string why;
        bool ok = RunStep(step, why);
        Settle();
        if (ok && FBoxes && FBoxes->RunFailed()) {
            ok = false;
            why = "a message box found no answer queued";
        }
        if (!ok) {
            FLog << "script line " << step.Line << " (" << step.Verb << "): " << why << "\n";
            if (FBoxes)
                for (int i = 0; i < FBoxes->CallCount(); ++i)
                    FLog << "  box " << i + 1 << ": " << FBoxes->CallText(i) << " (flags "
                         << FBoxes->CallFlags(i) << ")\n";
            return false;
        }
    }
    if (FBoxes && FBoxes->PendingAnswers() > 0) {
        FLog << "script: " << FBoxes->PendingAnswers() << " queued answer(s) were never asked for\n";
        return false;
    }
    return true;
}

QWindow* ScriptRunner::KeyWindow() {
    // Keys go where the keyboard's would: to the window that has the focus. A window that was
    // only shown (no window manager offscreen) is made active first.
    if (!QGuiApplication::focusWindow()) {
        FWindow.activateWindow();
        Settle();
    }
    if (QWindow* focused = QGuiApplication::focusWindow()) return focused;
    return FWindow.windowHandle();
}

bool ScriptRunner::RunStep(const ScriptStep& step, std::string& why) {
    const std::string& verb = step.Verb;
    if (verb == "wait") return true;
    if (IsDeskStep(verb)) return RunDeskStep(FWindow, step, why);
    if (verb == "touch") {
        std::ofstream file(step.Args[0], std::ios::app);
        if (!file) {
            why = "cannot create " + step.Args[0];
            return false;
        }
        return true;
    }
    if (verb == "wait-for") {
        // The event loop turns while the file is awaited: the window answers keys and its window
        // manager as soon as they come, not after a sleep.
        const std::string& file = step.Args[0];
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &loop, [&] {
            if (std::filesystem::exists(file) || clock.elapsed() > kWaitForSeconds * 1000) loop.quit();
        });
        look.start(20);
        if (!std::filesystem::exists(file)) loop.exec();
        if (std::filesystem::exists(file)) return true;
        why = file + " did not appear within " + std::to_string(kWaitForSeconds) + " s";
        return false;
    }
    if (verb == "key" || verb == "type") {
        QWindow* target = KeyWindow();
        if (!target) {
            why = "no window has the focus";
            return false;
        }
        if (verb == "key")
            SendKey(*ParseKeyName(step.Args[0]), target);
        else
            SendText(QString::fromStdString(step.Args[0]), target);
        return true;
    }
    if (verb == "command") {
        if (!FWindow.Commands().Run(step.Args[0])) {
            why = "no announced command named '" + step.Args[0] + "'";
            return false;
        }
        return true;
    }
    if (verb == "answer") {
        int answer = dialog::kQueuedDefault;
        if (step.Args[0] != "default" && !ToInt(step.Args[0], answer)) {
            why = "'" + step.Args[0] + "' is neither a number nor 'default'";
            return false;
        }
        if (!FBoxes) {
            why = "the message-box library is not loaded";
            return false;
        }
        FBoxes->QueueAnswer(answer);
        return true;
    }
    if (verb == "expect-status") {
        if (FWindow.LastStatus().find(step.Args[0]) == std::string::npos) {
            why = "status is '" + FWindow.LastStatus() + "', expected it to contain '" + step.Args[0] + "'";
            return false;
        }
        return true;
    }
    if (verb == "expect-no-error") {
        if (FWindow.ErrorShown()) {
            why = "an error is shown: " + FWindow.LastStatus();
            return false;
        }
        return true;
    }
    if (verb == "dismiss-error") {
        FWindow.DismissError();
        return true;
    }
    if (verb == "expect-box") {
        const int n = FBoxes ? FBoxes->CallCount() : 0;
        const std::string last = n > 0 ? FBoxes->CallText(n - 1) : "";
        if (n == 0 || last.find(step.Args[0]) == std::string::npos) {
            why = n == 0 ? "no message box was shown" : "last box said '" + last + "'";
            return false;
        }
        return true;
    }
    if (verb == "close" || verb == "close-refused") {
        FWindow.close();
        const bool wantAgreed = verb == "close";
        if (FWindow.LastCloseAgreed() != wantAgreed) {
            why = wantAgreed ? "the form refused to close" : "the form closed";
            return false;
        }
        return true;
    }

    // The rest work on the module's grid.
    QAbstractItemView* grid = FindGrid(FWindow.Workspace());
    if (!grid) {
        why = "no grid in the workspace";
        return false;
    }
    if (IsViewStep(verb)) return RunViewStep(*grid, step, why);
    QAbstractItemModel* model = grid->model();
    if (verb == "expect-rows") {
        int want = 0;
        if (!ToInt(step.Args[0], want)) {
            why = "'" + step.Args[0] + "' is not a number";
            return false;
        }
        if (model->rowCount() != want) {
            why = "the grid has " + std::to_string(model->rowCount()) + " rows";
            return false;
        }
        return true;
    }
    if (verb == "select") {
        int row = 0;
        if (!ToInt(step.Args[1], row) || row < 1 || row > model->rowCount()) {
            why = "no row " + step.Args[1] + " (the grid has " + std::to_string(model->rowCount()) + ")";
            return false;
        }
        const int column = std::max(0, grid->currentIndex().column());
        grid->setCurrentIndex(model->index(row - 1, column));
        return true;
    }
    const int column = FindFieldColumn(grid, QString::fromStdString(step.Args[0]));
    if (column < 0) {
        why = "the grid has no field '" + step.Args[0] + "'";
        return false;
    }
    const int row = CurrentRow(grid);
    if (row < 0) {
        why = "the grid has no rows";
        return false;
    }
    const QModelIndex cell = model->index(row, column);
    if (verb == "edit") {
        if (!model->setData(cell, QString::fromStdString(step.Args[1]), Qt::EditRole)) {
            // The grid says why in the clerk's words (a text too long, a number out of range).
            const std::string reason = model->property("lastError").toString().toStdString();
            why = "the grid refused '" + step.Args[1] + "' for " + step.Args[0] +
                  (reason.empty() ? std::string() : ": " + reason);
            return false;
        }
        return true;
    }
    if (verb == "expect-cell") {
        const std::string shown = model->data(cell, Qt::DisplayRole).toString().toStdString();
        if (shown != step.Args[1]) {
            why = step.Args[0] + " shows '" + shown + "', expected '" + step.Args[1] + "'";
            return false;
        }
        return true;
    }
    if (verb == "expect-field") {
        // The value the module's table holds, read through the grid's model: hidden columns such as
        // the key count too.
        const std::string held = model->data(cell, Qt::EditRole).toString().toStdString();
        if (held != step.Args[1]) {
            why = step.Args[0] + " holds '" + held + "', expected '" + step.Args[1] + "'";
            return false;
        }
        return true;
    }
    why = "unknown step";
    return false;
}

} // namespace qm::host
