// Decimal text: number pictures, the plain conversion with its sign blank, and reading numbers
// back from text.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "platform/Text.h"

namespace qb::platform {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FormatCase {
    double value;
    const char* picture;
    const char* expected;
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, ShowsValueThroughPicture) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(Format(c.value, c.picture), c.expected) << c.value << " with \"" << c.picture << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormatTest,
    ::testing::Values(
        // Optional digits and trailing decimals.
        FormatCase{12.5, "####.##", "12.5"}, FormatCase{500, "####.##", "500"},
        FormatCase{4999.999, "####.##", "5000"}, FormatCase{12.345, "####.##", "12.35"},
        FormatCase{0.5, "####.##", ".5"}, FormatCase{2.5, "0.####", "2.5"},
        FormatCase{2, "0.####", "2"}, FormatCase{152.587890625, "0.####", "152.5879"},
        FormatCase{2.384185791015625, "0.####", "2.3842"}, FormatCase{0.99999, "0.####", "1"},
        FormatCase{0.00004, "0.####", "0"}, FormatCase{5, "0.", "5"},
        // Forced decimals, with and without the zero before the point.
        FormatCase{2.3842, "0.000", "2.384"}, FormatCase{0.5, "#.000", ".500"},
        FormatCase{-0.5, "#.000", "-.500"}, FormatCase{1.5, "#.000", "1.500"},
        FormatCase{-1234.5, "#.000", "-1234.500"}, FormatCase{0.5, ".00", ".50"},
        FormatCase{12.5, ".00", "12.50"}, FormatCase{3.14159, "0.00", "3.14"},
        FormatCase{-2.3842, "0.000", "-2.384"}, FormatCase{1.5, "#0#.0#0", "01.500"},
        FormatCase{123.456, "#0#.0#0", "123.456"},
        // Whole numbers, zero padding, integer digits never cut off.
        FormatCase{2, "000", "002"}, FormatCase{8388608, "00000000", "08388608"},
        FormatCase{123456789, "00000000", "123456789"}, FormatCase{12345, "###", "12345"},
        FormatCase{167772.16, "######", "167772"}, FormatCase{1234567.891, "0", "1234568"},
        FormatCase{-2147483648.0, "0", "-2147483648"}, FormatCase{3.14159, "#", "3"},
        // Ties go away from zero on the shortest decimal text, not on the binary value.
        FormatCase{0.0005, "0.000", "0.001"}, FormatCase{-0.0005, "0.000", "-0.001"},
        FormatCase{2.675, "0.00", "2.68"}, FormatCase{1.005, "0.00", "1.01"},
        FormatCase{0.125, "0.00", "0.13"}, FormatCase{0.25, "#.#", ".3"},
        FormatCase{0.5, "0", "1"}, FormatCase{1.5, "0", "2"}, FormatCase{2.5, "0", "3"},
        FormatCase{-0.5, "0", "-1"}, FormatCase{-2.5, "0", "-3"}, FormatCase{0.49999, "0", "0"},
        // Carries through every digit.
        FormatCase{9.9995, "0.000", "10.000"}, FormatCase{999.9996, "0.000", "1000.000"},
        FormatCase{0.9996, "#.000", "1.000"}, FormatCase{99.5, "00", "100"},
        FormatCase{0.96, "#.0", "1.0"},
        // Zero: never a minus sign, never an empty text.
        FormatCase{0, "0.000", "0.000"}, FormatCase{-0.0, "0.000", "0.000"},
        FormatCase{0, "#.000", ".000"}, FormatCase{-0.0004, "0.000", "0.000"},
        FormatCase{-0.0004, "#.000", ".000"}, FormatCase{-0.4, "0", "0"},
        FormatCase{0, "######", "0"}, FormatCase{0, "####.##", "0"},
        FormatCase{0.001, "####.##", "0"}, FormatCase{-0.001, "#.##", "0"},
        FormatCase{1e-10, "0.000", "0.000"}, FormatCase{5e-324, "0.000", "0.000"},
        // Large values keep every integer digit.
        FormatCase{1e9, "0.000", "1000000000.000"}, FormatCase{1.5e20, "0", "150000000000000000000"},
        FormatCase{-163840000.25, "0.000", "-163840000.250"},
        // Values that are not numbers, and pictures outside the grammar.
        FormatCase{kNaN, "0.000", "NaN"}, FormatCase{kInf, "0.000", "Infinity"},
        FormatCase{-kInf, "#.000", "-Infinity"}, FormatCase{2.5, "abc", "2.5"},
        FormatCase{2.5, "", "2.5"}, FormatCase{-2.5, "0.0.0", "-2.5"}));

TEST(FormatTest, LargestDoubleShowsEveryIntegerDigit) {
    const std::string text = Format(std::numeric_limits<double>::max(), "0");
    ASSERT_EQ(text.size(), 309u);
    EXPECT_EQ(text.substr(0, 17), "17976931348623157");
    EXPECT_EQ(text.find_first_not_of('0', 17), std::string::npos);
}

