#include <gtest/gtest.h>

#include <cmath>

#include "platform/platform.h"

namespace qm {
namespace {

TEST(Formats, DateTexts) {
    const TDateTime d = EncodeDate(2024, 3, 5);
    EXPECT_EQ(DateToStr(d), "2024-03-05");
    EXPECT_EQ(DateTimeToStr(d), "2024-03-05");
    const TDateTime dt = EncodeDateTime(2024, 3, 5, 14, 0, 1);
    EXPECT_EQ(TimeToStr(dt), "14:00:01");
    EXPECT_EQ(DateTimeToStr(dt), "2024-03-05 14:00:01");
}

TEST(Formats, ParsingDatesAndTimes) {
    struct Case {
        const char* text;
        bool ok;
        int y, m, d, h, n, s, z;
    } cases[] = {
        {"2024-03-05", true, 2024, 3, 5, 0, 0, 0, 0},
        {"2024/3/5", true, 2024, 3, 5, 0, 0, 0, 0},
        {" 2024-03-05 14:30 ", true, 2024, 3, 5, 14, 30, 0, 0},
        {"2024-03-05 14:30:15.5", true, 2024, 3, 5, 14, 30, 15, 500},
        {"2024-02-30", false},
        {"2024-03", false},
        {"2024-03-05x", false},
        {"2024-03/05", false},
        {"", false},
        {"abc", false},
        {"2024-03-05 25:00", false},
    };
    for (const auto& c : cases) {
        TDateTime out;
        ASSERT_EQ(TryStrToDateTime(c.text, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s, c.z)) << c.text;
        }
    }
    TDateTime t;
    EXPECT_TRUE(TryStrToTime("08:05", t));
    EXPECT_EQ(t, EncodeTime(8, 5, 0, 0));
    EXPECT_FALSE(TryStrToDate("2024-03-05 08:05", t));
    EXPECT_FALSE(TryStrToTime("8", t));
}

TEST(Formats, FloatToStrIsShortestRoundTrip) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {{12.5, "12.5"},   {1000, "1000"},     {0.1, "0.1"},
                 {-3.25, "-3.25"}, {0, "0"},           {-0.0, "0"},
                 {1e20, "1E20"},   {1.5e-7, "1.5E-7"}, {123456789012345.0, "123456789012345"},
                 {0.3, "0.3"}};
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
    for (double v : {0.1 + 0.2, 1.0 / 3, 2.5e-300, 12345.678}) {
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(FloatToStr(v), back)) << FloatToStr(v);
        EXPECT_EQ(back, v);
    }
}

TEST(Formats, IntegerParsingTakesTheWholeText) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {{"0", true, 0},           {"-12", true, -12},
                 {"+7", true, 7},          {"2147483647", true, 2147483647},
                 {"2147483648", false, 0}, {"-2147483648", true, INT32_MIN},
                 {"", false, 0},           {" 1", false, 0},
                 {"1 ", false, 0},         {"1.0", false, 0},
                 {"+-1", false, 0},        {"-", false, 0},
                 {"0x10", false, 0}};
    for (const auto& c : cases) {
        std::int32_t v = 99;
        ASSERT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
    std::int64_t big = 0;
    EXPECT_TRUE(TryStrToInt64("9000000000", big));
    EXPECT_EQ(big, 9000000000LL);
    EXPECT_EQ(IntToStr(-42), "-42");
}

TEST(Formats, FloatParsing) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {{"12.5", true, 12.5}, {"-0.5", true, -0.5}, {"+3", true, 3},   {"1e3", true, 1000},
                 {"", false, 0},       {"1,5", false, 0},    {"inf", false, 0}, {"nan", false, 0},
                 {"1.5x", false, 0},   {" 1", false, 0},     {"+-1", false, 0}};
    for (const auto& c : cases) {
        double v = 0;
        ASSERT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

} // namespace
} // namespace qm
