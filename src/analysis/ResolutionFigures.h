#pragma once
// What an engineer evaluating the converter looks for first, from the code buffer and the data
// format: noise in LSB and in volts, effective and noise-free resolution in bits, the full-scale
// range, the sample rate. Numbers in base units (volts, codes, bits, hertz), kept apart from the
// texts made of them, so the figures panel, the headless analysis (plain text and JSON) and the
// tests share one computation. Free of widgets.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/NoiseFigures.h"

namespace qb::link {
struct SharedSettings;
}

namespace qb::analysis {

// A figure: its value, or none with the reason why it has none (never a made-up number).
struct Figure {
    std::optional<double> value;
    std::string reason;  // set exactly when there is no value

    static Figure Of(double v) { return {v, {}}; }
    static Figure None(std::string why) { return {std::nullopt, std::move(why)}; }
};

// How a figure is written as text.
enum class FigureKind {
    Count,      // whole number: "500"
    Code,       // a code, up to two decimals: "9437183.12"
    Lsb,        // codes of noise, two decimals: "4.33 LSB"
    Volts,      // a measured voltage, to a tenth of an LSB or better: "10.000123 mV"
    FormatVolts,// a voltage of the data format, up to four decimals: "9.5367 nV", "160 mV"
    Bits,       // two decimals: "19.19 bits"
    Hertz,      // two decimals: "50.00 Hz"
};

struct ResolutionFigures {
    Figure codesRead;
    Figure wordLengthBits;
    Figure sampleRateHz;
    Figure fullScaleRangeV;                 // the input span: polarity x range
    Figure lsbV;                            // full-scale range / 2^N
    Figure meanCode, meanV;
    Figure minCode, maxCode, minV, maxV;
    Figure rmsNoiseLsb, rmsNoiseV;          // sample standard deviation (divisor n - 1)
    Figure peakToPeakNoiseLsb, peakToPeakNoiseV;  // largest minus smallest code
    Figure effectiveResolutionBits;         // log2(2^N / RMS noise)
    Figure noiseFreeResolutionBits;         // log2(2^N / peak-to-peak noise), as measured
    Figure noiseFreeResolutionFromRmsBits;  // log2(2^N / (6.6 x RMS noise)), as data sheets give it

    struct Entry {
        std::string_view key;      // snake_case, for scripts: "rms_noise_lsb"
        std::string_view caption;  // for people: "RMS noise in LSB"
        FigureKind kind;
        const Figure* figure;      // into this object
    };
    // Every figure in reading order.
    std::vector<Entry> Entries() const;
};

// The voltage of a code in volts: bipolar codes from mid-scale of the word length.
double CodeVolts(double code, const DataFormat& format);

// The figures of the codes, however many, in the given data format, at the given sample rate
// (nullopt when the filter register gives none). With fewer than two codes there is no noise;
// with no spread (all codes equal) the noise is 0 and the resolutions are none.
ResolutionFigures ComputeResolutionFigures(std::span<const double> codes, const DataFormat& format,
                                           std::optional<double> sampleRateHz);

// The same on the shared code buffer, its data format and the rate of its filter register at
// its master clock.
ResolutionFigures ComputeResolutionFigures(const link::SharedSettings& settings);

// The sample rate of the codes in the shared code buffer: that of the filter register and master
// clock they came with (a CSV file), or else of the converter's present ones.
std::optional<double> SampleRateOf(const link::SharedSettings& settings);
// The sample rate of a filter register value at a master clock.
std::optional<double> SampleRateOf(int32_t filterRegister, int32_t masterClockHz);

// Why a data format has no sample rate, for the figures and the spectrum.
inline constexpr const char* kNoSampleRateReason = "filter word 0: the filter register gives no rate";

// A figure as text: its value with its unit ("4.33 LSB", "41.31 nV"), or "none (reason)".
// Measured voltages get as many decimals as one tenth of `lsbVolts` needs in their unit.
std::string FigureText(const Figure& figure, FigureKind kind, double lsbVolts);

// Heading of the figures group (panel and plain text).
inline constexpr const char* kFiguresTitle = "Noise and Resolution";

struct FigureRow {
    std::string caption;
    std::string text;
};
// Caption and text of every figure, in reading order.
std::vector<FigureRow> FigureRows(const ResolutionFigures& figures);

// The figures as plain text: the heading, then one line per figure ("  caption  text") with the
// captions padded to one width. What the panel copies and the headless analysis prints.
std::string FiguresText(const ResolutionFigures& figures);

} // namespace qb::analysis
