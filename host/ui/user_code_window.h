// The first start of a login too long for the store's user columns: a small window asks for a
// shorter user code (and group, when that is too long too) and keeps it in the settings file, so
// that a clerk started from the menu, where no option can be given, can work at all.
#pragma once

#include "host/startup_checks.h"

#include <string>
#include <vector>

class QDialog;

namespace qm::host {

struct LoginCodes {
    std::string User, Group;
    bool AskUser = false, AskGroup = false; // which of the two the window asks for
};

// Builds the window (not shown) for the values in `codes` marked to be asked; each field holds
// the value cut to its limit. On 确定 with valid values, `codes` holds them.
QDialog* NewUserCodeWindow(LoginCodes& codes, const LoginLimits& limits, const std::string& settingsFile);

// Asks for what does not fit, unless it was named (by option or settings file); the answers go
// into the settings file as user= and group=. A file that cannot be written adds a note and the
// answers hold for this start. False when the clerk closes the window without answering.
bool AskLoginCodes(std::string& user, bool userNamed, std::string& group, bool groupNamed,
                   const LoginLimits& limits, const std::string& settingsFile,
                   std::vector<std::string>& notes);

} // namespace qm::host
