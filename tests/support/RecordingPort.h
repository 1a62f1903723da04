#pragma once
// A port for tests: records every access in order and answers reads from a function of the
// address (by default a fixed byte per address). It can also sit in front of another port
// (the simulated board) and record what passes.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/port/PortIo.h"

namespace qb::test {

struct PortAccess {
    bool write = false;
    uint16_t address = 0;
    uint8_t value = 0;
    bool operator==(const PortAccess&) const = default;
};

class RecordingPort : public platform::PortIo {
public:
    RecordingPort() = default;
    explicit RecordingPort(platform::PortIo& inner) : inner_(&inner) {}

    // Answers for reads when there is no inner port: reader(address) or, failing that,
    // fixed[address], or 0xFF.
    std::function<uint8_t(uint16_t)> reader;
    std::map<uint16_t, uint8_t> fixed;
    int claimResult = 1;
    std::string claimFailure;  // what failureReason() says (when there is no inner port)
    int infoResult = 1;
    uint32_t infoBase = 0x378;

    std::vector<PortAccess> log;
    int claims = 0;

    int ClaimParallelPort(int port, int flags) override {
        ++claims;
        return inner_ ? inner_->ClaimParallelPort(port, flags) : claimResult;
    }
    int GetParallelPortInfo(int port, platform::ParallelPortInfo& info) override {
        if (inner_) return inner_->GetParallelPortInfo(port, info);
        if (infoResult) info.baseAddress = infoBase;
        return infoResult;
    }
    uint8_t InByte(uint16_t address) override {
        uint8_t v = 0xFF;
        if (inner_) v = inner_->InByte(address);
        else if (reader) v = reader(address);
        else if (auto it = fixed.find(address); it != fixed.end()) v = it->second;
        log.push_back({false, address, v});
        return v;
    }
    void OutByte(uint16_t address, uint8_t value) override {
        log.push_back({true, address, value});
        if (inner_) inner_->OutByte(address, value);
    }
    std::string describe() const override { return "recording port"; }
    std::string boardName() const override { return inner_ ? inner_->boardName() : describe(); }
    std::string failureReason() const override { return inner_ ? inner_->failureReason() : claimFailure; }
    // Alone, the recording port keeps virtual time, so waits take none; in front of another
    // port it keeps that port's clock.
    bool clockIsVirtual() const override { return inner_ ? inner_->clockIsVirtual() : true; }
    double clockSeconds() const override { return inner_ ? inner_->clockSeconds() : 0.0; }
    void passTime(double seconds) override {
        waits.push_back(seconds);
        if (inner_) inner_->passTime(seconds);
        if (onWait) onWait();
    }
    // Every wait of the program, in seconds, in order.
    std::vector<double> waits;
    // Runs at every wait, once its time has passed.
    std::function<void()> onWait;

    // The values written to `address`, in order.
    std::vector<int> writesTo(uint16_t address) const {
        std::vector<int> out;
        for (const auto& a : log)
            if (a.write && a.address == address) out.push_back(a.value);
        return out;
    }
    int readsFrom(uint16_t address) const {
        int n = 0;
        for (const auto& a : log)
            if (!a.write && a.address == address) ++n;
        return n;
    }
    void clear() { log.clear(); }

private:
    platform::PortIo* inner_ = nullptr;
};

// A recording port that leaves the busy polls of the ready line out of its log: a status read at
// 379h that finds the ready line high and is not a bit sample (a bit is sampled right after the
// data-register writes 18, 26) is counted, not logged. The poll that finds the line low stays in
// the log. Waits of millions of polls thus stay cheap to record.
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
