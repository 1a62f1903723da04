#pragma once
// What the fast-step window shows of a run, free of widgets, so the window, the headless command
// and the tests share it: the lines of the two lists and the y range of the chart.
#include <cstdint>
#include <string>
#include <vector>

namespace qb::faststep {

// Column headings above both lists (six blanks between the words).
inline constexpr const char* kListHeading = "Iteration      Value";

// One list line: the reading number as "000", seven blanks, the code as "00000000" (decimal,
// zero-padded): "001       01048576".
std::string ListLine(int reading, double code);

// The lines of one series: readings 1..2N, each line numbered with the reading it shows. (A
// series shorter than 2N + 1 elements lists what it holds.)
std::vector<std::string> ListLines(const std::vector<double>& codes, int16_t n);

// The chart's y range: the smallest and largest of the fast-step-off readings 1..2N (each
// rounded to a whole number, halves to even), widened by kYMargin on each side. Only the
// fast-step-off series is scanned: both series share the levels.
inline constexpr int32_t kYMargin = 1'000'000;
struct YRange {
    int32_t lo = 0, hi = 0;
    bool operator==(const YRange&) const = default;
};
YRange ChartYRange(const std::vector<double>& offCodes, int16_t n);

} // namespace qb::faststep
