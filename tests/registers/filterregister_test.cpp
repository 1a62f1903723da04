// The filter register's arithmetic where the filter window's tests do not reach: filter words
// at their limits and roundings, and as the register holds them.
#include <gtest/gtest.h>

#include "link/FilterRate.h"

namespace {

using namespace qb::link;

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

TEST(FilterRegisterMath, ANewWordKeepsTheLowerFields) {
    EXPECT_EQ(WithFilterWord(0xFFF337, 40), 0x028337);
}

} // namespace
