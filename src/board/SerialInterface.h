#pragma once
// The converter's three-wire serial interface, edge by edge.
//
// Every transfer starts with a communications byte, bits 2..0 the register and bits 5..4 the
// operation (00 write, 01 read, 10 continuous read, 11 stop continuous read); bits 7, 6 and 3
// are ignored. Input bits are taken on rising clock edges. Output bits change after falling
// edges, most significant first, so the first falling edge of a read puts the top bit on
// data-out and the host samples after the clock has returned high.
// In continuous read of the data register the interface shifts out each new result (starting
// at the first falling edge while a result is unread) and watches data-in for the byte 48
// (30h), which ends continuous read at once, abandoning a result half shifted (it stays
// unread). Continuous read of another register reads it once.
// 32 consecutive ones on data-in reset the interface, whatever it was doing. So that those
// ones cannot complete a half-done write, a write whose last bit is 1 takes effect when
// data-in next shows 0 (the host's routines end every transfer with data 0); an interface
// reset before that drops it.
#include <cstdint>

#include "board/Converter.h"

namespace qb::board {

class SerialInterface {
public:
    explicit SerialInterface(Converter& converter) : converter_(converter) {}

    // Back to waiting for a communications byte.
    void reset();
    void fallingEdge();
    void risingEdge(bool dataIn);
    // The level of data-in after any port write that the converter sees.
    void dataLevel(bool dataIn);
    bool dataOut() const { return dataOut_; }
    bool continuousRead() const { return phase_ == Phase::Continuous; }

private:
    enum class Phase { Command, Write, Read, Continuous };
    void command(uint8_t byte);
    void shiftOut();
    void commitPending();

    Converter& converter_;
    Phase phase_ = Phase::Command;
    int reg_ = 0;
    uint32_t inWord_ = 0;
    int inCount_ = 0;   // bits taken in the current command or write
    int inBits_ = 8;    // bits the current write takes
    Converter::Word out_;
    bool shifting_ = false; // a word is being shifted out
    int outFalls_ = 0;      // bits put on data-out so far
    int outRises_ = 0;      // rising edges since the word was latched
    uint8_t watch_ = 0;     // the last eight data-in bits in continuous read
    int ones_ = 0;
    bool pending_ = false;  // a completed write waits for data-in to return to 0
    int pendingReg_ = 0;
    uint32_t pendingValue_ = 0;
    bool dataOut_ = false;
};

} // namespace qb::board
