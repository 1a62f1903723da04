// The filter register's arithmetic where the filter window's tests do not reach: filter words
// at their limits and roundings, and as the register holds them.
#include <gtest/gtest.h>

#include "registers/FilterRegister.h"

namespace {

using namespace qb::registers;

TEST(FilterRegisterMath, WordForRateIsRoundedHalfEvenThenLimited) {
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
        EXPECT_EQ(FilterWordForRate(c.rate, c.clock, c.chop, c.skip), c.word) << c.rate << " " << c.chop << c.skip;
}

TEST(FilterRegisterMath, WordsFromTheRegister) {
    const struct { int32_t reg; int32_t raw, word, clockEntry; } cases[] = {
        {0x4D0010, 1232, 1232, 1232},
        {0x4D0800, 1232, 1232, 1232},  // 1232.5 -> 1232 (even)
        {0x4D1800, 1234, 1234, 1234},  // 1233.5 -> 1234
        {0x4D0801, 1233, 1233, 1232},  // bit 11: the clock entry ignores bits 7..0
        {0xFFFFFF, 4096, 0, 4096},     // the 12-bit mask wraps to 0
        {0x000010, 0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RawFilterWord(c.reg), c.raw) << std::hex << c.reg;
        EXPECT_EQ(FilterWord(c.reg), c.word) << std::hex << c.reg;
        EXPECT_EQ(ClockEntryFilterWord(c.reg), c.clockEntry) << std::hex << c.reg;
    }
    EXPECT_EQ(WithFilterWord(0xFFF337, 40), 0x028337);
}

} // namespace
