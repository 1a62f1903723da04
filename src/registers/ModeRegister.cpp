#include "registers/ModeRegister.h"

#include "link/Serial.h"
#include "platform/base/Numbers.h"

namespace qb::registers {

std::string RangeCaption(int index, bool unipolar) {
    const std::string mv = std::to_string(kRangesMv.at(static_cast<std::size_t>(index)));
    return (unipolar ? "0" : "-" + mv + "mV") + " to +" + mv + "mV";
}

std::string OutputLevelText(int output, bool high) {
    return "D" + std::to_string(output) + (high ? " is High" : " is Low");
}

std::array<std::string, 8> StatusTexts(int status) {
    auto bit = [status](int n) { return ((status >> n) & 1) != 0; };
    return {bit(7) ? "RDY Set" : "RDY Clear", bit(6) ? "STDY Set" : "STDY Clear",
            bit(5) ? "STBY Set" : "STBY Clear", bit(4) ? "No Ref" : "Ref OK",
            bit(3) ? "1" : "0", bit(2) ? "1" : "0", bit(1) ? "1" : "0", bit(0) ? "1" : "0"};
}

link::WaitOutcome WaitForCalibrationEnd(const link::Context& ctx) {
    // Without a port the ready line never falls: no need to poll for it.
    if (!link::PortReachable(ctx, ctx.settings.PortAddress)) return link::WaitOutcome::TimedOut;
    return link::WaitForReadyLine(ctx, kCalibrationPolls);
}

std::string CalibrationDoneText(int mode, int32_t registerValue) {
    return std::string(kOperatingModes.at(static_cast<std::size_t>(mode)).caption) + " done: " +
           (SetsOffset(mode) ? "offset" : "gain") + " register now " + platform::Hex(registerValue) +
           ". The QB4160 is idle: choose Continuous Conversion to read data.";
}

std::string CalibrationUnfinishedText(int mode, int32_t modeValue) {
    return std::string(kOperatingModes.at(static_cast<std::size_t>(mode)).caption) +
           " did not finish. The mode register holds " + platform::Hex(modeValue) + ".";
}

} // namespace qb::registers
