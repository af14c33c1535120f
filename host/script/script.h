// Scripted runs: toolbar commands, cell edits, keys and message-box answers in order (see
// the README for the format).
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class QWindow;

namespace qm::dialog {
struct DialogApi;
}

namespace qm::host {

class MainWindow;

struct ScriptStep {
    int Line = 0;
    std::string Verb;
    std::vector<std::string> Args; // the words after the verb; a text argument is the rest of the line
};

// Throws std::invalid_argument naming the line of the first step it cannot read.
std::vector<ScriptStep> ParseScript(std::string_view text);

class ScriptRunner {
public:
    // `boxes` may be null when the dialog library could not be loaded; then no `answer` step runs.
    ScriptRunner(MainWindow& window, const dialog::DialogApi* boxes, std::ostream& log);

    // Runs the steps in order and stops at the first that fails. True when every step ran, no box
    // went unanswered and no queued answer was left over.
    bool Run(const std::vector<ScriptStep>& steps);

    // Lets posted messages and the toolkit's pending events run until nothing is left.
    static void Settle();

private:
    QWindow* KeyWindow();
    bool RunStep(const ScriptStep& step, std::string& why);

    MainWindow& FWindow;
    const dialog::DialogApi* FBoxes;
    std::ostream& FLog;
};

} // namespace qm::host
