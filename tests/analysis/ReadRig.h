#pragma once
// Shared by the data-reading tests (data reading window, headless acquisition): the simulated
// board on virtual time behind a recording port that leaves the busy polls of the ready line out
// of its log, and a walker that checks a port log access by access.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "app/SimPort.h"
#include "board/SimOptions.h"
#include "link/Context.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "support/ProgramRun.h"
#include "support/QuietPollPort.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::readtest {

inline constexpr uint16_t kBase = 0x378, kStatus = kBase + 1;

using test::QuietPollPort;

// The board started up as the program starts it; the log and the messages are cleared after.
struct Rig {
    explicit Rig(board::SimOptions options = {}) : sim(options, board::TimeMode::Virtual), port(sim) {
        link::StartUp(ctx);
        port.clear();
        messages.clear();
    }
    // A fast output rate (filter word 64, chop on) keeps reads short.
    void fastFilter() { writeReg(link::comms::kFilterWrite, link::comms::kFilterBits, (64 << 12) | 0x10); }
    void writeMode(int32_t mode) { writeReg(link::comms::kModeWrite, link::comms::kModeBits, mode); }
    void writeReg(int16_t address, int16_t bits, int32_t value) {  // as Register::WriteReg does
        link::WriteSerial(ctx, address, settings.PortAddress, 8);
        link::WriteSerial(ctx, value, settings.PortAddress, bits);
        port.clear();
    }

    app::SimPort sim;
    QuietPollPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
};

// The data-register bytes of a serial send of the low `bits` bits of `value`: 26, then per bit
// 26+b, 18+b, 26+b, then 26.
inline std::vector<int> SendBytes(int value, int bits) {
    std::vector<int> out{26};
    for (int j = bits - 1; j >= 0; --j) out.insert(out.end(), {26 + (value >> j & 1), 18 + (value >> j & 1), 26 + (value >> j & 1)});
    out.push_back(26);
    return out;
}

// Whether the data-register writes hold a serial send of `value` (8 bits) anywhere.
inline bool HoldsSend(const std::vector<int>& writes, int value) {
    const std::vector<int> send = SendBytes(value, 8);
    return std::search(writes.begin(), writes.end(), send.begin(), send.end()) != writes.end();
}

// Whether the data-register writes end with the stop byte 48 and then the data-port byte 27.
inline bool EndsContinuousReading(const std::vector<int>& writes) {
    std::vector<int> tail = SendBytes(48, 8);
    tail.push_back(27);
    return writes.size() >= tail.size() && std::equal(tail.begin(), tail.end(), writes.end() - tail.size());
}

// Walks a port log access by access, checking each against what the serial routines must do; at
// its end no access may be left over.
class Traffic {
public:
    explicit Traffic(const std::vector<test::PortAccess>& log) : log_(log) {}
    ~Traffic() { EXPECT_EQ(i_, log_.size()) << "accesses left over in the log"; }
    void write(int value) { next(true, kBase, value); }
    void send(int value, int bits) { for (int b : SendBytes(value, bits)) write(b); }
    int32_t readMode() { return send(18, 8), read(16); }  // the mode register
    void stop() { send(48, 8), write(27); }                // the end of continuous reading
    // A read: 26, for a data read the one ready poll that found the line low (busy polls are not
    // logged), then per bit 18, 26 and the status read that samples it. Returns the bits.
    int32_t read(int bits, bool whenReady = false) {
        write(26);
        EXPECT_EQ(whenReady ? next(false, kStatus) & link::kReadyBit : 0, 0) << "ready poll " << i_;
        int32_t value = 0;
        for (int j = bits - 1; j >= 0; --j) {
            write(18), write(26);
            if (next(false, kStatus) & link::kDataOutBit) value |= int32_t{1} << j;
        }
        return value;
    }

private:
    // Checks the next access (the value of a read is not checked) and returns its value.
    int next(bool write, uint16_t address, int value = -1) {
        const test::PortAccess a = i_ < log_.size() ? log_[i_] : test::PortAccess{!write, 0, 0};
        EXPECT_TRUE(a.write == write && a.address == address && (value < 0 || a.value == value))
            << "access " << i_ << (i_ < log_.size() ? "" : ", past the end of the log,") << " is "
            << (a.write ? "a write of " : "a read giving ") << int(a.value) << " at " << a.address;
        return ++i_, a.value;
    }
    const std::vector<test::PortAccess>& log_;
    std::size_t i_ = 0;
};

} // namespace qb::readtest
