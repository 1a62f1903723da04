#pragma once
// The filter register's arithmetic: its fields, the filter word in bits 23..12, and the output
// update rate they set. The word divides the master clock, by 16 per word step, or by 48 with
// chopping (bit 4). Shared by the filter window, the noise spectrum and the headless commands.
//
// Bit map (24 bits): 23..12 filter word, 11..10 always 0, 9 SKIP, 8 FAST, 7..6 always 0, 5 AC,
// 4 CHOP, 3..0 delay. The AND masks also clear any bit above 23.
#include <cstdint>
#include <optional>

namespace qb::link {

namespace filterbits {
inline constexpr int32_t kChopOn = 0x10, kChopOff = 0xFFFFEF;
inline constexpr int32_t kSkipOn = 0x200, kSkipOff = 0xFFF1FF;  // off clears bits 11..9
inline constexpr int32_t kFastOn = 0x100, kFastOff = 0xFFFEFF;
inline constexpr int32_t kAcOn = 0x20, kAcOff = 0xFFFF1F;       // off clears bits 7..5
inline constexpr int32_t kDelayOff = 0xFFFFF0, kDelay = 0xF;
inline constexpr int32_t kLowFields = 0xFFF;                    // everything below the word
} // namespace filterbits

// The words a rate is turned into: at most 2048, at least 150 with neither chopping nor skip, 40
// with skip, 75 with chopping (also when skip is set).
inline constexpr int32_t kMaxRateWord = 2048;
inline constexpr int32_t kLeastRateWord = 150;
inline constexpr int32_t kLeastRateWordSkip = 40;
inline constexpr int32_t kLeastRateWordChop = 75;

// What one step of the filter word divides the master clock by.
constexpr double ClockDivisor(bool chop) { return chop ? 48.0 : 16.0; }

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

// `reg` with `word` in bits 23..12 and its bits 11..0 kept.
int32_t WithFilterWord(int32_t reg, int32_t word);

// The filter word for `rateHz`: master clock / (16 x rate), or / (48 x rate) with chopping,
// rounded half to even, then limited to kMaxRateWord and the least word for chopping and skip
// (chopping wins over skip).
int32_t FilterWordForRate(float rateHz, double masterClockHz, bool chop, bool skip);

} // namespace qb::link
