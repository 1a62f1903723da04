#include "link/Startup.h"

#include "link/Register.h"
#include "link/Serial.h"
#include "platform/Numbers.h"

namespace qb::link {

namespace {

// A register read is a whole number of at most 24 bits, so it always fits.
int32_t toRegisterValue(double read) { return platform::ToInt32(read).value_or(0); }

} // namespace

void InitSettings(const Context& ctx, const VersionQuery& query) {
    SharedSettings& s = ctx.settings;
    InitPort(ctx, query);
    s.TurnOffOutputsChosen = 0;
    s.MasterClockHz = kDefaultMasterClockHz;
    OutPort(ctx, s.PortAddress, kStartupByte);
    s.DialogChoice = 0;
    s.UpdatingControls = 0;

    Register reg(ctx);
    reg.setReadAddress(comms::kModeRead);
    reg.setWordLength(comms::kModeBits);
    s.ModeRegValue = toRegisterValue(reg.ReadReg());
    DecodeModeRegister(s);
    reg.setReadAddress(comms::kFilterRead);
    reg.setWordLength(comms::kFilterBits);
    s.FilterRegValue = toRegisterValue(reg.ReadReg());
}

void DecodeModeRegister(SharedSettings& s) {
    const int32_t mode = s.ModeRegValue;
    auto bit = [mode](int n) { return (mode >> n) & 1; };
    if (bit(7)) s.RefVoltage = 5.0;
    s.Polarity = bit(12) ? 1 : 2;
    s.DigitalOutputsOn = bit(11) ? 1 : 0;
    s.WordLengthBits = bit(8) ? 24 : 16;
    if (!bit(7)) s.RefVoltage = 2.5;
    static constexpr int16_t ranges[] = {10, 20, 40, 80};
    s.InputRangeMv = ranges[(mode >> 4) & 3];
}

bool SlowClockRequested(const std::string& commandLine) {
    return commandLine == "L" || commandLine == "l";
}

void ApplyCommandLineClock(const Context& ctx) {
    if (SlowClockRequested(ctx.commandLine)) ctx.settings.MasterClockHz = kSlowMasterClockHz;
}

void StartUp(const Context& ctx, const VersionQuery& query) {
    InitSettings(ctx, query);
    ApplyCommandLineClock(ctx);
}

} // namespace qb::link
