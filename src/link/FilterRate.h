#pragma once
// The output update rate that the filter register sets: the filter word in bits 23..12 divides
// the master clock, by 16 per word step, or by 48 with chopping (bit 4). Shared by the filter
// window, the noise spectrum and the headless commands.
#include <cstdint>
#include <optional>

namespace qb::link {

inline constexpr int32_t kFilterChopBit = 0x10;

// Results per second: masterClockHz / (16 x word), or / (48 x word) with chopping. nullopt for
// a word of 0 or less, or a master clock that gives no finite positive rate.
std::optional<double> UpdateRateHz(double masterClockHz, double filterWord, bool chop);

// The filter word of a register value: bits 23..12, whatever bits 11..0 hold. (Dividing by 4096
// and rounding would read a word one too high whenever bit 11 is set, and 0 for FFF800h.)
int32_t FilterWordOf(int32_t filterRegValue);

// Whether the register value has chopping on (bit 4).
bool ChopOf(int32_t filterRegValue);

// The rate of a whole register value at the given master clock: its word and its chopping.
std::optional<double> UpdateRateOfRegister(int32_t filterRegValue, double masterClockHz);

} // namespace qb::link
