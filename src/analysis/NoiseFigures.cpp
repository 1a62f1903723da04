#include "analysis/NoiseFigures.h"

#include <algorithm>
#include <cmath>

#include "link/CodeCount.h"
#include "link/SharedSettings.h"
#include "link/Startup.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::analysis {

NoiseStatistics ComputeNoiseStatistics(std::span<const double> codes) {
    NoiseStatistics s;
    const std::size_t n = codes.size();
    if (n == 0) return s;

    s.MaxCode = codes[0];
    for (const double code : codes)
        if (code > s.MaxCode) s.MaxCode = code;
    s.MinCode = codes[0];
    for (const double code : codes)
        if (code < s.MinCode) s.MinCode = code;

    double sum = 0;
    for (const double code : codes) sum += code;
    s.AverageCode = sum / static_cast<double>(n);

    double squares = 0;
    for (const double code : codes) {
        const double d = code - s.AverageCode;
        squares += d * d;
    }
    s.RmsNoiseCodes = (n < 2 || squares == 0) ? 0 : std::sqrt(squares / static_cast<double>(n - 1));
    return s;
}

void ComputeNoiseStatistics(link::SharedSettings& settings) {
    const NoiseStatistics s = ComputeNoiseStatistics(link::HeldCodes(settings.Codes, settings.CodesRead));
    settings.AverageCode = s.AverageCode;
    settings.RmsNoiseCodes = s.RmsNoiseCodes;
    settings.MaxCode = s.MaxCode;
    settings.MinCode = s.MinCode;
}

DataFormat DataFormatOf(const link::SharedSettings& settings) {
    if (settings.CodesConditions) return DataFormatOfMode(settings.CodesConditions->mode);
    return PresentDataFormat(settings);
}

DataFormat PresentDataFormat(const link::SharedSettings& settings) {
    return {settings.Polarity, settings.InputRangeMv, settings.WordLengthBits, settings.RefVoltage};
}

DataFormat DataFormatOfMode(int32_t modeRegister) {
    link::SharedSettings decoded;
    decoded.ModeRegValue = modeRegister;
    link::DecodeModeRegister(decoded);
    return {decoded.Polarity, decoded.InputRangeMv, decoded.WordLengthBits, decoded.RefVoltage};
}

namespace {

// The full input span in millivolts.
int32_t spanMv(const DataFormat& f) { return int32_t{f.Polarity} * int32_t{f.InputRangeMv}; }

} // namespace

double LsbNanovolts(const DataFormat& format) {
    return static_cast<double>(spanMv(format)) / std::ldexp(1.0, format.WordLengthBits) * 1000000.0;
}

double BipolarZeroCode(int16_t wordLengthBits) { return std::ldexp(1.0, wordLengthBits - 1); }

std::optional<std::string> ScaleVolts(double v, double t) {
    if (t < 1000) return platform::Format(v, "0.000") + "nV";
    if (t < 1000000) return platform::Format(v / 1000, "0.000") + "uV";
    if (t < 1000000000) return platform::Format(v / 1000000, "0.000") + "mV";
    return std::nullopt;  // 10^9 nV and more, or not a number
}

NoiseLabels ShowNoiseResults(const NoiseStatistics& s, std::size_t codesRead, const DataFormat& f) {
    NoiseLabels l;
    const double span = s.MaxCode - s.MinCode;
    const double zero = BipolarZeroCode(f.WordLengthBits);

    l.AverageValueLable = platform::Hex(s.AverageCode);
    l.AveragevValueLable = platform::Format(std::floor(s.AverageCode), "0");
    l.RMSValueLable = platform::Hex(s.RmsNoiseCodes);
    l.SpanValueLable = platform::Hex(span);
    l.MaxValueLable = platform::Hex(s.MaxCode);
    l.MinValueLable = platform::Hex(s.MinCode);
    l.RefValueLable = f.RefVoltage == 5.0 ? "5.0V" : "2.5V";

    const double lsb = LsbNanovolts(f);
    const double rmsVolts = s.RmsNoiseCodes * lsb;
    l.Label13 = ScaleVolts(rmsVolts, rmsVolts);
    l.LSBValueLable = platform::Format(lsb, "0.####") + "nV";

    if (f.Polarity == 2)
        l.Label14 = platform::Format((s.AverageCode - zero) * lsb / 1000, "#.000") + "uV";
    else
        l.Label14 = platform::Format(s.AverageCode * lsb / 1000, "0.000") + "uV";

    if (s.MaxCode == s.MinCode) {
        l.PkValueLabel = "ERROR";
    } else {
        const int64_t numerator = int64_t{spanMv(f)} * 1000000;
        l.PkValueLabel = platform::Format(static_cast<double>(numerator) / (span * lsb), "0");
    }

    if (s.RmsNoiseCodes == 0)
        l.rms_noise = "ERROR";
    else
        l.rms_noise = platform::Format(static_cast<double>(spanMv(f)) / (s.RmsNoiseCodes * lsb) * 1000000, "######");

    l.NoCodesLabel = std::to_string(codesRead);

    const double spanVolts = span * lsb;
    l.Label15 = ScaleVolts(spanVolts, std::fabs(spanVolts));

    const double maxVolts = f.Polarity == 1 ? s.MaxCode * lsb : (s.MaxCode - zero) * lsb;
    const double minVolts = f.Polarity == 1 ? s.MinCode * lsb : (s.MinCode - zero) * lsb;
    l.Label16 = ScaleVolts(maxVolts, std::fabs(maxVolts));
    l.Label17 = ScaleVolts(minVolts, std::fabs(minVolts));

    if (s.MinCode == s.MaxCode) {
        l.lblPkToPkResolution = platform::Str(f.WordLengthBits) + " Bits";
    } else {
        const double bits = f.WordLengthBits - std::log(span) / std::log(2.0);
        l.lblPkToPkResolution = platform::Str(platform::RoundHalfEven(bits * 100) / 100) + " Bits";
    }
    return l;
}

