// Number and date texts with the one set of format settings.
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/platform.h"

namespace qm {
namespace {

// Reads an unsigned decimal run at text[i]; false when there is none or it is longer than max.
bool ReadNumber(std::string_view text, std::size_t& i, int& out, std::size_t minDigits,
                std::size_t maxDigits) {
    std::size_t start = i;
    int v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < maxDigits)
        v = v * 10 + (text[i++] - '0');
    out = v;
    return i - start >= minDigits && (i >= text.size() || text[i] < '0' || text[i] > '9');
}

bool ParseDate(std::string_view text, std::size_t& i, int& y, int& m, int& d) {
    if (!ReadNumber(text, i, y, 4, 4) || i >= text.size()) return false;
    const char sep = text[i];
    if (sep != '-' && sep != '/') return false;
    ++i;
    if (!ReadNumber(text, i, m, 1, 2) || i >= text.size() || text[i] != sep) return false;
    ++i;
    return ReadNumber(text, i, d, 1, 2);
}

bool ParseTime(std::string_view text, std::size_t& i, int& h, int& n, int& s, int& z) {
    s = z = 0;
    if (!ReadNumber(text, i, h, 1, 2) || i >= text.size() || text[i] != ':') return false;
    ++i;
    if (!ReadNumber(text, i, n, 1, 2)) return false;
    if (i < text.size() && text[i] == ':') {
        ++i;
        if (!ReadNumber(text, i, s, 1, 2)) return false;
        if (i < text.size() && text[i] == '.') {
            ++i;
            std::size_t start = i;
            if (!ReadNumber(text, i, z, 1, 3)) return false;
            for (std::size_t k = i - start; k < 3; ++k)
                z *= 10; // ".5" is 500 ms
        }
    }
    return true;
}

} // namespace

const TFormatSettings& FormatSettings() {
    static const TFormatSettings settings;
    return settings;
}

std::string DateToStr(TDateTime dt) {
    return FormatDateTime(FormatSettings().ShortDateFormat, dt);
}
std::string TimeToStr(TDateTime dt) {
    return FormatDateTime(FormatSettings().LongTimeFormat, dt);
}
std::string DateTimeToStr(TDateTime dt) {
    std::string out = DateToStr(dt);
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    if (h || n || s || z) out += ' ' + TimeToStr(dt);
    return out;
}

bool TryStrToDateTime(std::string_view text, TDateTime& out) {
    const std::string t = Trim(text);
    std::string_view v = t;
    std::size_t i = 0;
    int y, m, d, h = 0, n = 0, s = 0, z = 0;
    if (ParseDate(v, i, y, m, d)) {
        if (i < v.size()) {
            if (v[i] != ' ' && v[i] != 'T') return false;
            while (i < v.size() && (v[i] == ' ' || v[i] == 'T'))
                ++i;
            if (!ParseTime(v, i, h, n, s, z) || i != v.size()) return false;
        }
        return TryEncodeDateTime(y, m, d, h, n, s, z, out);
    }
    return TryStrToTime(v, out);
}

bool TryStrToDate(std::string_view text, TDateTime& out) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    int y, m, d;
    if (!ParseDate(t, i, y, m, d) || i != t.size()) return false;
    return TryEncodeDateTime(y, m, d, 0, 0, 0, 0, out);
}

bool TryStrToTime(std::string_view text, TDateTime& out) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    int h, n, s, z;
    if (!ParseTime(t, i, h, n, s, z) || i != t.size()) return false;
    if (h > 23 || n > 59 || s > 59) return false;
    out = EncodeTime(h, n, s, z);
    return true;
}

std::string IntToStr(std::int64_t value) {
    return std::to_string(value);
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    char buf[64];
    const double mag = std::fabs(value);
    if (mag >= 1e-5 && mag < 1e15) {
        auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        return std::string(buf, r.ptr);
    }
    // Very large or small: mantissa and a plain exponent, "1.5E-7".
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string sci(buf, r.ptr);
    const auto e = sci.find('e');
    std::string mant = sci.substr(0, e);
    int exp = std::stoi(sci.substr(e + 1));
    return mant + "E" + std::to_string(exp);
}

bool TryStrToInt64(std::string_view text, std::int64_t& out) {
    if (text.empty()) return false;
    std::size_t start = text[0] == '+' ? 1 : 0;
    if (start == text.size() || (start == 1 && text.size() > 1 && text[1] == '-')) return false;
    std::int64_t v = 0;
    auto r = std::from_chars(text.data() + start, text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
    out = v;
    return true;
}

bool TryStrToInt(std::string_view text, std::int32_t& out) {
    std::int64_t v;
    if (!TryStrToInt64(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

bool TryStrToFloat(std::string_view text, double& out) {
    if (text.empty()) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    std::size_t start = text[0] == '+' ? 1 : 0;
    if (start == text.size() || text[start] == '+' || (start == 1 && text[1] == '-')) return false;
    double v = 0;
    auto r = std::from_chars(text.data() + start, text.data() + text.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
    out = v;
    return true;
}

} // namespace qm
