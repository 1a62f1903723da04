#include "link/Startup.h"

#include "link/FilterRate.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "platform/base/Numbers.h"

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

bool ConverterAnswered(const SharedSettings& s) {
    const bool allOnes = s.ModeRegValue == 0xFFFF && s.FilterRegValue == 0xFFFFFF;
    const bool allZeros = s.ModeRegValue == 0 && s.FilterRegValue == 0;
    return !allOnes && !allZeros && FilterWordOf(s.FilterRegValue) >= kMinFilterWord;
}

std::string NoAnswerMessage(const Context& ctx) {
    const SharedSettings& s = ctx.settings;
    std::string text = "The QB4160 does not answer on " + ctx.port.describe() + " (port address 0x" +
                       platform::Hex(static_cast<uint16_t>(s.PortAddress)) + "): the mode register reads " +
                       platform::Hex(s.ModeRegValue) + " and the filter register " + platform::Hex(s.FilterRegValue) +
                       ", which no working converter holds. Check that the board is on this port, "
                       "connected and powered.";
    text += ctx.headless ? " Name another port with --board=ppdev:DEVICE or --board=io:ADDRESS."
                         : " Another port can be chosen with \"Select Printer Port\" on the main menu.";
    return text;
}

bool StartUp(const Context& ctx, const VersionQuery& query) {
    InitSettings(ctx, query);
    // Without a known port the user has already been told why the board is left alone.
    const bool portKnown = PortUsable(ctx.settings.PortAddress);
    const bool answered = portKnown && ConverterAnswered(ctx.settings);
    if (portKnown && !answered) ctx.messages.exclamation(NoAnswerMessage(ctx));
    ApplyCommandLineClock(ctx);
    return answered;
}

} // namespace qb::link
