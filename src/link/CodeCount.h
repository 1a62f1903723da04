#pragma once
// How many codes the shared code buffer takes for an analysis: 5 to 5000, both included. The
// reading window, the main menu, the data-file reader and the headless acquisition all hold to
// this one rule and show its messages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qb::link {

inline constexpr int16_t kMinCodes = 5;
inline constexpr int16_t kMaxCodes = 5000;

// Whether `count` codes may be read, loaded or analysed.
constexpr bool CodeCountAllowed(int count) { return count >= kMinCodes && count <= kMaxCodes; }

// How many of the `codesRead` codes the buffer holds: codes 1..n (index 0 holds no code), n at
// most codesRead and never beyond the buffer's end; 0 for a negative count.
inline std::size_t CodesHeld(const std::vector<double>& codes, int codesRead) {
    const std::size_t available = codes.empty() ? 0 : codes.size() - 1;
    return std::min<std::size_t>(codesRead < 0 ? 0 : static_cast<std::size_t>(codesRead), available);
}

// Those codes themselves, codes[1..CodesHeld] as one run.
inline std::span<const double> HeldCodes(const std::vector<double>& codes, int codesRead) {
    return std::span<const double>(codes).subspan(codes.empty() ? 0 : 1, CodesHeld(codes, codesRead));
}

// Shown when a count is outside the rule, or the buffer holds too few codes to analyse.
inline constexpr const char* kCountRangeMessage =
    "For Data Analysis the number of codes read must be >4 and <5000";
// Shown when the count typed is not a whole number that fits.
inline constexpr const char* kCountNotIntegerMessage = "Please type in an integer value between 4 and 5000";

} // namespace qb::link
