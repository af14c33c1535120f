#include "host/settings.h"

#include "host/store/server_address.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace qm::host {

namespace fs = std::filesystem;

namespace {

constexpr const char* kKeys[] = {"db", "user", "group"};

// A value in double quotes, as other ini writers leave it, loses them and its escapes.
std::string Unquote(const std::string& v) {
    if (v.size() < 2 || v.front() != '"' || v.back() != '"') return v;
    std::string out;
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '\\' && i + 2 < v.size()) ++i;
        out += v[i];
    }
    return out;
}

std::string Quote(const std::string& v) {
    const bool plain =
        !v.empty() && v == Trim(v) && v.front() != '"' && v.find_first_of("\n\r") == std::string::npos;
    if (plain) return v;
    std::string out = "\"";
    for (char c : v) {
        if (c == '\n' || c == '\r') continue;
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool IsSection(const std::string& line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

bool IsGeneral(const std::string& line) {
    return LowerCase(Trim(std::string_view(line).substr(1, line.size() - 2))) == "general";
}

bool IsComment(const std::string& line) {
    return line.empty() || line.front() == ';' || line.front() == '#';
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Home() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

// A server address is used as written; a file path is made independent of the working folder.
std::string ResolveDb(const std::string& value, const std::string& settingsFile) {
    if (IsServerAddress(value)) return value;
    if (value == "~") return Home();
    if (value.rfind("~/", 0) == 0) return Home() + value.substr(1);
    const fs::path p(value);
    if (p.is_absolute()) return value;
    return (fs::path(settingsFile).parent_path() / p).lexically_normal().string();
}

} // namespace

std::string SettingsPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string base = xdg && xdg[0] == '/' ? std::string(xdg) : Home() + "/.config";
    return base + "/qmclient/qmhost.conf";
}

void ApplySettings(Options& o, const std::string& path) {
    o.SettingsFile = path; // also where a first start keeps what it asked for
    std::error_code ec;
    if (!fs::exists(path, ec)) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        o.Notes.push_back("无法读取设置文件“" + path + "”：" + std::strerror(errno));
        return;
    }
    const std::string file = "设置文件“" + path + "”";
    std::string values[std::size(kKeys)];
    bool general = true;
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        const std::string line = Trim(raw);
        if (IsComment(line)) continue;
        if (IsSection(line)) {
            general = IsGeneral(line);
            if (!general)
                o.Notes.push_back(file + "第 " + std::to_string(number) + " 行的节“" + line +
                                  "”未知，已忽略");
            continue;
        }
        if (!general) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            o.Notes.push_back(file + "第 " + std::to_string(number) + " 行不是“键=值”的形式，已忽略");
            continue;
        }
        const std::string key = LowerCase(Trim(std::string_view(line).substr(0, eq)));
        const auto known =
            std::find_if(std::begin(kKeys), std::end(kKeys), [&](const char* k) { return key == k; });
        if (known == std::end(kKeys)) {
            o.Notes.push_back(file + "第 " + std::to_string(number) + " 行的键“" +
                              Trim(std::string_view(line).substr(0, eq)) +
                              "”未知（可用 db、user、group），已忽略");
            continue;
        }
        values[known - std::begin(kKeys)] = Unquote(Trim(std::string_view(line).substr(eq + 1)));
    }
    auto fill = [&](std::string& slot, int index) {
        const std::string& value = values[index];
        if (!slot.empty() || value.empty()) return false;
        slot = value;
        o.FromSettings.insert(kKeys[index]);
        return true;
    };
    if (fill(o.DbPath, 0)) o.DbPath = ResolveDb(o.DbPath, path);
    if (fill(o.User, 1)) o.UserNamed = true;
    if (fill(o.Group, 2)) o.GroupNamed = true;
}

bool StoreSetting(const std::string& path, const std::string& key, const std::string& value,
                  std::string& why) {
    std::vector<std::string> lines = ReadLines(path);
    const std::string entry = key + "=" + Quote(value);
    // The key's line where it stands, else the first line of the [General] section.
    bool general = true, done = false;
    std::ptrdiff_t header = -1;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string line = Trim(lines[i]);
        if (IsSection(line)) {
            general = IsGeneral(line);
            if (general && header < 0) header = static_cast<std::ptrdiff_t>(i);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (general && !IsComment(line) && eq != std::string::npos &&
            LowerCase(Trim(std::string_view(line).substr(0, eq))) == LowerCase(key)) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done && header >= 0)
        lines.insert(lines.begin() + header + 1, entry);
    else if (!done)
        lines.insert(lines.begin(), {"[General]", entry});
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    // A new file beside the old one, then renamed over it: a crash leaves one or the other whole.
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        out.flush();
        if (!out) {
            why = "无法写入设置文件“" + path + "”：" + std::strerror(errno);
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, path, ec);
    if (ec) {
        why = "无法写入设置文件“" + path + "”：" + ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace qm::host
