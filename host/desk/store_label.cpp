#include "host/desk/store_label.h"

#include <strings.h>

namespace qm::desk {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    const std::size_t n = std::char_traits<char>::length(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

// Drops every "password=..." item from a list separated by `separator`.
std::string DropPasswordItems(const std::string& list, char separator) {
    std::string out;
    std::size_t from = 0;
    while (from <= list.size()) {
        std::size_t end = list.find(separator, from);
        if (end == std::string::npos) end = list.size();
        std::string item = list.substr(from, end - from);
        std::size_t lead = item.find_first_not_of(' ');
        if (lead == std::string::npos || !StartsWith(item.substr(lead), "password")) {
            if (!out.empty() && !item.empty()) out += separator;
            out += item;
        }
        from = end + 1;
    }
    return out;
}

} // namespace

std::string StoreLabel(const std::string& address) {
    if (StartsWith(address, "postgresql://") || StartsWith(address, "postgres://")) {
        const std::size_t scheme = address.find("://") + 3;
        std::string uri = address;
        const std::size_t at = uri.find('@', scheme);
        const std::size_t slash = uri.find('/', scheme);
        if (at != std::string::npos && (slash == std::string::npos || at < slash)) {
            const std::size_t colon = uri.find(':', scheme);
            if (colon != std::string::npos && colon < at) uri.erase(colon, at - colon);
        }
        const std::size_t query = uri.find('?');
        if (query == std::string::npos) return uri;
        const std::string kept = DropPasswordItems(uri.substr(query + 1), '&');
        return uri.substr(0, query) + (kept.empty() ? "" : "?" + kept);
    }
    if (address.find('=') != std::string::npos) {
        // A key=value string: a password may be quoted and hold blanks.
        std::string out;
        std::size_t i = 0;
        while (i < address.size()) {
            while (i < address.size() && address[i] == ' ')
                ++i;
            const std::size_t keyStart = i;
            while (i < address.size() && address[i] != '=' && address[i] != ' ')
                ++i;
            const std::string key = address.substr(keyStart, i - keyStart);
            while (i < address.size() && address[i] == ' ')
                ++i;
            std::size_t valueStart = i;
            if (i < address.size() && address[i] == '=') {
                ++i;
                while (i < address.size() && address[i] == ' ')
                    ++i;
                valueStart = i;
                if (i < address.size() && address[i] == '\'') {
                    for (++i; i < address.size() && address[i] != '\''; ++i)
                        if (address[i] == '\\') ++i;
                    ++i;
                } else {
                    while (i < address.size() && address[i] != ' ')
                        ++i;
                }
            }
            if (key.empty()) continue;
            if (strcasecmp(key.c_str(), "password") == 0) continue;
            if (!out.empty()) out += ' ';
            out += key + "=" + address.substr(valueStart, std::min(i, address.size()) - valueStart);
        }
        return out;
    }
    return address;
}

} // namespace qm::desk
