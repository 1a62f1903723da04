// The filter register's arithmetic: word and chopping from a register value, the two divisors, no
// rate for a word of 0; the word for a rate, rounded half to even and held within its limits.
#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "link/FilterRate.h"

namespace qb::linktest {
namespace {

TEST(FilterRate, WordChoppingAndRateOfARegisterValue) {
    struct Case {
        int32_t reg;
        double mclk;
        int32_t word;
        bool chop;
        std::optional<double> rate;
    };
    const Case cases[] = {
        {0x4D0010, 4915200, 1232, true, 4915200.0 / (48 * 1232)},  // 83.12 Hz
        {0x800010, 4915200, 2048, true, 50.0},                     // power-on value
        {0x800010, 2457600, 2048, true, 25.0},                     // the slow clock halves it
        {0x800000, 4915200, 2048, false, 150.0},
        {0x096000, 4915200, 150, false, 2048.0},
        {0x000010, 4915200, 0, true, std::nullopt},                // word 0: no rate
        // The word is bits 23..12 whatever bit 11 holds (rounding value / 4096 would not be).
        {0x000800, 4915200, 0, false, std::nullopt},
        {0x001800, 4915200, 1, false, 307200.0},
        {0x4D0810, 4915200, 1232, true, 4915200.0 / (48 * 1232)},
        {0x801800, 4915200, 2049, false, 4915200.0 / (16 * 2049)},
        {0xFFF800, 4915200, 4095, false, 4915200.0 / (16 * 4095)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.reg << std::dec << " at " << c.mclk);
        EXPECT_EQ(link::FilterWordOf(c.reg), c.word);
        EXPECT_EQ(link::ChopOf(c.reg), c.chop);
        const std::optional<double> rate = link::UpdateRateOfRegister(c.reg, c.mclk);
        ASSERT_EQ(rate.has_value(), c.rate.has_value());
        if (rate) {
            EXPECT_DOUBLE_EQ(*rate, *c.rate);
        }
    }
}

TEST(FilterRate, NoRateWithoutAPositiveWordOrClock) {
    EXPECT_FALSE(link::UpdateRateHz(4915200, 0, false));
    EXPECT_FALSE(link::UpdateRateHz(4915200, -3, true));
    EXPECT_FALSE(link::UpdateRateHz(0, 100, false));
    EXPECT_FALSE(link::UpdateRateHz(4915200, std::nan(""), false));
    EXPECT_DOUBLE_EQ(*link::UpdateRateHz(4915200, 40, false), 7680.0);
    EXPECT_DOUBLE_EQ(*link::UpdateRateHz(4915200, 40, true), 2560.0);
}

TEST(FilterRate, WordForRateIsRoundedHalfEvenThenLimited) {
    const struct { float rate; double clock; bool chop, skip; int32_t word; } cases[] = {
        {50, 4915200, false, false, 2048},    // 6144
        {10000, 4915200, false, true, 40},    // 30.72
        {10000, 4915200, true, false, 75},    // 10.24
        {10000, 4915200, true, true, 75},     // CHOP's limit wins
        {2400, 4915200, false, false, 150},   // 128 -> 150
        {1, 4915200, false, false, 2048},     // far above 2048
        {0, 4915200, false, false, 2048},     // an infinite word
        {-5, 4915200, false, false, 150},     // a negative word
        {1, 16 * 40.5, false, true, 40},      // 40.5 -> 40 (even)
        {1, 16 * 41.5, false, true, 42},      // 41.5 -> 42 (even)
    };
    for (const auto& c : cases)
        EXPECT_EQ(link::FilterWordForRate(c.rate, c.clock, c.chop, c.skip), c.word) << c.rate << " " << c.chop << c.skip;
    EXPECT_EQ(link::WithFilterWord(0xFFF337, 40), 0x028337) << "a new word keeps the lower fields";
}

} // namespace
} // namespace qb::linktest
