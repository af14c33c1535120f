// The host's command line.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qm::host {

struct Options {
    std::string User;       // default: the login name
    std::string Group;      // default: the login name's primary group
    std::string ModulePath; // default: libtarn204.so beside the host
    std::string DbPath;     // default: the user's data folder
    std::string ScriptPath;
    std::string ScreenshotPath;
    bool Demo = false;
    bool UserNamed = false;  // --user or the settings file named the clerk (else the login name)
    bool GroupNamed = false; // --group or the settings file named the group (else the login's)
    int MaxRequestMb = 64;   // larger requests are refused before they are parsed
    bool NoSearch = false;   // the form opens without running its search

    std::string SettingsFile;           // the settings file read at start, if any
    std::set<std::string> FromSettings; // the keys (db, user, group) whose value came from it
    std::vector<std::string> Notes;     // what the file holds that the host cannot use
};

// Where a value came from, for messages: "--db", or the settings file and its key.
std::string Origin(const Options& o, std::string_view key);

// Parses the arguments after the program name; throws std::invalid_argument with a usage hint.
Options ParseOptions(const std::vector<std::string>& args);
// The same in two halves, so that the settings file can fill what the command line left open.
Options ParseArguments(const std::vector<std::string>& args);
void FillDefaults(Options& o);
std::string UsageText();

// The text that --help or --version asks for, if either is among the arguments; these need no
// display, so main looks for them before the window system starts.
std::optional<std::string> InfoRequested(const std::vector<std::string>& args);
std::string HelpText();
std::string VersionText();

std::string LoginName();
std::string LoginGroup();

} // namespace qm::host
