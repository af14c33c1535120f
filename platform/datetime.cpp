// Dates as days since 1899-12-30 with the time of day as the fraction; the settable clock.
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <stdexcept>

#include "platform/platform.h"

namespace qm {
namespace {

constexpr double kMSecsPerDay = 86400000.0;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool ValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}
bool ValidTime(int h, int n, int s, int ms) {
    return h >= 0 && h < 24 && n >= 0 && n < 60 && s >= 0 && s < 60 && ms >= 0 && ms < 1000;
}

double DateValue(int y, int m, int d) {
    return static_cast<double>(DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) -
                               kEpochDays);
}
double TimeValue(int h, int n, int s, int ms) {
    return (((h * 60.0 + n) * 60.0 + s) * 1000.0 + ms) / kMSecsPerDay;
}

std::optional<TDateTime> gFixedNow;

} // namespace

TDateTime EncodeDate(int year, int month, int day) {
    if (!ValidDate(year, month, day)) throw std::invalid_argument("Invalid argument to date encode");
    return TDateTime(DateValue(year, month, day));
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (!ValidTime(hour, minute, second, msec))
        throw std::invalid_argument("Invalid argument to time encode");
    return TDateTime(TimeValue(hour, minute, second, msec));
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& out) {
    if (!ValidDate(year, month, day) || !ValidTime(hour, minute, second, msec)) return false;
    const double date = DateValue(year, month, day);
    const double time = TimeValue(hour, minute, second, msec);
    // Before the epoch the time still counts forward from midnight: -1.25 is 1899-12-29 06:00.
    out = TDateTime(date < 0 ? date - time : date + time);
    return true;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    TDateTime out;
    if (!TryEncodeDateTime(year, month, day, hour, minute, second, msec, out))
        throw std::invalid_argument("Invalid argument to date encode");
    return out;
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec) {
    double whole = std::trunc(dt.Value);
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(dt.Value - whole) * kMSecsPerDay));
    if (ms >= static_cast<std::int64_t>(kMSecsPerDay)) { // rounded up to the next midnight
        if (dt.Value >= 0) {
            whole += 1;
            ms = 0;
        } else {
            ms = static_cast<std::int64_t>(kMSecsPerDay) - 1;
        }
    }
    CivilFromDays(static_cast<std::int64_t>(whole) + kEpochDays, year, month, day);
    msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    second = static_cast<int>(ms % 60);
    ms /= 60;
    minute = static_cast<int>(ms % 60);
    hour = static_cast<int>(ms / 60);
}

TDateTime DateOf(TDateTime dt) {
    return TDateTime(std::trunc(dt.Value));
}
TDateTime TimeOf(TDateTime dt) {
    return TDateTime(std::fabs(dt.Value - std::trunc(dt.Value)));
}

std::string FormatDateTime(std::string_view format, TDateTime dt) {
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    auto pad = [](int v, int width) {
        std::string t = std::to_string(v);
        return t.size() < static_cast<std::size_t>(width)
                   ? std::string(static_cast<std::size_t>(width) - t.size(), '0') + t
                   : t;
    };
    std::string out;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        const char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        std::size_t run = 1;
        while (i + run < format.size() && (format[i + run] == c))
            ++run;
        switch (lc) {
        case 'y':
            out += run >= 3 ? pad(y, 4) : pad(y % 100, 2);
            i += run;
            continue;
        case 'z':
            if (run >= 3) {
                out += pad(z, 3);
                i += 3;
            } else {
                out += std::to_string(z);
                i += 1;
            }
            continue;
        case 'm':
        case 'd':
        case 'h':
        case 'n':
        case 's': {
            const int v = lc == 'm' ? m : lc == 'd' ? d : lc == 'h' ? h : lc == 'n' ? n : s;
            const std::size_t used = run >= 2 ? 2 : 1;
            out += pad(v, static_cast<int>(used));
            i += used;
            continue;
        }
        default:
            out += c;
            ++i;
        }
    }
    return out;
}

TDateTime Now() {
    if (gFixedNow) return *gFixedNow;
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&t, &local);
    TDateTime out;
    TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(ms < 0 ? 0 : ms), out);
    return out;
}

void SetNowForTesting(TDateTime fixed) {
    gFixedNow = fixed;
}
void ClearNowForTesting() {
    gFixedNow.reset();
}

} // namespace qm
