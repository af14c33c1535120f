// The host's settings file, so that a desktop entry starts a team clerk's host without options.
// An ini file: an optional [General] section of key=value lines; ';' and '#' start comments.
#pragma once

#include "host/options.h"

#include <string>

namespace qm::host {

// $XDG_CONFIG_HOME/qmclient/qmhost.conf (~/.config/qmclient/qmhost.conf).
std::string SettingsPath();

// Fills db, user and group from the file where the command line left them open. Keys match
// without regard to case; a value is the whole rest of its line. A db path with ~ is taken in
// the home folder, a relative one in the file's folder. What the file holds that the host cannot
// use goes to o.Notes, naming the file and the line.
void ApplySettings(Options& o, const std::string& path);

// Sets one key of the [General] section, keeping every other line; the file and its folder are
// made when missing. False with the reason in `why` when the file cannot be written.
bool StoreSetting(const std::string& path, const std::string& key, const std::string& value,
                  std::string& why);

} // namespace qm::host
