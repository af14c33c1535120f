#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/platform.h"

namespace qm {
namespace {

TEST(DateTime, KnownSerialNumbers) {
    struct Case {
        int y, m, d;
        double serial;
    } cases[] = {
        {1899, 12, 30, 0},   {1899, 12, 31, 1},   {1900, 1, 1, 2},
        {1899, 12, 29, -1},  {2000, 1, 1, 36526}, {2000, 2, 29, 36585},
        {2024, 3, 1, 45352}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d).Value, c.serial) << c.y << "-" << c.m << "-" << c.d;
        int y, m, d, h, n, s, z;
        DecodeDateTime(TDateTime(c.serial), y, m, d, h, n, s, z);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST(DateTime, InvalidPartsAreRefused) {
    struct Case {
        int y, m, d, h, n, s, z;
    } cases[] = {{2023, 2, 29, 0, 0, 0, 0}, {1900, 2, 29, 0, 0, 0, 0},  {2024, 13, 1, 0, 0, 0, 0},
                 {2024, 1, 0, 0, 0, 0, 0},  {0, 1, 1, 0, 0, 0, 0},      {2024, 1, 1, 24, 0, 0, 0},
                 {2024, 1, 1, 0, 60, 0, 0}, {2024, 1, 1, 0, 0, 0, 1000}};
    for (const auto& c : cases) {
        TDateTime out;
        EXPECT_FALSE(TryEncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.z, out));
        EXPECT_THROW(EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.z), std::invalid_argument);
    }
}

TEST(DateTime, RoundTripWithTime) {
    struct Case {
        int y, m, d, h, n, s, z;
    } cases[] = {{2024, 5, 17, 13, 45, 30, 250},
                 {1899, 12, 29, 6, 0, 0, 0},
                 {1850, 7, 1, 23, 59, 59, 999},
                 {2000, 1, 1, 0, 0, 0, 1}};
    for (const auto& c : cases) {
        const TDateTime dt = EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.z);
        int y, m, d, h, n, s, z;
        DecodeDateTime(dt, y, m, d, h, n, s, z);
        EXPECT_EQ((std::array{y, m, d, h, n, s, z}), (std::array{c.y, c.m, c.d, c.h, c.n, c.s, c.z}));
    }
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0).Value, -1.25);
    EXPECT_DOUBLE_EQ(TimeOf(TDateTime(-1.25)).Value, 0.25);
    EXPECT_DOUBLE_EQ(DateOf(TDateTime(45352.75)).Value, 45352);
}

TEST(DateTime, FormatLetters) {
    const TDateTime dt = EncodeDateTime(2024, 3, 5, 7, 8, 9, 45);
    struct Case {
        const char* format;
        const char* text;
    } cases[] = {
        {"yyyy-mm-dd", "2024-03-05"},
        {"yy/m/d", "24/3/5"},
        {"hh:nn:ss.zzz", "07:08:09.045"},
        {"h:n:s", "7:8:9"},
        {"YYYY-MM-DD", "2024-03-05"},
        {"[yyyy]", "[2024]"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, dt), c.text) << c.format;
}

TEST(DateTime, ClockCanBeFixedByTests) {
    const TDateTime fixed = EncodeDateTime(2024, 1, 2, 3, 4, 5);
    SetNowForTesting(fixed);
    EXPECT_EQ(Now(), fixed);
    ClearNowForTesting();
    EXPECT_GT(Now().Value, EncodeDate(2020, 1, 1).Value);
}

} // namespace
} // namespace qm
