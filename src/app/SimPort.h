#pragma once
// The port backend with the simulated evaluation board on it: parallel port 1 at 378h (status
// 379h, control 37Ah) carries a QB4160 board; other addresses read FFh and ignore writes.
//
// Time: in virtual mode every access (InByte or OutByte) advances the board's clock by 1 us
// and nothing else does, so runs are deterministic. In wall mode the clock is the time since
// construction, and every access takes at least 1 us as on an ISA parallel port, so poll-count
// time-outs last as long as they do with real hardware.
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

    // `whenUnset` is the time mode used unless options.time says otherwise.
    explicit SimPort(const board::SimOptions& options = {},
                     board::TimeMode whenUnset = board::TimeMode::Virtual);

    int ClaimParallelPort(int portNumber, int flags) override;
    int GetParallelPortInfo(int portNumber, platform::ParallelPortInfo& info) override;
    uint8_t InByte(uint16_t address) override;
    void OutByte(uint16_t address, uint8_t value) override;
    std::string describe() const override;
    bool clockIsVirtual() const override { return mode_ == board::TimeMode::Virtual; }
    void passTime(double seconds) override;

    board::TimeMode timeMode() const { return mode_; }
    // The board's clock now, in seconds since construction.
    double virtualTimeSeconds() const;
    // Lets `seconds` of idle time pass (both modes: the clock jumps ahead).
    void advance(double seconds);

    board::Qb4160Board& board() { return board_; }

private:
    double accessTime();

    board::Qb4160Board board_;
    board::TimeMode mode_;
    double virtual_ = 0;   // virtual mode: the clock
    double skipped_ = 0;   // wall mode: time added by advance()
    double lastAccess_ = 0;
    std::chrono::steady_clock::time_point start_;
};

} // namespace qb::app
