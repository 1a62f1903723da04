#pragma once
// The port backend with the simulated evaluation board on it: parallel port 1 at 378h (status
// 379h, control 37Ah) carries a QB4160 board; other addresses read FFh and ignore writes.
//
// Time: in virtual mode every access (InByte or OutByte) advances the board's clock by 1 us
// and nothing else does, so runs are deterministic. In wall mode the clock is the time since
// construction, and accesses take 1 us each on average, as on an ISA parallel port, so poll-count
// time-outs last as long as they do with real hardware: a burst of accesses runs ahead of the
// real clock, and once it is more than kMaxLeadSeconds ahead the access sleeps until the real
// clock has caught up.
//
// A wait for the ready line (pollUntil on the status register) does not make every read: the
// board knows when its status can next change, so the reads before then are counted without
// being made. On virtual time the clock skips ahead; on wall-clock time the wait sleeps.
//
// It lives in app/, where the backends are chosen, because it is the one piece that knows both
// sides: the port interface of platform/ and the board of board/, which know nothing of each
// other.
#include <chrono>
#include <cstdint>
#include <string>

#include "board/Qb4160Board.h"
#include "board/SimOptions.h"
#include "platform/port/PortIo.h"

namespace qb::app {

class SimPort : public platform::PortIo {
public:
    static constexpr uint16_t kBaseAddress = 0x378;
    static constexpr double kAccessSeconds = 1e-6;
    static constexpr double kMaxLeadSeconds = 1e-3;

    // `whenUnset` is the time mode used unless options.time says otherwise.
    explicit SimPort(const board::SimOptions& options = {},
                     board::TimeMode whenUnset = board::TimeMode::Virtual);

    int ClaimParallelPort(int portNumber, int flags) override;
    int GetParallelPortInfo(int portNumber, platform::ParallelPortInfo& info) override;
    uint8_t InByte(uint16_t address) override;
    void OutByte(uint16_t address, uint8_t value) override;
    platform::PollRun pollUntil(uint16_t address, uint8_t mask, uint8_t want, int32_t limit) override;
    std::string describe() const override;
    std::string boardName() const override;
    bool clockIsVirtual() const override { return mode_ == board::TimeMode::Virtual; }
    void passTime(double seconds) override;
    double clockSeconds() const override { return virtualTimeSeconds(); }

    board::TimeMode timeMode() const { return mode_; }
    // The board's clock now, in seconds since construction.
    double virtualTimeSeconds() const;
    // Lets `seconds` of idle time pass (both modes: the clock jumps ahead).
    void advance(double seconds);

    board::Qb4160Board& board() { return board_; }

private:
    static constexpr int64_t kAccessTicks = 1000;  // virtual mode: nanoseconds per access

    // The clock moved on by one access; the time of that access.
    double accessTime();
    // The number of accesses from now, back to back, that would all take place before `t`.
    int64_t accessesBefore(double t) const;
    // The time of the n-th access from now, back to back.
    double timeAfter(int64_t n) const;
    // Moves the clock past n accesses that need not reach the board.
    void skipAccesses(int64_t n);
    double realSeconds() const;

    board::Qb4160Board board_;
    board::TimeMode mode_;
    int64_t ticks_ = 0;       // virtual mode: the clock, in nanoseconds
    double skipped_ = 0;      // wall mode: time added by advance()
    double lastAccess_ = 0;   // wall mode: the board's time of the last access
    std::chrono::steady_clock::time_point start_;
};

} // namespace qb::app
