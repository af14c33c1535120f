// The host's settings file, so that a desktop entry starts a team clerk's host without options.
#pragma once

#include "host/options.h"

#include <string>

namespace qm::host {

// $XDG_CONFIG_HOME/qmclient/qmhost.conf (~/.config/qmclient/qmhost.conf).
std::string SettingsPath();

// Fills db, user and group from the file where the command line left them open.
void ApplySettings(Options& o, const std::string& path);

} // namespace qm::host
