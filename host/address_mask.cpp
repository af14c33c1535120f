#include "host/address_mask.h"

#include "host/store/server_address.h"
#include "platform/platform.h"

#include <algorithm>
#include <cctype>

namespace qm::host {

namespace {

constexpr char kMask[] = "****";

bool IsPasswordKey(std::string_view key) {
    return SameText(key, "password") || SameText(key, "sslpassword");
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// A span of the address that holds a password: [Begin, End).
struct Span {
    std::size_t Begin, End;
};

bool IsUri(std::string_view a) {
    return a.rfind("postgresql://", 0) == 0 || a.rfind("postgres://", 0) == 0;
}

std::vector<Span> UriSpans(std::string_view a) {
    std::vector<Span> spans;
    const std::size_t start = a.find("://") + 3;
    // user:password@host: up to the last '@' before the query, since a password may hold an
    // unencoded '@' or '/'. A port taken for one is masked too, which costs nothing.
    const std::size_t query = a.find('?', start);
    const std::size_t at = a.substr(0, query).rfind('@');
    if (at != std::string_view::npos && at >= start) {
        const std::size_t colon = a.find(':', start);
        if (colon != std::string_view::npos && colon < at) spans.push_back({colon + 1, at});
    }
    for (std::size_t p = query; p != std::string_view::npos && p < a.size();) {
        const std::size_t begin = p + 1;
        const std::size_t end = std::min(a.find('&', begin), a.size());
        const std::size_t eq = a.find('=', begin);
        if (eq != std::string_view::npos && eq < end && IsPasswordKey(a.substr(begin, eq - begin)))
            spans.push_back({eq + 1, end});
        p = end < a.size() ? end : std::string_view::npos;
    }
    return spans;
}

// key = value pairs; a value is a word, or quoted in '' with backslash escapes.
std::vector<Span> KeywordSpans(std::string_view a) {
    std::vector<Span> spans;
    std::size_t i = 0;
    auto blanks = [&] {
        while (i < a.size() && std::isspace(static_cast<unsigned char>(a[i])))
            ++i;
    };
    while (i < a.size()) {
        blanks();
        const std::size_t keyBegin = i;
        while (i < a.size() && a[i] != '=' && !std::isspace(static_cast<unsigned char>(a[i])))
            ++i;
        const std::string_view key = a.substr(keyBegin, i - keyBegin);
        blanks();
        if (i >= a.size() || a[i] != '=') {
            ++i;
            continue;
        }
        ++i;
        blanks();
        const std::size_t valueBegin = i;
        if (i < a.size() && a[i] == '\'') {
            for (++i; i < a.size() && a[i] != '\''; ++i)
                if (a[i] == '\\') ++i;
            i = std::min(i + 1, a.size());
        } else {
            while (i < a.size() && !std::isspace(static_cast<unsigned char>(a[i])))
                ++i;
        }
        if (IsPasswordKey(key)) spans.push_back({valueBegin, i});
    }
    return spans;
}

std::vector<Span> Spans(std::string_view a) {
    if (IsUri(a)) return UriSpans(a);
    if (IsServerAddress(a)) return KeywordSpans(a);
    return {};
}

std::string Unescaped(std::string_view quoted) {
    if (quoted.size() < 2 || quoted.front() != '\'') return std::string(quoted);
    std::string out;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\') ++i;
        if (i + 1 < quoted.size()) out += quoted[i];
    }
    return out;
}

void ReplaceAll(std::string& text, const std::string& what) {
    if (what.empty()) return;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + sizeof kMask - 1))
        text.replace(p, what.size(), kMask);
}

} // namespace

std::vector<std::string> AddressSecrets(std::string_view address) {
    std::vector<std::string> secrets;
    for (const Span& s : Spans(address)) {
        const std::string_view raw = address.substr(s.Begin, s.End - s.Begin);
        if (raw.empty()) continue;
        secrets.emplace_back(raw);
        secrets.push_back(IsUri(address) ? PercentDecoded(raw) : Unescaped(raw));
    }
    // The longest first, so that no part of a longer secret is left after a shorter one is masked.
    std::sort(secrets.begin(), secrets.end(), [](const auto& x, const auto& y) {
        return x.size() != y.size() ? x.size() > y.size() : x < y;
    });
    secrets.erase(std::unique(secrets.begin(), secrets.end()), secrets.end());
    secrets.erase(std::remove(secrets.begin(), secrets.end(), std::string()), secrets.end());
    return secrets;
}

std::string MaskedAddress(std::string_view address) {
    std::string out(address);
    const std::vector<Span> spans = Spans(address);
    // From the end, so that earlier positions stay valid.
    for (auto it = spans.rbegin(); it != spans.rend(); ++it)
        if (it->End > it->Begin) out.replace(it->Begin, it->End - it->Begin, kMask);
    return out;
}

std::string MaskSecrets(std::string text, std::string_view address) {
    const std::string masked = MaskedAddress(address);
    if (!address.empty()) {
        for (std::size_t p = text.find(address); p != std::string::npos;
             p = text.find(address, p + masked.size()))
            text.replace(p, address.size(), masked);
    }
    for (const std::string& secret : AddressSecrets(address))
        ReplaceAll(text, secret);
    return text;
}

} // namespace qm::host
