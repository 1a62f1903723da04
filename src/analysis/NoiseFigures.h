#pragma once
// The noise figures of the code buffer: the four statistics the noise window, the graph and the
// histogram share, the texts of the noise window's value labels and the frames that group them.
// Free of widgets, so the window and the headless analysis print the same figures.
#include <cstdint>
#include <optional>
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

// Statistics of codes[1..n], n = codesRead (index 0 is not a code); the sum runs in index
// order before the division. With no code at all every figure is 0. A buffer holding fewer
// than codesRead + 1 elements is taken only as far as it goes.
NoiseStatistics ComputeNoiseStatistics(const std::vector<double>& codes, int16_t codesRead);

// The same on the shared code buffer, storing AverageCode, RmsNoiseCodes, MaxCode, MinCode.
void ComputeNoiseStatistics(link::SharedSettings& settings);

// The data format the figures are shown in (the shared settings of the same names).
struct DataFormat {
    int16_t Polarity = 1;        // 1 unipolar, 2 bipolar
    int16_t InputRangeMv = 10;   // 10, 20, 40 or 80
    int16_t WordLengthBits = 24; // 16 or 24
    double RefVoltage = 5.0;     // 5.0 or 2.5
};
DataFormat DataFormatOf(const link::SharedSettings& settings);

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
NoiseLabels ShowNoiseResults(const NoiseStatistics& stats, int16_t codesRead, const DataFormat& format);

// The same from the shared settings (statistics, CodesRead and data format).
NoiseLabels ShowNoiseResults(const link::SharedSettings& settings);

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
