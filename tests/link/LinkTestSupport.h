#pragma once
// Shared pieces of the link tests: a rig of port, messages and settings; a status line that
// plays a script; a port that only counts (for the ten-million-poll waits); and a decoder that
// turns the data-register writes of one serial send back into the bits it carried.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/Context.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::linktest {

inline constexpr uint16_t kBase = 0x378;
inline constexpr uint16_t kStatus = kBase + 1;
inline constexpr uint16_t kControl = kBase + 2;

struct Rig {
    test::RecordingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};

    Rig() { settings.PortAddress = static_cast<int16_t>(kBase); }

    // Status reads answered in turn from `script`; once it runs out, `after`.
    void scriptStatus(std::deque<uint8_t> script, uint8_t after = 0xFF) {
        auto queue = std::make_shared<std::deque<uint8_t>>(std::move(script));
        port.reader = [queue, after](uint16_t) {
            if (queue->empty()) return after;
            const uint8_t v = queue->front();
            queue->pop_front();
            return v;
        };
    }
};

// Status bytes that present `bits` ("1011...") on the data-out line, ready line low.
inline std::deque<uint8_t> dataOut(const std::string& bits) {
    std::deque<uint8_t> out;
    for (char c : bits) out.push_back(c == '1' ? 0x10 : 0x00);
    return out;
}

inline std::string bitsOf(uint32_t value, int n) {
    std::string s;
    for (int j = n - 1; j >= 0; --j) s += ((value >> j) & 1u) ? '1' : '0';
    return s;
}

// The data-register bytes a serial send of `bits` must produce: the rest byte 26, then per bit
// data set up with clock high, clock low, clock high again, then 26.
inline std::vector<int> sendBytes(const std::string& bits) {
    std::vector<int> out{26};
    for (char c : bits) {
        const int b = c == '1' ? 1 : 0;
        out.insert(out.end(), {26 + b, 18 + b, 26 + b});
    }
    out.push_back(26);
    return out;
}

// A port that keeps only counts and the writes, for waits of millions of polls.
class CountingPort : public platform::PortIo {
public:
    uint8_t status = 0xFF;     // what every read gives ...
    int64_t readyAtRead = -1;  // ... except from this read on (1-based), which gives 0
    int64_t reads = 0;
    std::vector<test::PortAccess> writes;

    int ClaimParallelPort(int, int) override { return 1; }
    int GetParallelPortInfo(int, platform::ParallelPortInfo& info) override {
        info.baseAddress = kBase;
        return 1;
    }
    uint8_t InByte(uint16_t) override {
        ++reads;
        return (readyAtRead > 0 && reads >= readyAtRead) ? 0 : status;
    }
    void OutByte(uint16_t address, uint8_t value) override {
        writes.push_back({true, address, value});
    }
    std::string describe() const override { return "counting port"; }
};

} // namespace qb::linktest
