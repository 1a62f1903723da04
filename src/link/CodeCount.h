#pragma once
// How many codes the shared code buffer takes for an analysis: 5 to 5000, both included. The
// reading window, the main menu, the data-file reader and the headless acquisition all hold to
// this one rule and show its messages.
#include <cstdint>

namespace qb::link {

inline constexpr int16_t kMinCodes = 5;
inline constexpr int16_t kMaxCodes = 5000;

// Whether `count` codes may be read, loaded or analysed.
constexpr bool CodeCountAllowed(int count) { return count >= kMinCodes && count <= kMaxCodes; }

// Shown when a count is outside the rule, or the buffer holds too few codes to analyse.
inline constexpr const char* kCountRangeMessage =
    "For Data Analysis the number of codes read must be >4 and <5000";
// Shown when the count typed is not a whole number that fits.
inline constexpr const char* kCountNotIntegerMessage = "Please type in an integer value between 4 and 5000";

} // namespace qb::link
