#pragma once
// Codes as CSV for spreadsheets and scripts: comment lines ("# name: value") giving the time of
// capture, the conditions (board, registers, master clock) and what they make of the codes (the
// sample rate and the data format), then "index,code,volts" and one line per code. Free of
// widgets: the noise window's "Save as CSV" and the headless commands' --csv write the same text,
// and files::ReadCodesCsvFile reads it back.
#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "link/Conditions.h"

namespace qb::analysis {

using CaptureTime = std::optional<std::chrono::system_clock::time_point>;

// A moment as UTC ISO 8601 to the second: "2024-05-01T12:34:56Z".
std::string UtcTimeText(std::chrono::system_clock::time_point t);

// The comment lines that open every CSV file of codes: link::kCodesCsvTitle; "captured" (or that
// the time is not known, for codes loaded from a file); the fields of link::ConditionFields;
// then sample_rate_hz, polarity, word_length_bits, input_range_mv and reference_v as the filter
// and mode registers give them.
std::string CodesCsvHeader(const link::Conditions& conditions, CaptureTime capturedAt);

// The header, then "index,code,volts" and one line per code. Volts are those of the noise
// figures (bipolar codes from mid-scale), in the shortest text that reads back as the same number.
std::string CodesCsv(std::span<const double> codes, const link::Conditions& conditions, CaptureTime capturedAt);

} // namespace qb::analysis
