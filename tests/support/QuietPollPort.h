#pragma once
// A recording port that leaves the busy polls of the ready line out of its log: a status read at
// 379h that finds the ready line high and is not a bit sample (a bit is sampled right after the
// data-register writes 18, 26) is counted, not logged. The poll that finds the line low stays in
// the log. Waits of millions of polls thus stay cheap to record.
#include <cstdint>
#include <functional>

#include "support/RecordingPort.h"

namespace qb::test {

class QuietPollPort : public RecordingPort {
public:
    using RecordingPort::RecordingPort;
    static constexpr uint16_t kData = 0x378, kStatus = 0x379;
    static constexpr uint8_t kReadyBit = 64;

    int64_t busyPolls = 0;
    // Runs at every busy poll, after it was counted.
    std::function<void()> onBusyPoll;

    uint8_t InByte(uint16_t address) override {
        const uint8_t v = RecordingPort::InByte(address);
        if (address == kStatus && !(prev_ == 18 && last_ == 26) && (v & kReadyBit)) {
            ++busyPolls;
            log.pop_back();
            if (onBusyPoll) onBusyPoll();
        }
        prev_ = last_, last_ = -1;
        return v;
    }
    void OutByte(uint16_t address, uint8_t value) override {
        RecordingPort::OutByte(address, value);
        prev_ = last_, last_ = address == kData ? value : -1;
    }

private:
    int prev_ = -1, last_ = -1;  // the last two accesses: a data-register byte, or -1
};

} // namespace qb::test
