// Script steps of the clerk's desk: `export FILE` (.csv or .xlsx) and `print FILE.pdf`.
#pragma once

#include <string>

namespace qm::host {

class MainWindow;
struct ScriptStep;

// Whether `verb` is one of the desk's steps.
bool IsDeskStep(const std::string& verb);
// Runs one; false with the reason when it fails.
bool RunDeskStep(MainWindow& window, const ScriptStep& step, std::string& why);

} // namespace qm::host
