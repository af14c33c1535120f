#include "host/script/desk_steps.h"

#include "host/desk/desk.h"
#include "host/script/script.h"
#include "host/ui/main_window.h"

namespace qm::host {

bool IsDeskStep(const std::string& verb) {
    return verb == "export" || verb == "print";
}

bool RunDeskStep(MainWindow& window, const ScriptStep& step, std::string& why) {
    const std::string& path = step.Args[0];
    if (step.Verb == "export") {
        const desk::ExportResult result = window.Desk().Export(path);
        if (!result.Written) why = result.Error.empty() ? "the export was cancelled" : result.Error;
        return result.Written;
    }
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".pdf") != 0) {
        why = "print writes a PDF: name a .pdf file";
        return false;
    }
    return window.Desk().PrintPdf(path, why);
}

} // namespace qm::host
