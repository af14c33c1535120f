#include "host/options.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <stdexcept>

namespace qm::host {

std::string UsageText() {
    return "usage: qmhost [--user NAME] [--group NAME] [--module PATH] [--db PATH] [--demo]\n"
           "              [--script FILE] [--screenshot FILE.png] [--max-request-mb N]\n";
}

Options ParseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& slot) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                throw std::invalid_argument(a + " needs a value\n" + UsageText());
            slot = args[++i];
        };
        if (a == "--user") value(o.User);
        else if (a == "--group") value(o.Group);
        else if (a == "--module") value(o.ModulePath);
        else if (a == "--db") value(o.DbPath);
        else if (a == "--script") value(o.ScriptPath);
        else if (a == "--screenshot") value(o.ScreenshotPath);
        else if (a == "--demo") o.Demo = true;
        else if (a == "--max-request-mb") {
            std::string n;
            value(n);
            const auto [end, err] = std::from_chars(n.data(), n.data() + n.size(), o.MaxRequestMb);
            if (err != std::errc() || end != n.data() + n.size() || o.MaxRequestMb < 1 || o.MaxRequestMb > 100000)
                throw std::invalid_argument("--max-request-mb needs a whole number from 1 to 100000\n" + UsageText());
        } else throw std::invalid_argument("unknown option " + a + "\n" + UsageText());
    }
    if (o.User.empty()) o.User = LoginName();
    if (o.Group.empty()) o.Group = LoginGroup();
    return o;
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

}  // namespace qm::host
