#pragma once
// The points the histogram window draws: one vertical spike per distinct code of the buffer, and
// the lookup of the count under the chart cursor. Free of widgets so the window, the headless
// commands and the tests share it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qb::analysis {

// Point k of the histogram is (x[k], y[k]). Each distinct code c occurring n times gives the
// group (c, 0), (c, n), (c, 0) at indices 3m, 3m + 1, 3m + 2 for the m-th distinct code in
// ascending order, so every spike centre stands at index 1, 4, 7, ...
struct HistPoints {
    std::vector<double> x;  // the code of each point
    std::vector<double> y;  // 0, the count, 0 for each code
    int16_t largestCount = 0;

    // Index of the last spike centre (the window's "c").
    std::size_t LastCentre() const { return x.size() - 2; }
};

// Builds the points from codes[1..codesRead] (index 0 is not a code). Each code is rounded to
// the nearest integer, halves to the even one (7.5 counts as 8, 6.5 as 6), then the codes are
// sorted with SortLongArray.
//
// nullopt, with nothing built, when there is no code to count (codesRead < 1), when the buffer
// holds fewer than codesRead + 1 elements, or when a code is not a number or lies outside the
// 32-bit range after rounding: such codes cannot be counted as 32-bit values, and clamping
// them would merge different codes into one spike.
std::optional<HistPoints> BuildHistPoints(const std::vector<double>& codes, int16_t codesRead);

// The count of the spike whose centre has exactly the code cursorX, scanning the centres
// 1, 4, 7, ... from the left; nullopt when no centre matches (the window then keeps the count
// it showed before).
std::optional<double> CountAtCursor(const HistPoints& points, double cursorX);

// The three readouts of the histogram cursor. count is nullopt when the label keeps its
// previous text.
struct CursorReadout {
    std::optional<std::string> count;  // lblCursPosition: Str(count)
    std::string hex;                   // lblHexValue: Hex(cursor x)
    std::string dec;                   // lblDecValue: Str(cursor x)
};
CursorReadout ReadCursor(const HistPoints& points, double cursorX);

} // namespace qb::analysis
