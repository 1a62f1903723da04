// Text and number conventions: number pictures, the plain conversion with its sign blank, reading
// numbers back from text; rounding halves to even, integer widths, hexadecimal.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::platform {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Text, FormatShowsTheValueThroughThePicture) {
    struct Case { double value; const char* picture; const char* expected; };
    const Case cases[] = {
        // Optional digits drop trailing zeros and a point that would end the text.
        {12.5, "####.##", "12.5"}, {4999.999, "####.##", "5000"}, {0.5, "####.##", ".5"}, {2, "0.####", "2"},
        {152.587890625, "0.####", "152.5879"}, {0.00004, "0.####", "0"}, {5, "0.", "5"}, {2.3842, "0.000", "2.384"},
        // Forced decimals, with and without the zero before the point; mixed pictures.
        {-0.5, "#.000", "-.500"}, {0.5, ".00", ".50"}, {1.5, "#0#.0#0", "01.500"}, {-0.0004, "#.000", ".000"},
        // Zero padding; integer digits are never cut off.
        {8388608, "00000000", "08388608"}, {123456789, "00000000", "123456789"}, {167772.16, "######", "167772"},
        {-2147483648.0, "0", "-2147483648"}, {1.5e20, "0", "150000000000000000000"}, {12345, "###", "12345"},
        // Ties go away from zero on the shortest decimal text, not on the binary value; carries run through.
        {2.675, "0.00", "2.68"}, {1.005, "0.00", "1.01"}, {-0.0005, "0.000", "-0.001"}, {0.25, "#.#", ".3"},
        {-2.5, "0", "-3"}, {0.49999, "0", "0"}, {9.9995, "0.000", "10.000"}, {0.9996, "#.000", "1.000"},
        // Zero never has a minus sign and is never an empty text; not-numbers; pictures outside the grammar.
        {-0.0, "0.000", "0.000"}, {-0.4, "0", "0"}, {0, "######", "0"}, {5e-324, "0.000", "0.000"},
        {kNaN, "0.000", "NaN"}, {kInf, "0.000", "Infinity"}, {-kInf, "#.000", "-Infinity"}, {2.5, "abc", "2.5"},
        {2.5, "", "2.5"}, {-2.5, "0.0.0", "-2.5"}};
    for (const Case& c : cases) EXPECT_EQ(Format(c.value, c.picture), c.expected) << c.value << " as " << c.picture;

    const std::string largest = Format(std::numeric_limits<double>::max(), "0");
    ASSERT_EQ(largest.size(), 309u);
    EXPECT_EQ(largest.substr(0, 17), "17976931348623157");
    EXPECT_EQ(largest.find_first_not_of('0', 17), std::string::npos);
}

TEST(Text, StrIsPlainDecimalWithABlankForTheSign) {
    struct Case { double value; const char* expected; };
    const Case cases[] = {
        {19.53, " 19.53"}, {-2, "-2"}, {-0.0, " 0"}, {-0.5, "-0.5"}, {4294967295.0, " 4294967295"}, {0.1 + 0.2, " 0.3"},
        {2.0 / 3.0, " 0.666666666666667"}, {123456789012345.0, " 123456789012345"}, {999999999999999.9, " 1E+15"},
        {-1.5e16, "-1.5E+16"}, {1e100, " 1E+100"}, {0.0001, " 0.0001"}, {0.00001, " 1E-05"}, {-2.5e-5, "-2.5E-05"},
        {kNaN, " NaN"}, {kInf, " Infinity"}, {-kInf, "-Infinity"}};
    for (const Case& c : cases) EXPECT_EQ(Str(c.value), c.expected) << c.value;
}