struct StrCase {
    double value;
    const char* expected;
};

class StrTest : public ::testing::TestWithParam<StrCase> {};

TEST_P(StrTest, PlainDecimalWithSignPlace) {
    EXPECT_EQ(Str(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, StrTest,
    ::testing::Values(
        StrCase{19.53, " 19.53"}, StrCase{-2, "-2"}, StrCase{0, " 0"}, StrCase{-0.0, " 0"},
        StrCase{0.5, " 0.5"}, StrCase{-0.5, "-0.5"}, StrCase{24, " 24"}, StrCase{17.36, " 17.36"},
        StrCase{100, " 100"}, StrCase{8388608, " 8388608"}, StrCase{4294967295.0, " 4294967295"},
        StrCase{1234.5678, " 1234.5678"}, StrCase{0.1 + 0.2, " 0.3"},
        StrCase{2.0 / 3.0, " 0.666666666666667"}, StrCase{-1.0 / 3.0, "-0.333333333333333"},
        StrCase{123456789012345.0, " 123456789012345"}, StrCase{999999999999999.9, " 1E+15"},
        StrCase{1e15, " 1E+15"}, StrCase{1e16, " 1E+16"}, StrCase{1.5e16, " 1.5E+16"},
        StrCase{-1.5e16, "-1.5E+16"}, StrCase{1e100, " 1E+100"}, StrCase{0.0001, " 0.0001"},
        StrCase{0.00001, " 1E-05"}, StrCase{-2.5e-5, "-2.5E-05"}, StrCase{0.000123, " 0.000123"},
        StrCase{kNaN, " NaN"}, StrCase{kInf, " Infinity"}, StrCase{-kInf, "-Infinity"}));

struct ParseCase {
    const char* text;
    std::optional<double> expected;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, ReadsWholeTextOrNothing) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(ParseNumber(c.text), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumberTest,
    ::testing::Values(
        ParseCase{"12", 12.0}, ParseCase{" 12 ", 12.0}, ParseCase{"\t7\t", 7.0},
        ParseCase{"-3.5", -3.5}, ParseCase{"+4", 4.0}, ParseCase{".5", 0.5}, ParseCase{"5.", 5.0},
        ParseCase{"1e3", 1000.0}, ParseCase{"1E-2", 0.01}, ParseCase{"2.5e+1", 25.0},
        ParseCase{"4999.999", 4999.999}, ParseCase{"0.1", 0.1}, ParseCase{"1e-400", 0.0},
        ParseCase{"0.000e99999", 0.0}, ParseCase{"-0", 0.0},
        ParseCase{"", std::nullopt}, ParseCase{"   ", std::nullopt}, ParseCase{"abc", std::nullopt},
        ParseCase{"12abc", std::nullopt}, ParseCase{"1,5", std::nullopt},
        ParseCase{"1 2", std::nullopt}, ParseCase{"+", std::nullopt}, ParseCase{"-", std::nullopt},
        ParseCase{".", std::nullopt}, ParseCase{"e5", std::nullopt}, ParseCase{"1e", std::nullopt},
        ParseCase{"1e+", std::nullopt}, ParseCase{"inf", std::nullopt},
        ParseCase{"nan", std::nullopt}, ParseCase{"0x10", std::nullopt},
        ParseCase{"--1", std::nullopt}, ParseCase{"1e400", std::nullopt},
        ParseCase{"-1e99999999999999", std::nullopt}));

struct ValCase {
    const char* text;
    double expected;
};

class ValTest : public ::testing::TestWithParam<ValCase> {};

TEST_P(ValTest, ReadsLeadingNumber) {
    EXPECT_EQ(Val(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ValTest,
    ::testing::Values(ValCase{"12abc", 12}, ValCase{"abc", 0}, ValCase{" -3.5x", -3.5},
                      ValCase{"", 0}, ValCase{"   ", 0}, ValCase{"1,5", 1}, ValCase{"1e3x", 1000},
                      ValCase{"2e", 2}, ValCase{"2e+", 2}, ValCase{".5.", 0.5}, ValCase{"-", 0},
                      ValCase{"  +7", 7}, ValCase{"100 ms", 100}, ValCase{"0x1F", 0},
                      ValCase{"1e400", 0}, ValCase{"1e-400", 0}, ValCase{"250", 250}));

// A user's locale with a decimal comma must not change what the program shows or reads.
TEST(TextLocaleTest, PointIsTheDecimalSeparatorInEveryLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool switched = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8");
    EXPECT_EQ(Format(2.5, "0.000"), "2.500");
    EXPECT_EQ(Str(19.53), " 19.53");
    EXPECT_EQ(ParseNumber("2.5"), 2.5);
    EXPECT_EQ(ParseNumber("2,5"), std::nullopt);
    EXPECT_EQ(Val("2.5"), 2.5);
    std::setlocale(LC_ALL, previous.c_str());
    if (!switched) GTEST_SKIP() << "no comma locale installed; checked in the C locale only";
}

} // namespace
} // namespace qb::platform
