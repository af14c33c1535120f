#include "host/store/values.h"

#include "host/store/response.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace qm::host {

namespace {

bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int& out) {
    if (pos + count > text.size()) return false;
    out = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

bool ParseInteger(std::string_view text, std::int64_t& out) {
    std::string s(text);
    if (s.empty()) return false;
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    for (std::size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    errno = 0;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE) return false;
    out = v;
    return true;
}

bool ParseNumber(std::string_view text, double& out) {
    std::string s(text);
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && errno != ERANGE;
}

std::string Quoted(const Column& column, std::string_view text) {
    return ColumnSubject(column) + " 的值“" + Excerpt(text) + "”";
}

bool ValidDate(int y, int mo, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return y >= 1 && mo >= 1 && mo <= 12 && d >= 1 && d <= days[mo - 1] + (mo == 2 && leap ? 1 : 0);
}

} // namespace

std::size_t Utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

bool NormaliseDateText(std::string_view text, std::string& out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (text.size() < 10 || !ReadDigits(text, 0, 4, y) || text[4] != '-' || !ReadDigits(text, 5, 2, mo) ||
        text[7] != '-' || !ReadDigits(text, 8, 2, d))
        return false;
    if (text.size() > 10) {
        if (text[10] != ' ' || text.size() < 16 || !ReadDigits(text, 11, 2, h) || text[13] != ':' ||
            !ReadDigits(text, 14, 2, mi))
            return false;
        if (text.size() > 16 && (text.size() != 19 || text[16] != ':' || !ReadDigits(text, 17, 2, s)))
            return false;
    }
    if (!ValidDate(y, mo, d)) return false;
    if (h > 23 || mi > 59 || s > 59) return false;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    out = buf;
    return true;
}

std::size_t MaxChars(const Column& column) {
    return column.Size > 0 ? static_cast<std::size_t>(column.Size) : std::string_view::npos - 1;
}

bool FitsColumn(const Column& column, std::string_view text) {
    if (column.Kind == ColumnKind::Text) return CleanLength(text) <= MaxChars(column);
    // A search checks every value: the common shapes are checked here without building anything.
    if (column.Kind == ColumnKind::Integer && !text.empty()) {
        const std::size_t sign = text[0] == '-' || text[0] == '+' ? 1 : 0;
        const std::size_t digits = text.size() - sign;
        bool plain = digits > 0 && digits <= 18;
        for (std::size_t i = sign; plain && i < text.size(); ++i)
            plain = text[i] >= '0' && text[i] <= '9';
        if (plain) return column.Size <= 0 || digits <= static_cast<std::size_t>(column.Size);
    }
    if (column.Kind == ColumnKind::Date && text.size() == 19) {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
        if (ReadDigits(text, 0, 4, y) && text[4] == '-' && ReadDigits(text, 5, 2, mo) && text[7] == '-' &&
            ReadDigits(text, 8, 2, d) && text[10] == ' ' && ReadDigits(text, 11, 2, h) && text[13] == ':' &&
            ReadDigits(text, 14, 2, mi) && text[16] == ':' && ReadDigits(text, 17, 2, sec))
            return ValidDate(y, mo, d) && h <= 23 && mi <= 59 && sec <= 59;
    }
    BoundValue ignored;
    return ConvertValue(column, text, ignored).empty();
}

std::string NowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

std::string ConvertValue(const Column& column, std::string_view text, BoundValue& out) {
    if (text.empty()) {
        out = std::monostate{};
        return {};
    }
    switch (column.Kind) {
    case ColumnKind::Integer: {
        std::int64_t v = 0;
        if (!ParseInteger(text, v)) return Quoted(column, text) + "不是整数";
        const std::size_t digits = text.size() - ((text[0] == '-' || text[0] == '+') ? 1 : 0);
        if (column.Size > 0 && digits > static_cast<std::size_t>(column.Size))
            return Quoted(column, text) + "超过 " + std::to_string(column.Size) + " 位";
        out = v;
        return {};
    }
    case ColumnKind::Number: {
        double v = 0;
        if (!ParseNumber(text, v)) return Quoted(column, text) + "不是数字";
        // The column holds Size digits, Scale of them after the point; nothing is cut or rounded.
        const int whole = column.Size - column.Scale;
        if (column.Size > 0 && std::fabs(v) >= std::pow(10.0, whole))
            return Quoted(column, text) + "超过 " + std::to_string(whole) + " 位整数";
        const double scaled = v * std::pow(10.0, column.Scale);
        if (std::fabs(scaled - std::round(scaled)) > 1e-6 * std::max(1.0, std::fabs(scaled)))
            return Quoted(column, text) + "超过 " + std::to_string(column.Scale) + " 位小数";
        out = v;
        return {};
    }
    case ColumnKind::Date: {
        std::string normal;
        if (!NormaliseDateText(text, normal)) return Quoted(column, text) + "不是有效日期";
        out = std::move(normal);
        return {};
    }
    case ColumnKind::Text:
        if (column.Size > 0 && Utf8Length(text) > static_cast<std::size_t>(column.Size))
            return Quoted(column, text) + "超过 " + std::to_string(column.Size) + " 个字符";
        out = std::string(text);
        return {};
    }
    return {};
}

} // namespace qm::host
