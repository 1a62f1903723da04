#include "board/Qb4160Board.h"

#include <limits>

namespace qb::board {
namespace {
constexpr uint8_t kDataIn = 0x01;
constexpr uint8_t kResetLine = 0x02;
constexpr uint8_t kClock = 0x08;
constexpr uint8_t kBoardLine = 0x10;
constexpr uint8_t kDataOut = 0x10;
constexpr uint8_t kReady = 0x40;
constexpr uint8_t kFloatingStatus = 0xFF & ~(kDataOut | kReady);
} // namespace

Qb4160Board::Qb4160Board(const SimOptions& options)
    : options_(options), converter_(options), serial_(converter_) {}

void Qb4160Board::write(int offset, uint8_t value, double t) {
    if (offset == 2) {
        control_ = value;
        return;
    }
    if (offset != 0) return;
    const uint8_t previous = data_;
    data_ = value;
    if (options_.fault == Fault::Absent) return;

    converter_.advanceTo(t);
    if (!(value & kResetLine)) {
        // Held in reset: every register at its power-on value, the interface waiting.
        converter_.powerOn(t, true);
        serial_.reset();
        resetHeld_ = true;
        return;
    }
    if (resetHeld_) {
        converter_.powerOn(t, false);
        serial_.reset();
        resetHeld_ = false;
        return;
    }
    if (!(previous & kBoardLine) || !(value & kBoardLine)) return;
    const bool wasHigh = previous & kClock;
    const bool isHigh = value & kClock;
    if (wasHigh && !isHigh) serial_.fallingEdge();
    else if (!wasHigh && isHigh) serial_.risingEdge(value & kDataIn);
    serial_.dataLevel(value & kDataIn);
}

uint8_t Qb4160Board::read(int offset, double t) {
    switch (offset) {
    case 0: return data_;
    case 2: return control_;
    case 1: break;
    default: return 0xFF;
    }
    if (options_.fault == Fault::Absent) return 0xFF;
    converter_.advanceTo(t);
    uint8_t s = kFloatingStatus;
    if (serial_.dataOut()) s |= kDataOut;
    if (!converter_.readyLineLow()) s |= kReady;
    return s;
}

double Qb4160Board::nextStatusChange() const {
    if (options_.fault == Fault::Absent || resetHeld_) return std::numeric_limits<double>::infinity();
    return converter_.nextChange();
}

void Qb4160Board::setAnalogInput(int input, double millivolts, double t) {
    converter_.advanceTo(t);
    converter_.setAnalogInput(input, millivolts);
}

} // namespace qb::board
