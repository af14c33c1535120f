#include "host/desk/cell_values.h"

#include <charconv>

namespace qm::desk {

namespace {

bool Digits(std::string_view text, std::size_t from, std::size_t count, int& out) {
    if (from + count > text.size()) return false;
    out = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

bool LeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

} // namespace

bool ReadNumber(std::string_view text, double& out) {
    if (text.empty()) return false;
    const std::size_t digitsAt = text.front() == '-' ? 1 : 0;
    // Starts with a digit: no "inf", "nan", ".5" or a lone sign.
    if (text.size() <= digitsAt || text[digitsAt] < '0' || text[digitsAt] > '9') return false;
    // A leading zero before another digit marks a code, not a quantity.
    if (text.size() > digitsAt + 1 && text[digitsAt] == '0' && text[digitsAt + 1] >= '0' &&
        text[digitsAt + 1] <= '9')
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out, std::chars_format::general);
    return ec == std::errc() && ptr == end;
}

bool ReadDate(std::string_view text, DateTimeParts& out) {
    DateTimeParts d;
    if (text.size() != 10 && text.size() != 16 && text.size() != 19) return false;
    if (!Digits(text, 0, 4, d.Year) || text[4] != '-' || !Digits(text, 5, 2, d.Month) || text[7] != '-' ||
        !Digits(text, 8, 2, d.Day))
        return false;
    if (d.Year < 1900 || d.Month < 1 || d.Month > 12 || d.Day < 1 || d.Day > DaysInMonth(d.Year, d.Month))
        return false;
    if (text.size() > 10) {
        int second = 0;
        if (text[10] != ' ' || !Digits(text, 11, 2, d.Hour) || text[13] != ':' ||
            !Digits(text, 14, 2, d.Minute))
            return false;
        if (text.size() == 19 && (text[16] != ':' || !Digits(text, 17, 2, second))) return false;
        if (d.Hour > 23 || d.Minute > 59 || second > 59) return false;
        d.Second = second;
    }
    out = d;
    return true;
}

ColumnKind InferKind(bool alignedRight, const std::vector<std::string>& samples) {
    bool numbers = alignedRight, dates = true, any = false;
    for (const std::string& s : samples) {
        if (s.empty()) continue;
        any = true;
        double n = 0;
        DateTimeParts d;
        if (numbers && !ReadNumber(s, n)) numbers = false;
        if (dates && !ReadDate(s, d)) dates = false;
    }
    if (!any) return ColumnKind::Text;
    if (numbers) return ColumnKind::Number;
    return dates ? ColumnKind::Date : ColumnKind::Text;
}

} // namespace qm::desk
