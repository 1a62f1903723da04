#include "analysis/AnalysisRead.h"

#include <chrono>
#include <string>

#include "link/Serial.h"
#include "link/Startup.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::analysis {

bool CheckContinuousMode(const link::Context& ctx) {
    link::SharedSettings& s = ctx.settings;
    link::WriteSerial(ctx, link::comms::kModeRead, s.PortAddress, 8);
    s.ModeRegValue = link::ReadSerial(ctx, link::comms::kModeBits, s.PortAddress);
    link::DecodeModeRegister(s);
    if ((s.ModeRegValue & kContinuousModeBit) == 0) {
        ctx.messages.exclamation(kNotContinuousMessage);
        return false;
    }
    return true;
}

std::optional<int16_t> ParseCodeCount(std::string_view text) {
    const std::optional<double> typed = platform::ParseNumber(text);
    if (!typed) return std::nullopt;
    // At most two decimals first, then the whole number: 12.499 is taken as 12.5 and so as 12.
    const std::optional<double> twoDecimals = platform::ParseNumber(platform::Format(*typed, "####.##"));
    if (!twoDecimals) return std::nullopt;
    return platform::ToInt16(*twoDecimals);
}

ReadOutcome ReadForAnalysis(const link::Context& ctx, link::ReadData& reader, int16_t codesToRead,
                            const AfterEachCode& afterEachCode) {
    link::SharedSettings& s = ctx.settings;
    const int16_t count = codesToRead < 0 ? 0 : codesToRead;
    s.CodesToRead = count;
    s.Codes.assign(static_cast<std::size_t>(count) + 1, 0.0);
    s.CodesRead = 0;
    s.CodesCapturedAt = std::chrono::system_clock::now();
    s.CodesConditions.reset();  // the converter's present set-up is theirs

    link::StartContinuousRead(ctx);
    ReadOutcome outcome = ReadOutcome::Complete;
    for (int16_t i = 1; i <= count; ++i) {
        s.CodesRead = i;
        const int32_t code = reader.Read();
        if (code == link::kStopped) {  // stopped while waiting: the codes before it are kept
            s.CodesRead = static_cast<int16_t>(i - 1);
            outcome = ReadOutcome::Stopped;
            break;
        }
        s.LastCode = code;
        if (s.LastCode == link::kNoData) {
            ctx.messages.exclamation(link::kReadErrorMessage);
            s.CodesRead = 0;
            outcome = ReadOutcome::NoData;
            break;
        }
        s.Codes[static_cast<std::size_t>(i)] = s.LastCode;
        if (afterEachCode && !afterEachCode(i, count)) {
            if (i < count) outcome = ReadOutcome::Stopped;
            break;
        }
    }
    link::StopContinuousRead(ctx);
    s.Codes.resize(static_cast<std::size_t>(s.CodesRead) + 1);
    return outcome;
}

} // namespace qb::analysis
