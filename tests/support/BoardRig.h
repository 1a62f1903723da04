#pragma once
// The simulated board on virtual time behind a recording port that leaves the busy polls of the
// ready line out of its log, started up as the program starts it (with `commandLine`) and its mode
// register then written with `mode` (unless negative); the log and the messages are cleared after.
// Its traffic reads as register transfers (RegisterTraffic.h).
#include <string>
#include <vector>

#include "app/SimPort.h"
#include "board/SimOptions.h"
#include "link/Context.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "support/RecordingPort.h"
#include "support/RegisterTraffic.h"
#include "support/ScriptedMessages.h"

namespace qb::test {

struct BoardRig {
    explicit BoardRig(int32_t mode = -1, board::SimOptions options = {}, std::string commandLine = "")
        : sim(options, board::TimeMode::Virtual), port(sim), ctx{port, messages, settings, std::move(commandLine)} {
        link::StartUp(ctx);
        if (mode >= 0) writeReg(link::comms::kModeWrite, link::comms::kModeBits, mode);
        clear();
        port.busyPolls = 0;
    }
    void writeReg(int16_t address, int16_t bits, int32_t value) {  // as Register::WriteReg does
        link::WriteSerial(ctx, address, settings.PortAddress, 8);
        link::WriteSerial(ctx, value, settings.PortAddress, bits);
    }
    // Puts `value` into the register that `address` writes, as above, and clears the log.
    void load(int16_t address, int32_t value) {
        static constexpr int16_t bits[8] = {8, 24, 16, 24, 8, 24, 24, 8};
        writeReg(address, bits[address & 7], value);
        port.clear();
    }
    void writeMode(int32_t mode) { load(link::comms::kModeWrite, mode); }
    // A fast output rate (filter word 64, chop on) keeps reads short.
    void fastFilter() { load(link::comms::kFilterWrite, (64 << 12) | 0x10); }
    std::vector<std::string> traffic() const { return RegisterTraffic(port.log); }
    void clear() {
        port.clear();
        messages.clear();
    }

    app::SimPort sim;
    QuietPollPort port;
    ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx;
};

inline board::SimOptions Fault(board::Fault fault) {
    board::SimOptions o;
    o.fault = fault;
    return o;
}

} // namespace qb::test
