#include "analysis/CodesCsv.h"

#include <algorithm>
#include <ctime>

#include "analysis/ResolutionFigures.h"
#include "link/CodeCount.h"
#include "link/SharedSettings.h"
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

std::string CodesCsv(const link::SharedSettings& s) {
    const DataFormat format = DataFormatOf(s);
    const std::optional<double> rate = SampleRateOf(s);
    const std::size_t n = link::CodesHeld(s.Codes, s.CodesRead);

    std::string text = "# QB4160 codes\n";
    text += "# captured: " +
            (s.CodesCapturedAt ? UtcTimeText(*s.CodesCapturedAt) : std::string("unknown (codes loaded from a file)")) + "\n";
    text += "# mode_register: " + platform::Hex(s.ModeRegValue) + "\n";
    text += "# filter_register: " + platform::Hex(s.FilterRegValue) + "\n";
    text += "# dac_register: " + platform::Hex(s.DacRegValue) + "\n";
    text += "# master_clock_hz: " + std::to_string(s.MasterClockHz) + "\n";
    text += "# sample_rate_hz: " +
            (rate ? platform::ShortestText(*rate) : std::string("none (") + kNoSampleRateReason + ")") + "\n";
    text += std::string("# polarity: ") + (format.Polarity == 1 ? "unipolar" : "bipolar") + "\n";
    text += "# word_length_bits: " + std::to_string(format.WordLengthBits) + "\n";
    text += "# input_range_mv: " + std::string(format.Polarity == 1 ? "0 to " : "+-") + std::to_string(format.InputRangeMv) + "\n";
    text += "# reference_v: " + platform::ShortestText(format.RefVoltage) + "\n";
    text += "index,code,volts\n";
    for (std::size_t i = 1; i <= n; ++i)
        text += std::to_string(i) + "," + platform::ShortestText(s.Codes[i]) + "," +
                platform::ShortestText(CodeVolts(s.Codes[i], format)) + "\n";
    return text;
}

} // namespace qb::analysis
