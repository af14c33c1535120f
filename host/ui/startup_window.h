// The window a host started from a desktop shows when it cannot start: without it the clerk
// would see nothing at all.
#pragma once

#include <string>

class QWidget;

namespace qm::host {

// Builds the window (not shown): the host's title, the reason, a button that closes it.
QWidget* NewStartupFailureWindow(const std::string& reason);

// Shows the window and runs the event loop until it is closed.
void ShowStartupFailure(const std::string& reason);

} // namespace qm::host
