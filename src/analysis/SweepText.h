#pragma once
// The rows of a noise sweep as text: the fields of a row (the JSON and CSV keys), the CSV file,
// and the data sheet's two tables (rates down, ranges across) that the plain output prints.
// Free of widgets: the headless sweep and the sweep window write the same text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/NoiseSweep.h"

namespace qb::analysis {

struct SweepField {
    std::string_view key;         // "rms_noise_v"
    std::optional<double> value;  // none: the figure has none (no noise, all codes equal)
};

// Every field of a row but chopping (a flag, "chop"), in file order: range_mv,
// requested_rate_hz, rate_hz, codes, rms_noise_v, rms_noise_lsb, peak_to_peak_noise_v,
// peak_to_peak_noise_lsb, effective_resolution_bits, noise_free_resolution_bits.
std::vector<SweepField> SweepFields(const SweepRow& row);

// One line of keys (chop second, "on" or "off"; clipped last, "yes" or "no"), then one line per
// row; a figure with no value leaves its cell empty. Numbers as the shortest text that reads back as the same number.
std::string SweepCsv(const std::vector<SweepRow>& rows);

// For each chopping in the rows: "RMS noise in nV, chopping on" and "Effective resolution in bits,
// chopping on", each a table with the output rate (Hz) down and the ranges across. A setting not
// measured is blank, a figure with no value "-"; a clipped setting's figure is marked "*" and a
// note under the tables says why.
std::string SweepTables(const std::vector<SweepRow>& rows);

} // namespace qb::analysis
