// Numbers in reports: field texts as numbers (or 0), the general format and fixed-2, with an
// exact half rounding away from zero.
#include "qcreport/QcNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace {

using namespace morvane::qcreport;

TEST(NumberOrZero, ReadsDecimalNumbersAndCountsEverythingElseAsZero) {
    struct Case {
        const char* text;
        long double value;
    };
    const Case cases[] = {
        {"12", 12},   {" 12", 12},  {"12 ", 12},   {"-3.5", -3.5L},   {"+2", 2},
        {".5", 0.5L}, {"5.", 5},    {"1E3", 1000}, {"2.5e-1", 0.25L}, {"0", 0},
        {"", 0},      {" ", 0},     {"12,5", 0},   {"nan", 0},        {"NAN", 0},
        {"inf", 0},   {"-INF", 0},  {"1e", 0},     {"e5", 0},         {"abc", 0},
        {"0x10", 0},  {"1 2", 0},   {"--1", 0},    {".", 0},          {"1e99999", 0},
        {"\t12", 0},  {"12abc", 0}, {"90", 90},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberOrZero(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(NumberOrZero, ExtendedRangeHoldsValuesBeyondDouble) {
    long double big = NumberOrZero("1e999");
    EXPECT_TRUE(std::isfinite(big));
    EXPECT_GT(big, 1e998L);
    EXPECT_EQ(FormatGeneral(big), "1E999");
}

TEST(FormatGeneral, FifteenSignificantDigitsAndScientificCases) {
    struct Case {
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {10, "10"},
        {12.5L, "12.5"},
        {172.5L, "172.5"},
        {-5, "-5"},
        {-0.125L, "-0.125"},
        {1e20L, "1E20"},
        {1e-5L, "1E-5"},
        {1.5e-5L, "1.5E-5"},
        {0.0001L, "0.0001"},
        {1e15L, "1E15"},
        {999999999999999.0L, "999999999999999"},
        {123456789012345678.0L, "1.23456789012346E17"},
        {0.1L + 0.2L, "0.3"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {1.000000000000005L, "1.00000000000001"},
        {-1.000000000000005L, "-1.00000000000001"},
        {9.9999999999999999L, "10"},
        {-0.0L, "0"},
        {250.0L + 172.5L, "422.5"},
        // Whole sixteenths with more than 15 significant digits are rounded like any value.
        {123456789012.0625L, "123456789012.063"},
        {99999999999999.9375L, "99999999999999.9"},
        {-0.0625L, "-0.0625"},
        {999999999999999.5L, "1E15"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatGeneral(c.value), c.text) << c.text;
    }
    EXPECT_EQ(FormatGeneral(INFINITY), "INF");
    EXPECT_EQ(FormatGeneral(-INFINITY), "-INF");
    EXPECT_EQ(FormatGeneral(NAN), "NAN");
}

TEST(FormatGeneral, WholeSixteenthsAreTheirExactDecimals) {
    // Against the C library's exact printing of the same values, trimmed: a score total is
    // usually a sum of halves or quarters, of any size up to fifteen digits.
    std::mt19937_64 random(1321);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + i % 11; // whole part of up to 11 digits, 4 decimals at most
        std::uint64_t limit = 16;
        for (int d = 0; d < digits; ++d) {
            limit *= 10;
        }
        const auto sixteenths = static_cast<long long>(random() % limit);
        const long double value = (i % 2 == 0 ? 1 : -1) * static_cast<long double>(sixteenths) / 16;
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.4Lf", value);
        std::string expected = printed;
        while (expected.back() == '0') {
            expected.pop_back();
        }
        if (expected.back() == '.') {
            expected.pop_back();
        }
        if (expected == "-0" || expected == "0") {
            expected = "0";
        }
        ASSERT_EQ(FormatGeneral(value), expected) << printed;
    }
}

TEST(FormatFixed2, TwoDecimalsHalfAwayFromZero) {
    struct Case {
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {85, "85.00"},
        {-5, "-5.00"},
        {80.125L, "80.13"},
        {-0.125L, "-0.13"},
        {0, "0.00"},
        {0.004L, "0.00"},
        {0.005L, "0.01"},
        {-0.001L, "0.00"},
        {65, "65.00"},
        {2.675L, "2.68"},
        {1234567.891L, "1234567.89"},
        {0.995L, "1.00"},
        {99.995L, "100.00"},
        {80, "80.00"},
        {1e20L, "100000000000000000000.00"},
        {(90.0L + 80 + 70) / 3, "80.00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFixed2(c.value), c.text) << c.text;
    }
    EXPECT_EQ(FormatFixed2(INFINITY), "INF");
}

} // namespace
