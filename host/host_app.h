// Start-up and the run of the host: store, window, module, context, then the event loop or a
// script and a screenshot.
#pragma once

#include "host/options.h"

#include <string>

namespace qm::dialog {
struct DialogApi;
}

namespace qm::host {

// Why the message-box library in `folder` (ending with a separator) cannot serve the form; empty
// when `boxes` now holds its exports.
std::string DialogLibraryFault(const std::string& folder, dialog::DialogApi& boxes);

// Runs the host with an existing QApplication; returns the process exit code.
int RunHost(const Options& options);

} // namespace qm::host
