#pragma once
// The simulated QB4160 evaluation board as the parallel port sees it: three port registers at
// offsets 0 (data, written by the PC), 1 (status, read) and 2 (control, kept as written).
//
// Data-register lines: bit 0 serial data in, bit 1 reset (active low), bit 3 serial clock,
// bit 4 board line. Status-register lines: bit 4 serial data out, bit 6 ready (low while a
// result is unread); the other status bits float high.
// The converter ignores clock edges unless the board line is high before and after the write.
// The reset line held low keeps the whole chip at its power-on state; it starts afresh when
// the line returns high.
#include <cstdint>

#include "board/Converter.h"
#include "board/SerialInterface.h"
#include "board/SimOptions.h"

namespace qb::board {

class Qb4160Board {
public:
    explicit Qb4160Board(const SimOptions& options = {});

    // A port access at `timeSeconds` of simulated time (earlier times count as the latest).
    void write(int offset, uint8_t value, double timeSeconds);
    uint8_t read(int offset, double timeSeconds);

    // When a status read can next give something new without a write in between (infinity
    // when never): a port may skip the reads before it.
    double nextStatusChange() const;

    // The board's view for tests and benchmarks: no port traffic involved.
    void setAnalogInput(int input, double millivolts, double timeSeconds);
    const SimOptions& options() const { return options_; }
    uint64_t resultsProduced() const { return converter_.resultsProduced(); }
    double conversionPeriod() const { return converter_.conversionPeriod(); }

private:
    SimOptions options_;
    Converter converter_;
    SerialInterface serial_;
    uint8_t data_ = 0x1A;    // the PC's data latch; rest state until the first write
    uint8_t control_ = 0xCC; // the PC's control register
    bool resetHeld_ = false;
};

} // namespace qb::board
