// The host's command line.
#pragma once

#include <string>
#include <vector>

namespace qm::host {

struct Options {
    std::string User;        // default: the login name
    std::string Group;       // default: the login name's primary group
    std::string ModulePath;  // default: libtarn204.so beside the host
    std::string DbPath;      // default: the user's data folder
    std::string ScriptPath;
    std::string ScreenshotPath;
    bool Demo = false;
    bool NoSearch = false; // the form opens without running its search
};

// Parses the arguments after the program name; throws std::invalid_argument with a usage hint.
Options ParseOptions(const std::vector<std::string>& args);
std::string UsageText();

std::string LoginName();
std::string LoginGroup();

}  // namespace qm::host
