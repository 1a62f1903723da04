#include "analysis/ResolutionFigures.h"

#include <algorithm>
#include <cmath>

#include "link/CodeCount.h"
#include "link/FilterRate.h"
#include "link/SharedSettings.h"
#include "platform/base/Text.h"

namespace qb::analysis {

namespace {

constexpr const char* kNoCodes = "no codes";
constexpr const char* kOneCode = "one code: noise needs at least two";
constexpr const char* kNoSpread = "every code is the same: no noise to measure";

// The data sheets' ratio of peak-to-peak to RMS noise: 99.9 % of normally distributed readings
// fall within 6.6 standard deviations.
constexpr double kPeakToPeakPerRms = 6.6;

struct VoltUnit {
    double scale;
    const char* name;
};

VoltUnit voltUnitFor(double magnitude) {
    if (magnitude < 1e-6) return {1e9, "nV"};
    if (magnitude < 1e-3) return {1e6, "uV"};
    if (magnitude < 1) return {1e3, "mV"};
    return {1, "V"};
}

// "0.00" ... "0.000000000": the picture of a number with that many decimals.
std::string decimalsPicture(int decimals) { return decimals > 0 ? "0." + std::string(decimals, '0') : "0"; }

std::string voltsText(double v, double lsbVolts) {
    const double magnitude = v != 0 ? std::fabs(v) : lsbVolts;
    const VoltUnit unit = voltUnitFor(magnitude);
    // Enough decimals to show a tenth of an LSB, at least two, at most nine.
    int decimals = 2;
    if (lsbVolts > 0 && std::isfinite(lsbVolts))
        decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(lsbVolts * unit.scale))) + 1, 2, 9);
    return platform::Format(v * unit.scale, decimalsPicture(decimals)) + " " + unit.name;
}

std::string formatVoltsText(double v) {
    const VoltUnit unit = voltUnitFor(std::fabs(v));
    return platform::Format(v * unit.scale, "0.####") + " " + unit.name;
}

} // namespace

double CodeVolts(double code, const DataFormat& format) {
    const double zero = format.Polarity == 1 ? 0.0 : BipolarZeroCode(format.WordLengthBits);
    return (code - zero) * LsbNanovolts(format) * 1e-9;
}

ResolutionFigures ComputeResolutionFigures(std::span<const double> codes, const DataFormat& format,
                                           std::optional<double> sampleRateHz) {
    ResolutionFigures f;
    const std::size_t n = codes.size();
    const double lsbV = LsbNanovolts(format) * 1e-9;
    const int bits = format.WordLengthBits;

    f.codesRead = Figure::Of(static_cast<double>(n));
    f.wordLengthBits = Figure::Of(bits);
    f.sampleRateHz = sampleRateHz ? Figure::Of(*sampleRateHz) : Figure::None(kNoSampleRateReason);
    f.fullScaleRangeV = Figure::Of(static_cast<double>(int32_t{format.Polarity} * int32_t{format.InputRangeMv}) / 1000.0);
    f.lsbV = Figure::Of(lsbV);

    Figure* measured[] = {&f.meanCode, &f.meanV, &f.minCode, &f.maxCode, &f.minV, &f.maxV};
    Figure* noise[] = {&f.rmsNoiseLsb, &f.rmsNoiseV, &f.peakToPeakNoiseLsb, &f.peakToPeakNoiseV};
    Figure* resolutions[] = {&f.effectiveResolutionBits, &f.noiseFreeResolutionBits,
                             &f.noiseFreeResolutionFromRmsBits};
    if (n == 0) {
        for (Figure* x : measured) *x = Figure::None(kNoCodes);
        for (Figure* x : noise) *x = Figure::None(kNoCodes);
        for (Figure* x : resolutions) *x = Figure::None(kNoCodes);
        return f;
    }

    const NoiseStatistics s = ComputeNoiseStatistics(codes);
    f.meanCode = Figure::Of(s.AverageCode);
    f.meanV = Figure::Of(CodeVolts(s.AverageCode, format));
    f.minCode = Figure::Of(s.MinCode);
    f.maxCode = Figure::Of(s.MaxCode);
    f.minV = Figure::Of(CodeVolts(s.MinCode, format));
    f.maxV = Figure::Of(CodeVolts(s.MaxCode, format));
    if (n < 2) {
        for (Figure* x : noise) *x = Figure::None(kOneCode);
        for (Figure* x : resolutions) *x = Figure::None(kOneCode);
        return f;
    }

    const double rms = s.RmsNoiseCodes;
    const double peakToPeak = s.MaxCode - s.MinCode;
    f.rmsNoiseLsb = Figure::Of(rms);
    f.rmsNoiseV = Figure::Of(rms * lsbV);
    f.peakToPeakNoiseLsb = Figure::Of(peakToPeak);
    f.peakToPeakNoiseV = Figure::Of(peakToPeak * lsbV);
    // log2(2^N / x) = N - log2(x)
    auto resolution = [bits](double noiseLsb) {
        return noiseLsb > 0 ? Figure::Of(bits - std::log2(noiseLsb)) : Figure::None(kNoSpread);
    };
    f.effectiveResolutionBits = resolution(rms);
    f.noiseFreeResolutionBits = resolution(peakToPeak);
    f.noiseFreeResolutionFromRmsBits = resolution(kPeakToPeakPerRms * rms);
    return f;
}

