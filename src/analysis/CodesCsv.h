#pragma once
// The code buffer as CSV for spreadsheets and scripts: comment lines ("# name: value") giving the
// registers, the data format, the sample rate and the time of capture, then "index,code,volts"
// and one line per code. Free of widgets: the noise window's "Save as CSV" and the headless
// commands' --csv write the same text.
#include <chrono>
#include <string>

namespace qb::link {
struct SharedSettings;
}

namespace qb::analysis {

// A moment as UTC ISO 8601 to the second: "2024-05-01T12:34:56Z".
std::string UtcTimeText(std::chrono::system_clock::time_point t);

// The buffer Codes(1..CodesRead) with the conditions the shared settings hold for it: mode,
// filter and DAC registers as the program last knew them, master clock, sample rate, polarity,
// word length, input range, reference, and CodesCapturedAt (or that the codes came from a file).
// Volts are those of the noise figures (bipolar codes from mid-scale), in the shortest text that
// reads back as the same number.
std::string CodesCsv(const link::SharedSettings& settings);

} // namespace qb::analysis
