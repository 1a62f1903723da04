#pragma once
// The noise figures of the code buffer: the four statistics the noise window, the graph and the
// histogram share, the texts of the noise window's value labels and the frames that group them.
// Free of widgets, so the window and the headless analysis print the same figures.
#include <cstdint>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qb::link {
struct SharedSettings;
}

namespace qb::analysis {

// The text a volt label keeps when its value cannot be shown (10^9 nV or more): the window's
// placeholder, also printed by the headless analysis.
inline constexpr std::string_view kNoiseLabelPlaceholder = "-";

struct NoiseStatistics {
    double AverageCode = 0;
    double RmsNoiseCodes = 0;  // sample standard deviation (divisor n - 1); 0 for n < 2 or no spread
    double MaxCode = 0;
    double MinCode = 0;
};

// Statistics of the codes, however many; the sum runs in order before the division. With no
// code at all every figure is 0.
NoiseStatistics ComputeNoiseStatistics(std::span<const double> codes);

// The same on the shared code buffer, storing AverageCode, RmsNoiseCodes, MaxCode, MinCode.
void ComputeNoiseStatistics(link::SharedSettings& settings);

// The data format the figures are shown in (the shared settings of the same names).
struct DataFormat {
    int16_t Polarity = 1;        // 1 unipolar, 2 bipolar
    int16_t InputRangeMv = 10;   // 10, 20, 40 or 80
    int16_t WordLengthBits = 24; // 16 or 24
    double RefVoltage = 5.0;     // 5.0 or 2.5
};
// The data format of the codes in the shared code buffer: that of the mode register they came
// with (a CSV file), or else the converter's present data format (the settings of the same names).
DataFormat DataFormatOf(const link::SharedSettings& settings);
// The converter's present data format, whatever codes the buffer holds.
DataFormat PresentDataFormat(const link::SharedSettings& settings);
// The data format a mode register value gives, as start-up decodes it.
DataFormat DataFormatOfMode(int32_t modeRegister);

// Size of one code step in nanovolts: Polarity x InputRangeMv (the full input span in mV)
// / 2^WordLengthBits x 10^6.
double LsbNanovolts(const DataFormat& format);

// The code of zero volts for bipolar data: mid-scale, 2^(WordLengthBits - 1) (8388608 for 24-bit
// words, 32768 for 16-bit words).
double BipolarZeroCode(int16_t wordLengthBits);

// A voltage v in nanovolts in the unit that suits t (v or |v|): "0.000" with "nV" below 1000,
// "uV" below 10^6, "mV" below 10^9; nullopt at 10^9 and above (the label keeps its text).
std::optional<std::string> ScaleVolts(double v, double t);

// The texts of the noise window's value labels, named as the labels. Only the volt labels can
// be nullopt: the label keeps what it showed (kNoiseLabelPlaceholder on a fresh window).
struct NoiseLabels {
    std::string AverageValueLable;   // average code, hex
    std::string AveragevValueLable;  // average code rounded down, decimal
    std::string RMSValueLable;       // RMS noise in codes, hex
    std::string SpanValueLable;      // code span, hex
    std::string MaxValueLable;       // largest code, hex
    std::string MinValueLable;       // smallest code, hex
    std::string RefValueLable;       // "5.0V" or "2.5V"
    std::optional<std::string> Label13;  // RMS noise in volts
    std::string LSBValueLable;       // LSB size, "152.5879nV"
    std::string Label14;             // average voltage in uV
    std::string PkValueLabel;        // peak-to-peak resolution in counts, or "ERROR"
    std::string rms_noise;           // RMS resolution in counts, or "ERROR"
    std::string NoCodesLabel;        // number of codes
    std::optional<std::string> Label15;  // voltage span
    std::optional<std::string> Label16;  // max voltage
    std::optional<std::string> Label17;  // min voltage
    std::string lblPkToPkResolution; // noise-free resolution, " 17.36 Bits"

    // (label name, text) in the order the window sets them; nullopt as above.
    std::vector<std::pair<std::string_view, std::optional<std::string>>> Entries() const;
};

// The label texts for the given statistics of codesRead codes in the given data format.
// Bipolar voltages are taken from mid-scale of the word length (BipolarZeroCode).
NoiseLabels ShowNoiseResults(const NoiseStatistics& stats, std::size_t codesRead, const DataFormat& format);

// The same from the shared settings (statistics, CodesRead and the buffer's data format).
NoiseLabels ShowNoiseResults(const link::SharedSettings& settings);

// Where the conditions of the codes in the buffer come from: the file they were loaded from (a
// CSV file gives them), or else the converter's present set-up (codes read from the converter or
// loaded from a data file, which gives none).
enum class ConditionsSource { File, PresentSetUp };
ConditionsSource ConditionsSourceOf(const link::SharedSettings& settings);

// The line under the noise window's frames: the data format and sample rate the figures are
// worked out in, and where they come from: "±20 mV bipolar, 24-bit, 5 V reference, 100.00 Hz:
// from the file", "0 to 10 mV unipolar, 16-bit, 2.5 V reference, no sample rate: the
// converter's present set-up".
std::string ConditionsLine(const DataFormat& format, std::optional<double> sampleRateHz, ConditionsSource source);

// Whether "Plot Histogram" opens the histogram: 2 <= MaxCode - MinCode <= 2^WordLengthBits - 1.
bool HistogramAllowed(double maxCode, double minCode, int16_t wordLengthBits);

// The window's grouping of the figures, free of widgets (the headless analysis prints the same
// grouping): frames with their captions, each holding caption / value label rows.
struct NoiseRow {
    const char* captionName;        // the caption label
    const char* caption;
    const char* valueName;          // the value label (a NoiseLabels field of the same name)
    const char* hexName = nullptr;  // the "Hex" label beside a value in codes, if any
};
struct NoiseFrame {
    const char* name;
    const char* caption;
    std::vector<NoiseRow> rows;
};
inline constexpr const char* kNoiseTitle = "Noise Analysis";
inline constexpr const char* kHexCaption = "Hex";
// Frame2 to Frame6 in the window's reading order (Frame1 holds only the title).
const std::vector<NoiseFrame>& NoiseFrames();

} // namespace qb::analysis
