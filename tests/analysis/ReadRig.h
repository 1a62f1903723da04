#pragma once
// Shared pieces of the data-reading tests (analysis read, data reading window, headless
// acquisition): the simulated board on virtual time behind a recording port that leaves the busy
// polls of the ready line out of its log, and a walker that checks a port log access by access
// against what the serial routines must do.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "board/SimOptions.h"
#include "link/Context.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "link/Startup.h"
#include "platform/SimPort.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::readtest {

inline constexpr uint16_t kBase = 0x378;
inline constexpr uint16_t kStatus = kBase + 1;

// A recording port that keeps the busy polls of the ready line out of the log (counting them), so
// reads of thousands of polls stay small. A busy poll is a status read that finds the line high
// and is not the sample of a clocked bit (a bit is sampled right after the writes 18, 26). Every
// other access is kept in order.
class QuietPollPort : public test::RecordingPort {
public:
    using RecordingPort::RecordingPort;
    bool dropBusyPolls = true;
    int64_t busyPolls = 0;
    // Ready signals seen so far (ready waits that ended with the line low), and a hook that runs
    // with their count at each one, before the word is clocked in.
    int64_t readySignals = 0;
    std::function<void(int64_t)> onReady;

    uint8_t InByte(uint16_t address) override {
        const uint8_t v = RecordingPort::InByte(address);
        const bool bitSample = last_ == 26 && beforeLast_ == 18;
        if (dropBusyPolls && address == kStatus && !bitSample && (v & link::kReadyBit)) {
            ++busyPolls;
            log.pop_back();
        } else if (address == kStatus && !bitSample && !(v & link::kReadyBit)) {
            ++readySignals;
            if (onReady) onReady(readySignals);
        }
        beforeLast_ = last_;
        last_ = -1;
        return v;
    }
    void OutByte(uint16_t address, uint8_t value) override {
        RecordingPort::OutByte(address, value);
        beforeLast_ = last_;
        last_ = address == kBase ? value : -1;
    }

private:
    int last_ = -1, beforeLast_ = -1;  // the last two accesses: a data-register byte, or -1
};

// The board started up as the program starts it; the log and the messages are cleared after.
struct Rig {
    explicit Rig(board::SimOptions options = {}) : sim(options, board::TimeMode::Virtual), port(sim) {
        link::StartUp(ctx);
        port.clear();
        messages.clear();
    }
    // A fast output rate (filter word 64, chop on) keeps reads short.
    void fastFilter() {
        link::Register reg(ctx);
        reg.setWriteAddress(link::comms::kFilterWrite);
        reg.setWordLength(link::comms::kFilterBits);
        reg.setRegValue((64 << 12) | 0x10);
        reg.WriteReg();
        port.clear();
    }
    void writeMode(int32_t mode) {
        link::Register reg(ctx);
        reg.setWriteAddress(link::comms::kModeWrite);
        reg.setWordLength(link::comms::kModeBits);
        reg.setRegValue(mode);
        reg.WriteReg();
        port.clear();
    }
    link::ReadData reader() {
        link::ReadData r(ctx);
        r.setReadAddress(link::comms::kStartContinuousRead);
        r.setWordLength(settings.WordLengthBits);
        return r;
    }

    platform::SimPort sim;
    QuietPollPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
};

// Walks a port log access by access, checking each against what the serial routines must do.
class Traffic {
public:
    explicit Traffic(const std::vector<test::PortAccess>& log) : log_(log) {}

    bool atEnd() const { return i_ == log_.size(); }

    void write(uint8_t value) {
        ASSERT_LT(i_, log_.size()) << "log ends where write " << int(value) << " was due";
        EXPECT_EQ(log_[i_], (test::PortAccess{true, kBase, value})) << "access " << i_;
        ++i_;
    }
    // A serial send: 26, then per bit 26+b, 18+b, 26+b, then 26.
    void send(int value, int bits) {
        write(26);
        for (int j = bits - 1; j >= 0; --j) {
            const uint8_t b = (value >> j) & 1;
            write(26 + b);
            write(18 + b);
            write(26 + b);
        }
        write(26);
    }
    // Clocks in `bits` bits (18, 26, status read per bit) and returns them.
    int32_t clockIn(int bits) {
        int32_t value = 0;
        for (int j = bits - 1; j >= 0; --j) {
            write(18);
            write(26);
            EXPECT_LT(i_, log_.size());
            if (i_ >= log_.size()) return value;
            EXPECT_FALSE(log_[i_].write);
            EXPECT_EQ(log_[i_].address, kStatus);
            if (log_[i_].value & link::kDataOutBit) value |= int32_t{1} << j;
            ++i_;
        }
        return value;
    }
    // A register read without ready wait: 26, then the bits.
    int32_t read(int bits) {
        write(26);
        return clockIn(bits);
    }
    // A data read: 26, the one ready poll that found the line low (busy polls are not logged),
    // then the bits.
    int32_t readWhenReady(int bits) {
        write(26);
        EXPECT_LT(i_, log_.size());
        if (i_ >= log_.size()) return 0;
        EXPECT_EQ(log_[i_].address, kStatus);
        EXPECT_FALSE(log_[i_].write);
        EXPECT_EQ(log_[i_].value & link::kReadyBit, 0) << "access " << i_;
        ++i_;
        return clockIn(bits);
    }

private:
    const std::vector<test::PortAccess>& log_;
    std::size_t i_ = 0;
};

// The data-register bytes of a serial send of the low `bits` bits of `value`.
inline std::vector<int> SendBytes(int value, int bits) {
    std::vector<int> out{26};
    for (int j = bits - 1; j >= 0; --j) {
        const int b = (value >> j) & 1;
        out.insert(out.end(), {26 + b, 18 + b, 26 + b});
    }
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

} // namespace qb::readtest
