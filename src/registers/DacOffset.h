#pragma once
// The offset DAC word and the input offset it gives, free of widgets.
//
// A word of 0..63: bits 4..0 the magnitude in steps, bit 5 the sign (1 = negative). One step is
// 2.5 mV with the 5 V reference and 1.25 mV with 2.5 V.
#include <cstdint>
#include <string>

namespace qb::registers {

inline constexpr int16_t kMaxDacWord = 63;

// Input offset in mV for `word` at the reference `refVolts` (5 or 2.5): (word AND 31) steps of
// refVolts / 2 mV, negated when the word is 32 or more (so 32 gives a negative zero).
double DacOffsetMv(int16_t word, double refVolts);

// The offset as the window shows it, directly followed by "mV": plain ("12.5mV", "-12.5mV",
// "0mV") or, with `signBlank`, with the blank of the sign position before a number that is
// not negative (" 12.5mV", " 0mV").
std::string DacOffsetText(double millivolts, bool signBlank);

} // namespace qb::registers
