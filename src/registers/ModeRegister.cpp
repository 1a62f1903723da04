#include "registers/ModeRegister.h"

#include "link/Serial.h"

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

bool WaitForCalibrationEnd(const link::Context& ctx) {
    const int16_t base = ctx.settings.PortAddress;
    // Without a port the ready line never falls: no need to poll for it.
    if (!link::PortReachable(ctx, base)) return false;
    return link::PollReadyLine(ctx, base, kCalibrationPolls).ready;
}

} // namespace qb::registers
