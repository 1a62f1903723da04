#include "analysis/SweepText.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "platform/base/Text.h"

namespace qb::analysis {

namespace {

constexpr int kCellWidth = 9;

// The distinct values of `of` over the rows, in the order they first come.
template <class T, class Of>
std::vector<T> distinct(const std::vector<SweepRow>& rows, Of of) {
    std::vector<T> out;
    for (const SweepRow& r : rows)
        if (std::find(out.begin(), out.end(), of(r)) == out.end()) out.push_back(of(r));
    return out;
}

struct Table {
    const char* title;
    const Figure ResolutionFigures::*figure;
    double scale;
};
constexpr Table kTables[] = {{"RMS noise in nV", &ResolutionFigures::rmsNoiseV, 1e9},
                             {"Effective resolution in bits", &ResolutionFigures::effectiveResolutionBits, 1}};

void printTable(std::ostream& out, const Table& table, const std::vector<SweepRow>& rows, bool chop) {
    const auto ranges = distinct<int16_t>(rows, [](const SweepRow& r) { return r.setting.rangeMv; });
    const auto rates = distinct<double>(rows, [](const SweepRow& r) { return r.setting.requestedRateHz; });
    out << table.title << ", chopping " << (chop ? "on" : "off") << '\n' << std::setw(kCellWidth + 2) << "Rate (Hz)";
    for (int16_t range : ranges) out << std::setw(kCellWidth) << (std::to_string(range) + " mV");
    out << '\n';
    for (double requested : rates) {
        std::ostringstream line;
        bool any = false;
        double rate = 0;
        for (int16_t range : ranges) {
            const auto row = std::find_if(rows.begin(), rows.end(), [&](const SweepRow& r) {
                return r.setting.chop == chop && r.setting.requestedRateHz == requested && r.setting.rangeMv == range;
            });
            std::string cell;
            if (row != rows.end()) {
                any = true;
                rate = row->setting.rateHz;
                const Figure& f = row->figures.*table.figure;
                cell = (f.value ? platform::Format(*f.value * table.scale, "0.0") : "-") + (row->clipped ? "*" : "");
            }
            line << std::setw(kCellWidth) << cell;
        }
        if (any) out << std::setw(kCellWidth + 2) << platform::Format(rate, "0.00") << line.str() << '\n';
    }
}

} // namespace

std::vector<SweepField> SweepFields(const SweepRow& row) {
    const SweepSetting& s = row.setting;
    const ResolutionFigures& f = row.figures;
    return {{"range_mv", s.rangeMv},
            {"requested_rate_hz", s.requestedRateHz},
            {"rate_hz", s.rateHz},
            {"codes", row.codes},
            {"rms_noise_v", f.rmsNoiseV.value},
            {"rms_noise_lsb", f.rmsNoiseLsb.value},
            {"peak_to_peak_noise_v", f.peakToPeakNoiseV.value},
            {"peak_to_peak_noise_lsb", f.peakToPeakNoiseLsb.value},
            {"effective_resolution_bits", f.effectiveResolutionBits.value},
            {"noise_free_resolution_bits", f.noiseFreeResolutionBits.value}};
}

std::string SweepCsv(const std::vector<SweepRow>& rows) {
    std::ostringstream out;
    const auto line = [&](const SweepRow& row, bool keys) {
        const std::vector<SweepField> fields = SweepFields(row);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) out << ',';
            if (keys)
                out << fields[i].key;
            else if (fields[i].value)
                out << platform::ShortestText(*fields[i].value);
            if (i == 0) out << ',' << (keys ? "chop" : row.setting.chop ? "on" : "off");
        }
        out << ',' << (keys ? "clipped" : row.clipped ? "yes" : "no") << '\n';
    };
    line(SweepRow{}, true);
    for (const SweepRow& row : rows) line(row, false);
    return out.str();
}

std::string SweepTables(const std::vector<SweepRow>& rows) {
    std::ostringstream out;
    for (bool chop : distinct<bool>(rows, [](const SweepRow& r) { return r.setting.chop; }))
        for (const Table& table : kTables) {
            printTable(out, table, rows, chop);
            out << '\n';
        }
    if (std::any_of(rows.begin(), rows.end(), [](const SweepRow& r) { return r.clipped; }))
        out << "* codes reached an end of the range: the input lies outside it, so the figure is not the\n"
               "  converter's noise. Short the input (channel Ain1(-) - Ain1(-)) to measure noise.\n";
    return out.str();
}

} // namespace qb::analysis
