// Conversions from floating point to integers: halves to even, and no value on overflow.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/Numbers.h"

namespace qb::platform {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RoundCase {
    double value;
    double expected;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, NearestWithTiesToEven) {
    EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundHalfEvenTest,
    ::testing::Values(RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{0.5, 0}, RoundCase{1.5, 2},
                      RoundCase{-0.5, 0}, RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
                      RoundCase{-3.5, -4}, RoundCase{2.4999999, 2}, RoundCase{2.5000001, 3},
                      RoundCase{-2.5000001, -3}, RoundCase{8388607.5, 8388608},
                      RoundCase{8388608.5, 8388608}, RoundCase{4503599627370495.5, 4503599627370496},
                      RoundCase{1e300, 1e300}, RoundCase{kInf, kInf}, RoundCase{-kInf, -kInf}));

TEST(RoundHalfEvenTest, NaNStaysNaN) { EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN))); }

struct IntCase {
    double value;
    std::optional<int32_t> int16;  // what ToInt16 gives (held wider to share the table)
    std::optional<int32_t> int32;
};

class ToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ToIntTest, RoundsThenChecksWidth) {
    const IntCase& c = GetParam();
    const auto narrow = ToInt16(c.value);
    EXPECT_EQ(narrow ? std::optional<int32_t>(*narrow) : std::nullopt, c.int16) << c.value;
    EXPECT_EQ(ToInt32(c.value), c.int32) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, ToIntTest,
    ::testing::Values(
        IntCase{0, 0, 0}, IntCase{499.5, 500, 500}, IntCase{500.5, 500, 500},
        IntCase{32767, 32767, 32767}, IntCase{32767.4, 32767, 32767},
        IntCase{32767.5, std::nullopt, 32768}, IntCase{-32768, -32768, -32768},
        IntCase{-32768.5, -32768, -32768}, IntCase{-32768.6, std::nullopt, -32769},
        IntCase{-32769.5, std::nullopt, -32770}, IntCase{2147483647, std::nullopt, 2147483647},
        IntCase{2147483646.5, std::nullopt, 2147483646},
        IntCase{2147483647.5, std::nullopt, std::nullopt},
        IntCase{-2147483648.5, std::nullopt, std::numeric_limits<int32_t>::min()},
        IntCase{-2147483649.0, std::nullopt, std::nullopt}, IntCase{1e300, std::nullopt, std::nullopt},
        IntCase{kNaN, std::nullopt, std::nullopt}, IntCase{kInf, std::nullopt, std::nullopt},
        IntCase{-kInf, std::nullopt, std::nullopt}));

struct HexCase {
    double value;
    const char* expected;
};

class HexTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTest, UpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(Hex(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, HexTest,
    ::testing::Values(HexCase{0, "0"}, HexCase{-0.0, "0"}, HexCase{0.5, "0"}, HexCase{1.5, "2"},
                      HexCase{2.5, "2"}, HexCase{255, "FF"}, HexCase{888, "378"},
                      HexCase{8388607.5, "800000"}, HexCase{8388606.5, "7FFFFE"},
                      HexCase{16777215, "FFFFFF"}, HexCase{-1, "FFFFFFFF"},
                      HexCase{-8388608, "FF800000"}, HexCase{-2147483648.0, "80000000"},
                      HexCase{2147483648.0, "80000000"}, HexCase{4294967295.0, "FFFFFFFF"}));

} // namespace
} // namespace qb::platform
