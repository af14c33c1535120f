// Start-up and the run of the host: store, window, module, context, then the event loop or a
// script and a screenshot.
#pragma once

#include "host/options.h"

namespace qm::host {

// Runs the host with an existing QApplication; returns the process exit code.
int RunHost(const Options& options);

} // namespace qm::host