TEST(Text, ParseNumberReadsTheWholeTextOrNothingAndValTheLeadingNumber) {
    constexpr std::nullopt_t no = std::nullopt;
    struct Case { const char* text; std::optional<double> parsed; double val; };
    const Case cases[] = {
        {" 12 ", 12.0, 12}, {"\t7\t", 7.0, 7}, {"-3.5", -3.5, -3.5}, {"+4", 4.0, 4}, {".5", 0.5, 0.5}, {"5.", 5.0, 5},
        {"1E-2", 0.01, 0.01}, {"2.5e+1", 25.0, 25}, {"1e-400", 0.0, 0}, {"0.000e99999", 0.0, 0}, {"", no, 0},
        {"   ", no, 0}, {"12abc", no, 12}, {"1,5", no, 1}, {"1 2", no, 1}, {"-", no, 0}, {".", no, 0}, {"e5", no, 0},
        {"1e+", no, 1}, {".5.", no, 0.5}, {"inf", no, 0}, {"nan", no, 0}, {"0x10", no, 0}, {"--1", no, 0},
        {"1e400", no, 0}, {"-1e99999999999999", no, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNumber(c.text), c.parsed) << '"' << c.text << '"';
        EXPECT_EQ(Val(c.text), c.val) << '"' << c.text << '"';
    }
}

TEST(Text, ParseHexDigitsTakesOnlyBareDigitsUpToTheLimit) {
    struct Case { const char* text; std::size_t maxDigits; std::optional<uint32_t> value; };
    const Case cases[] = {{"0", 6, 0u}, {"fF", 2, 255u}, {"800000", 6, 0x800000u}, {"FFFFFFFF", 8, 0xFFFFFFFFu},
                          {"1234567", 6, std::nullopt}, {"123456789", 9, std::nullopt}, {"", 4, std::nullopt},
                          {" 1", 4, std::nullopt}, {"0x1", 4, std::nullopt}, {"-1", 4, std::nullopt},
                          {"1G", 4, std::nullopt}, {"@", 4, std::nullopt}, {"`", 4, std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(ParseHexDigits(c.text, c.maxDigits), c.value) << '"' << c.text << '"';
}

TEST(Numbers, RoundHalfEvenTiesGoToTheEvenNeighbour) {
    struct Case { double value, expected; };
    for (const Case c : {Case{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999999, 2}, {-2.5000001, -3},
                         {8388607.5, 8388608}, {4503599627370495.5, 4503599627370496}, {1e300, 1e300}, {-kInf, -kInf}})
        EXPECT_EQ(RoundHalfEven(c.value), c.expected) << c.value;
    EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
}

TEST(Numbers, ToIntRoundsThenGivesNoValueWhenTheWidthCannotHoldIt) {
    struct Case { double value; std::optional<int16_t> i16; std::optional<int32_t> i32; };
    const Case cases[] = {
        {499.5, 500, 500}, {500.5, 500, 500}, {32767.4, 32767, 32767}, {32767.5, std::nullopt, 32768},
        {-32768.5, -32768, -32768}, {-32768.6, std::nullopt, -32769}, {2147483647.5, std::nullopt, std::nullopt},
        {-2147483648.5, std::nullopt, INT32_MIN}, {-2147483649.0, std::nullopt, std::nullopt},
        {kNaN, std::nullopt, std::nullopt}, {-kInf, std::nullopt, std::nullopt}};
    for (const Case& c : cases) {
        EXPECT_EQ(ToInt16(c.value), c.i16) << c.value;
        EXPECT_EQ(ToInt32(c.value), c.i32) << c.value;
    }
}

TEST(Numbers, HexIsUpperCaseWithoutLeadingZerosAndNegativesAsTwosComplement) {
    struct Case { double value; const char* expected; };
    for (const Case c : {Case{0, "0"}, {-0.0, "0"}, {2.5, "2"}, {1.5, "2"}, {888, "378"}, {8388607.5, "800000"},
                         {16777215, "FFFFFF"}, {-1, "FFFFFFFF"}, {-8388608, "FF800000"},
                         {2147483648.0, "80000000"}, {4294967295.0, "FFFFFFFF"}})
        EXPECT_EQ(Hex(c.value), c.expected) << c.value;
}

} // namespace
} // namespace qb::platform
