#include "board/SerialInterface.h"

namespace qb::board {
namespace {
constexpr uint8_t kStopContinuous = 0x30;
constexpr int kResetOnes = 32;
} // namespace

void SerialInterface::reset() {
    pending_ = false;
    phase_ = Phase::Command;
    inWord_ = 0;
    inCount_ = 0;
    shifting_ = false;
    watch_ = 0;
    ones_ = 0;
}

void SerialInterface::shiftOut() {
    if (!shifting_ || outFalls_ >= out_.bits) return;
    dataOut_ = (out_.value >> (out_.bits - 1 - outFalls_)) & 1u;
    ++outFalls_;
}

void SerialInterface::fallingEdge() {
    switch (phase_) {
    case Phase::Read: shiftOut(); break;
    case Phase::Continuous:
        if (!shifting_ && converter_.readyLineLow()) {
            out_ = converter_.latchResult();
            shifting_ = true;
            outFalls_ = outRises_ = 0;
        }
        shiftOut();
        break;
    default: break;
    }
}

void SerialInterface::commitPending() {
    if (!pending_) return;
    pending_ = false;
    converter_.writeRegister(pendingReg_, pendingValue_);
}

void SerialInterface::dataLevel(bool dataIn) {
    if (!dataIn) commitPending();
}

void SerialInterface::risingEdge(bool dataIn) {
    ones_ = dataIn ? ones_ + 1 : 0;
    if (ones_ >= kResetOnes) {
        reset();
        return;
    }
    if (!dataIn) commitPending();
    switch (phase_) {
    case Phase::Command:
        // Every communications byte starts with a 0. Ones while the interface waits for one are
        // ignored, so the tail of a write that ended in ones followed by the 32 ones of an
        // interface reset leaves the interface in step rather than halfway into a byte.
        if (inCount_ == 0 && dataIn) break;
        inWord_ = (inWord_ << 1) | (dataIn ? 1u : 0u);
        if (++inCount_ == 8) command(static_cast<uint8_t>(inWord_));
        break;
    case Phase::Write:
        inWord_ = (inWord_ << 1) | (dataIn ? 1u : 0u);
        if (++inCount_ == inBits_) {
            if (dataIn) {
                pending_ = true;
                pendingReg_ = reg_;
                pendingValue_ = inWord_;
            } else {
                converter_.writeRegister(reg_, inWord_);
            }
            phase_ = Phase::Command;
            inWord_ = 0;
            inCount_ = 0;
        }
        break;
    case Phase::Read:
        if (++outRises_ >= out_.bits) {
            converter_.readDone(out_);
            shifting_ = false;
            phase_ = Phase::Command;
            inWord_ = 0;
            inCount_ = 0;
        }
        break;
    case Phase::Continuous:
        watch_ = static_cast<uint8_t>((watch_ << 1) | (dataIn ? 1 : 0));
        if (shifting_ && ++outRises_ >= out_.bits) {
            converter_.readDone(out_);
            shifting_ = false;
        }
        if (watch_ == kStopContinuous) {
            shifting_ = false;
            phase_ = Phase::Command;
            inWord_ = 0;
            inCount_ = 0;
        }
        break;
    }
}

void SerialInterface::command(uint8_t byte) {
    reg_ = byte & 7;
    const int op = (byte >> 4) & 3;
    inWord_ = 0;
    inCount_ = 0;
    switch (op) {
    case 0: // write
        inBits_ = converter_.length(reg_);
        phase_ = Phase::Write;
        break;
    case 2: // continuous read
        if (reg_ == kData) {
            phase_ = Phase::Continuous;
            shifting_ = false;
            watch_ = 0;
            break;
        }
        [[fallthrough]];
    case 1: // single read
        out_ = converter_.readRegister(reg_);
        shifting_ = true;
        outFalls_ = outRises_ = 0;
        phase_ = Phase::Read;
        break;
    default: // stop continuous read outside continuous read: nothing to stop
        phase_ = Phase::Command;
        break;
    }
}

} // namespace qb::board