std::optional<double> SampleRateOf(const link::SharedSettings& settings) {
    if (const auto& c = settings.CodesConditions) return SampleRateOf(c->filter, c->masterClockHz);
    return SampleRateOf(settings.FilterRegValue, settings.MasterClockHz);
}

std::optional<double> SampleRateOf(int32_t filterRegister, int32_t masterClockHz) {
    return link::UpdateRateOfRegister(filterRegister, masterClockHz);
}

ResolutionFigures ComputeResolutionFigures(const link::SharedSettings& settings) {
    return ComputeResolutionFigures(link::HeldCodes(settings.Codes, settings.CodesRead), DataFormatOf(settings),
                                    SampleRateOf(settings));
}

std::vector<ResolutionFigures::Entry> ResolutionFigures::Entries() const {
    using K = FigureKind;
    return {
        {"codes_read", "Codes read", K::Count, &codesRead},
        {"word_length_bits", "Word length in bits", K::Count, &wordLengthBits},
        {"sample_rate_hz", "Sample rate", K::Hertz, &sampleRateHz},
        {"full_scale_range_v", "Full-scale range", K::FormatVolts, &fullScaleRangeV},
        {"lsb_v", "LSB size", K::FormatVolts, &lsbV},
        {"mean_code", "Mean code", K::Code, &meanCode},
        {"mean_v", "Mean voltage", K::Volts, &meanV},
        {"min_code", "Min code", K::Code, &minCode},
        {"max_code", "Max code", K::Code, &maxCode},
        {"min_v", "Min voltage", K::Volts, &minV},
        {"max_v", "Max voltage", K::Volts, &maxV},
        {"rms_noise_lsb", "RMS noise in LSB", K::Lsb, &rmsNoiseLsb},
        {"rms_noise_v", "RMS noise in volts", K::Volts, &rmsNoiseV},
        {"peak_to_peak_noise_lsb", "Peak-to-peak noise in LSB", K::Lsb, &peakToPeakNoiseLsb},
        {"peak_to_peak_noise_v", "Peak-to-peak noise in volts", K::Volts, &peakToPeakNoiseV},
        {"effective_resolution_bits", "Effective resolution", K::Bits, &effectiveResolutionBits},
        {"noise_free_resolution_bits", "Noise-free resolution", K::Bits, &noiseFreeResolutionBits},
        {"noise_free_resolution_from_rms_bits", "Noise-free resolution (6.6 x RMS)", K::Bits,
         &noiseFreeResolutionFromRmsBits},
    };
}

std::string FigureText(const Figure& figure, FigureKind kind, double lsbVolts) {
    if (!figure.value) return "none (" + figure.reason + ")";
    const double v = *figure.value;
    switch (kind) {
    case FigureKind::Count: return platform::Format(v, "0");
    case FigureKind::Code: return platform::Format(v, "0.##");
    case FigureKind::Lsb: return platform::Format(v, "0.00") + " LSB";
    case FigureKind::Volts: return voltsText(v, lsbVolts);
    case FigureKind::FormatVolts: return formatVoltsText(v);
    case FigureKind::Bits: return platform::Format(v, "0.00") + " bits";
    case FigureKind::Hertz: return platform::Format(v, "0.00") + " Hz";
    }
    return {};
}

std::vector<FigureRow> FigureRows(const ResolutionFigures& figures) {
    const double lsbVolts = figures.lsbV.value.value_or(0);
    std::vector<FigureRow> rows;
    for (const auto& e : figures.Entries())
        rows.push_back({std::string(e.caption), FigureText(*e.figure, e.kind, lsbVolts)});
    return rows;
}

std::string FiguresText(const ResolutionFigures& figures) {
    const std::vector<FigureRow> rows = FigureRows(figures);
    std::size_t width = 0;
    for (const FigureRow& r : rows) width = std::max(width, r.caption.size());
    std::string text = std::string(kFiguresTitle) + "\n";
    for (const FigureRow& r : rows)
        text += "  " + r.caption + std::string(width - r.caption.size() + 2, ' ') + r.text + "\n";
    return text;
}

} // namespace qb::analysis