NoiseLabels ShowNoiseResults(const link::SharedSettings& settings) {
    NoiseStatistics s;
    s.AverageCode = settings.AverageCode;
    s.RmsNoiseCodes = settings.RmsNoiseCodes;
    s.MaxCode = settings.MaxCode;
    s.MinCode = settings.MinCode;
    return ShowNoiseResults(s, link::CodesHeld(settings.Codes, settings.CodesRead), DataFormatOf(settings));
}

std::vector<std::pair<std::string_view, std::optional<std::string>>> NoiseLabels::Entries() const {
    return {
        {"AverageValueLable", AverageValueLable},
        {"AveragevValueLable", AveragevValueLable},
        {"RMSValueLable", RMSValueLable},
        {"SpanValueLable", SpanValueLable},
        {"MaxValueLable", MaxValueLable},
        {"MinValueLable", MinValueLable},
        {"RefValueLable", RefValueLable},
        {"Label13", Label13},
        {"LSBValueLable", LSBValueLable},
        {"Label14", Label14},
        {"PkValueLabel", PkValueLabel},
        {"rms_noise", rms_noise},
        {"NoCodesLabel", NoCodesLabel},
        {"Label15", Label15},
        {"Label16", Label16},
        {"Label17", Label17},
        {"lblPkToPkResolution", lblPkToPkResolution},
    };
}

ConditionsSource ConditionsSourceOf(const link::SharedSettings& settings) {
    return settings.CodesConditions ? ConditionsSource::File : ConditionsSource::PresentSetUp;
}

std::string ConditionsLine(const DataFormat& f, std::optional<double> sampleRateHz, ConditionsSource source) {
    std::string line = f.Polarity == 1 ? "0 to " + std::to_string(f.InputRangeMv) + " mV unipolar"
                                       : "\u00B1" + std::to_string(f.InputRangeMv) + " mV bipolar";
    line += ", " + std::to_string(f.WordLengthBits) + "-bit, " + platform::ShortestText(f.RefVoltage) + " V reference, ";
    line += sampleRateHz ? platform::Format(*sampleRateHz, "0.00") + " Hz" : std::string("no sample rate");
    return line + (source == ConditionsSource::File ? ": from the file" : ": the converter's present set-up");
}

bool HistogramAllowed(double maxCode, double minCode, int16_t wordLengthBits) {
    const double span = maxCode - minCode;
    return span >= 2 && span <= std::ldexp(1.0, wordLengthBits) - 1;
}

const std::vector<NoiseFrame>& NoiseFrames() {
    static const std::vector<NoiseFrame> frames{
        {"Frame2", "Conditions",
         {{"RefLable", "Ref. voltage", "RefValueLable"},
          {"LSBLable", "LSB Size", "LSBValueLable"},
          {"Label8", "Codes Read", "NoCodesLabel"}}},
        {"Frame3", "Results in LSBs",
         {{"Label1", "RMS Noise", "RMSValueLable", "Label2"},
          {"AverageLable", "Average Code", "AverageValueLable", "Label3"},
          {"SpanLable", "Code Span", "SpanValueLable", "Label4"},
          {"MaxLable", "Max Code", "MaxValueLable", "Label5"},
          {"MinLable", "Min Code", "MinValueLable", "Label6"}}},
        {"Frame4", "Resolution in Counts",
         {{"RMSvLable", "RMS Resolution", "rms_noise"},
          {"AveragevLable", "Average value", "AveragevValueLable"},
          {"PkLable", "Pk to Pk Resolution", "PkValueLabel"}}},
        {"Frame5", "Results in Volts",
         {{"Label7", "RMS Noise", "Label13"},
          {"Label9", "Average Voltage", "Label14"},
          {"Label10", "Voltage Span", "Label15"},
          {"Label11", "Max Voltage", "Label16"},
          {"Label12", "Min Voltage", "Label17"}}},
        {"Frame6", "Resolution in Bit", {{"Label18", "Pk to Pk", "lblPkToPkResolution"}}},
    };
    return frames;
}

} // namespace qb::analysis
