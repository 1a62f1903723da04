#include "analysis/CodesCsv.h"

#include <ctime>

#include "analysis/ResolutionFigures.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::analysis {

std::string UtcTimeText(std::chrono::system_clock::time_point t) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm utc{};
    if (!gmtime_r(&seconds, &utc)) return "unknown";
    char buf[32];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return n ? std::string(buf, n) : std::string("unknown");
}

std::string CodesCsvHeader(const link::Conditions& conditions, CaptureTime capturedAt) {
    const DataFormat format = DataFormatOfMode(conditions.mode);
    const std::optional<double> rate = SampleRateOf(conditions.filter, conditions.masterClockHz);
    std::string text = std::string(link::kCodesCsvTitle) + "\n";
    text += "# captured: " + (capturedAt ? UtcTimeText(*capturedAt) : std::string("unknown (codes loaded from a file)")) + "\n";
    for (const auto& [name, value] : link::ConditionFields(conditions)) text += "# " + std::string(name) + ": " + value + "\n";
    text += "# sample_rate_hz: " +
            (rate ? platform::ShortestText(*rate) : std::string("none (") + kNoSampleRateReason + ")") + "\n";
    text += std::string("# polarity: ") + (format.Polarity == 1 ? "unipolar" : "bipolar") + "\n";
    text += "# word_length_bits: " + std::to_string(format.WordLengthBits) + "\n";
    text += "# input_range_mv: " + std::string(format.Polarity == 1 ? "0 to " : "+-") + std::to_string(format.InputRangeMv) + "\n";
    text += "# reference_v: " + platform::ShortestText(format.RefVoltage) + "\n";
    return text;
}

std::string CodesCsv(std::span<const double> codes, const link::Conditions& conditions, CaptureTime capturedAt) {
    const DataFormat format = DataFormatOfMode(conditions.mode);
    std::string text = CodesCsvHeader(conditions, capturedAt) + "index,code,volts\n";
    for (std::size_t i = 0; i < codes.size(); ++i)
        text += std::to_string(i + 1) + "," + platform::ShortestText(codes[i]) + "," +
                platform::ShortestText(CodeVolts(codes[i], format)) + "\n";
    return text;
}

} // namespace qb::analysis
