#pragma once
// The filter register's fields and the update-rate arithmetic of the filter window, free of
// widgets so the window and the tests share them. The word of a register value and the rate it
// gives are the link's (link/FilterRate.h), shared with the noise spectrum.
//
// Bit map (24 bits): 23..12 filter word, 11..10 always 0, 9 SKIP, 8 FAST, 7..6 always 0, 5 AC,
// 4 CHOP, 3..0 delay. The AND masks also clear any bit above 23.
#include <cstdint>
#include <string>
#include <string_view>

namespace qb::registers {

namespace filterbits {
inline constexpr int32_t kChopOn = 0x10, kChopOff = 0xFFFFEF;
inline constexpr int32_t kSkipOn = 0x200, kSkipOff = 0xFFF1FF;  // off clears bits 11..9
inline constexpr int32_t kFastOn = 0x100, kFastOff = 0xFFFEFF;
inline constexpr int32_t kAcOn = 0x20, kAcOff = 0xFFFF1F;       // off clears bits 7..5
inline constexpr int32_t kDelayOff = 0xFFFFF0, kDelay = 0xF;
inline constexpr int32_t kLowFields = 0xFFF;                    // everything below the word
} // namespace filterbits

inline constexpr int32_t kMaxFilterWord = 2048;
inline constexpr int32_t kMinFilterWord = 150;      // neither chopping nor skip
inline constexpr int32_t kMinFilterWordSkip = 40;
inline constexpr int32_t kMinFilterWordChop = 75;   // also when skip is set

// The rate text when the register's word is 0 (no conversions).
inline constexpr const char* kNoRateText = "Error";

// `reg` with `word` in bits 23..12 and its bits 11..0 kept.
int32_t WithFilterWord(int32_t reg, int32_t word);

// The filter word for `rateHz`: master clock / (16 x rate), or / (48 x rate) with chopping,
// rounded half to even, then limited to at most 2048 and at least 150, 40 with skip, 75 with
// chopping (chopping wins over skip).
int32_t FilterWordForRate(float rateHz, double masterClockHz, bool chop, bool skip);

// The rate a word gives as the window shows it ("0.00" or "#.00"); kNoRateText for a word of 0
// or less.
std::string RateText(double masterClockHz, int32_t word, bool chop, std::string_view picture);

} // namespace qb::registers
