#include "host/options.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <stdexcept>

#ifndef QM_VERSION
#error "QM_VERSION is set by the build from the project's version"
#endif

namespace qm::host {

std::string UsageText() {
    return "usage: qmhost [--user NAME] [--group NAME] [--module PATH] [--db PATH|URI] [--demo]\n"
           "              [--no-search] [--script FILE] [--screenshot FILE.png] [--max-request-mb N]\n"
           "       qmhost --help | --version\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Maintains the income levels in a window; the data lives in a SQLite file or on a\n"
           "PostgreSQL server.\n"
           "\n"
           "  --db PATH|URI      the SQLite file (default $XDG_DATA_HOME/qmclient/qmclient.db,\n"
           "                     created with its table on first start), or a PostgreSQL\n"
           "                     connection URI (postgresql://...) or connection string\n"
           "  --demo             fills an empty store with a handful of sample income levels\n"
           "  --user NAME        the login put into the context record (default: the login name)\n"
           "  --group NAME       the login's group (default: the login name's primary group)\n"
           "  --module PATH      the module library (default libtarn204.so beside qmhost)\n"
           "  --no-search        opens the form without searching first\n"
           "  --script FILE      runs the steps of FILE, then exits (0 done, 1 a step failed,\n"
           "                     2 the script, store, module or dialog.dll cannot be loaded)\n"
           "  --screenshot FILE  writes the window as PNG once start-up and any script have run,\n"
           "                     then exits\n"
           "  --max-request-mb N requests larger than N MB are refused before they are read\n"
           "                     (default 64)\n"
           "  --help             prints this text\n"
           "  --version          prints the version\n"
           "\n"
           "db, user and group may also come from the settings file\n"
           "$XDG_CONFIG_HOME/qmclient/qmhost.conf (~/.config/qmclient/qmhost.conf); the command\n"
           "line wins. Exit codes and the file's keys: man qmhost.\n";
}

std::string VersionText() {
    return std::string("qmhost ") + QM_VERSION + "\n";
}

std::optional<std::string> InfoRequested(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // A value that happens to read "--help" is a value, not a request.
        if (a == "--user" || a == "--group" || a == "--module" || a == "--db" || a == "--script" ||
            a == "--screenshot" || a == "--max-request-mb") {
            ++i;
            continue;
        }
        if (a == "--help" || a == "-h") return HelpText();
        if (a == "--version") return VersionText();
    }
    return std::nullopt;
}

Options ParseOptions(const std::vector<std::string>& args) {
    Options o = ParseArguments(args);
    FillDefaults(o);
    return o;
}

void FillDefaults(Options& o) {
    if (o.User.empty()) o.User = LoginName();
    if (o.Group.empty()) o.Group = LoginGroup();
}

Options ParseArguments(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& slot) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                throw std::invalid_argument(a + " needs a value\n" + UsageText());
            slot = args[++i];
        };
        if (a == "--user")
            value(o.User);
        else if (a == "--group")
            value(o.Group);
        else if (a == "--module")
            value(o.ModulePath);
        else if (a == "--db")
            value(o.DbPath);
        else if (a == "--script")
            value(o.ScriptPath);
        else if (a == "--screenshot")
            value(o.ScreenshotPath);
        else if (a == "--demo")
            o.Demo = true;
        else if (a == "--max-request-mb") {
            std::string n;
            value(n);
            const auto [end, err] = std::from_chars(n.data(), n.data() + n.size(), o.MaxRequestMb);
            if (err != std::errc() || end != n.data() + n.size() || o.MaxRequestMb < 1 ||
                o.MaxRequestMb > 100000)
                throw std::invalid_argument("--max-request-mb needs a whole number from 1 to 100000\n" +
                                            UsageText());
        } else if (a == "--no-search") {
            o.NoSearch = true;
        } else if (const std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            // Not echoed whole: --db=URI may carry a password.
            throw std::invalid_argument("unknown option " + a.substr(0, eq) +
                                        "=…: give the value after a blank (" + a.substr(0, eq) + " VALUE)\n" +
                                        UsageText());
        } else
            throw std::invalid_argument("unknown option " + a + "\n" + UsageText());
    }
    o.UserNamed = !o.User.empty();
    o.GroupNamed = !o.Group.empty();
    return o;
}

std::string Origin(const Options& o, std::string_view key) {
    if (o.FromSettings.count(std::string(key)))
        return "设置文件“" + o.SettingsFile + "”中的 " + std::string(key);
    return "--" + std::string(key);
}

std::string LoginName() {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    return "user";
}

std::string LoginGroup() {
    if (const passwd* pw = getpwuid(getuid()))
        if (const group* gr = getgrgid(pw->pw_gid); gr && gr->gr_name) return gr->gr_name;
    return "users";
}

} // namespace qm::host
