#include "board/Converter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "board/Transfer.h"

namespace qb::board {

Converter::Converter(const SimOptions& options)
    : opt_(options), noise_(options.seed), ain_{options.ain1Mv, options.ain2Mv} {
    powerOn(0.0, false);
}

void Converter::powerOn(double t, bool held) {
    now_ = std::max(now_, t);
    held_ = held;
    regs_.powerOn();
    unread_ = false;
    clamped_ = false;
    restart();
}

bool Converter::calibrating() const {
    return static_cast<int>(regs_.mode().mode) >= static_cast<int>(OpMode::InternalZero);
}

double Converter::conversionPeriod() const {
    const FilterFields f = regs_.filter();
    if (f.word < kMinFilterWord) return 0.0;
    return (f.chop ? 48.0 : 16.0) * f.word / opt_.masterClockHz;
}

// A write of the mode or filter register starts conversion afresh: the filter forgets its
// history, an unread result is dropped (the ready line goes high) and the first period begins
// after the programmed delay (delay field x 128 master-clock cycles).
void Converter::restart() {
    filter_.restart();
    unread_ = false;
    periods_ = 0;
    calPeriods_ = 0;
    calSum_ = 0;
    period_ = conversionPeriod();
    const OpMode mode = regs_.mode().mode;
    running_ = period_ > 0 && !held_ && opt_.fault != Fault::NoReady && mode != OpMode::Sync &&
               mode != OpMode::PowerDown;
    t0_ = now_ + regs_.filter().delay * 128.0 / opt_.masterClockHz;
    input_ = periodRef_ = effectiveInputMv();
    accum_ = 0;
    segStart_ = t0_;
}

double Converter::effectiveInputMv() const {
    const ModeFields m = regs_.mode();
    double v = 0;
    switch (m.channel) {
    case 0: v = ain_[0]; break;       // Ain1(+) - Ain1(-)
    case 1: v = ain_[1]; break;       // Ain2(+) - Ain2(-)
    case 2: v = 0; break;             // Ain1(-) - Ain1(-): internal short
    default: v = ain_[1]; break;      // Ain1(-) - Ain2(-): the Ain2 input
    }
    return v + DacOffsetMv(regs_.get(kDac), m.ref5V);
}

void Converter::inputChanged() {
    const double v = effectiveInputMv();
    const double periodStart = t0_ + static_cast<double>(periods_) * period_;
    if (!running_ || now_ <= periodStart) {
        input_ = periodRef_ = v;
        accum_ = 0;
        segStart_ = std::max(segStart_, periodStart);
        return;
    }
    if (now_ > segStart_) {
        accum_ += (input_ - periodRef_) * (now_ - segStart_);
        segStart_ = now_;
    }
    input_ = v;
}

void Converter::setAnalogInput(int input, double millivolts) {
    if (input != 1 && input != 2) return;
    ain_[input - 1] = millivolts;
    inputChanged();
}

double Converter::nextChange() const {
    if (!running_) return std::numeric_limits<double>::infinity();
    return t0_ + static_cast<double>(periods_ + 1) * period_;
}

void Converter::advanceTo(double t) {
    if (!(t > now_)) t = now_;
    while (running_) {
        const double end = t0_ + static_cast<double>(periods_ + 1) * period_;
        if (end > t) break;
        completePeriod(end);
        if (!running_ || regs_.mode().mode != OpMode::Continuous) continue;
        const int64_t due = static_cast<int64_t>(std::floor((t - t0_) / period_)) - periods_;
        if (due > kCatchUpPeriods) {
            // The input has been steady since the last access: skip periods the filter would
            // forget anyway.
            periods_ += due - kCatchUpPeriods;
            segStart_ = t0_ + static_cast<double>(periods_) * period_;
            accum_ = 0;
            periodRef_ = input_;
        }
    }
    now_ = t;
}

void Converter::completePeriod(double end) {
    if (end > segStart_) accum_ += (input_ - periodRef_) * (end - segStart_);
    const double mean = periodRef_ + accum_ / period_;
    accum_ = 0;
    segStart_ = end;
    periodRef_ = input_;
    ++periods_;

    const ModeFields m = regs_.mode();
    if (calibrating()) {
        switch (m.mode) {
        case OpMode::InternalZero: calSum_ += 0.0; break;          // inputs shorted inside
        case OpMode::InternalFull: calSum_ += m.rangeMv; break;    // internal full-scale voltage
        default: calSum_ += mean; break;                           // what is on the pins
        }
        if (++calPeriods_ >= kCalibrationPeriods) finishCalibration();
        return;
    }

    const FilterFields f = regs_.filter();
    DigitalFilter::Settings s;
    s.chop = f.chop;
    s.skip = f.skip;
    s.fast = f.fast;
    s.stepThreshold = m.rangeMv / 256.0;
    const auto out = filter_.push(mean, s);
    if (!out) return;
    produceResult(*out);
    if (m.mode == OpMode::Single) enterIdle();
}

double Converter::noiseRmsMv() const {
    const FilterFields f = regs_.filter();
    return NoiseRmsNv(opt_.noiseNv, 1.0 / period_, f.chop, f.skip) * 1e-6;
}

void Converter::produceResult(double filteredMv) {
    const ModeFields m = regs_.mode();
    const double sigma = noiseRmsMv();
    const double v = sigma > 0 ? filteredMv + sigma * noise_.gaussian() : filteredMv;
    Code code;
    if (opt_.noReference) {
        // Without a reference the converter flags NOREF and fills the data register with ones.
        code.value = (1u << m.wordBits()) - 1;
    } else {
        Coding c;
        c.unipolar = m.unipolar;
        c.bits = m.wordBits();
        c.rangeMv = m.rangeMv;
        c.offset = regs_.get(kOffset);
        c.gain = regs_.get(kGain);
        code = Encode(v, c);
    }
    regs_.set(kData, code.value);
    clamped_ = code.clamped;
    unread_ = true;
    ++sequence_;
    ++produced_;
}

void Converter::finishCalibration() {
    const ModeFields m = regs_.mode();
    const double n = calPeriods_;
    const double sigma = noiseRmsMv();
    double measured = calSum_ / n;
    if (sigma > 0) measured += sigma * noise_.gaussian() / std::sqrt(n);
    if (!opt_.noReference) {
        if (m.mode == OpMode::InternalZero || m.mode == OpMode::SystemZero)
            regs_.set(kOffset, ZeroScaleOffset(measured, m.rangeMv));
        else
            regs_.set(kGain, FullScaleGain(measured, m.rangeMv, regs_.get(kOffset)));
    }
    enterIdle();
    // The ready line goes low to say the calibration is over; the data register is unchanged.
    unread_ = true;
    ++sequence_;
}

// Mode field back to 000 (sync/idle) without restarting anything.
void Converter::enterIdle() {
    regs_.set(kMode, regs_.get(kMode) & 0x1FFF);
    running_ = false;
}

void Converter::writeRegister(int reg, uint32_t value) {
    reg &= 7;
    if (reg == kStatus || reg == kData || reg == kUnused) return; // read-only or nothing there
    regs_.set(reg, value);
    regs_.markWritten(reg);
    switch (reg) {
    case kMode:
    case kFilter: restart(); break;
    case kDac: inputChanged(); break;
    default: break; // offset and gain act on the next result
    }
}

Converter::Word Converter::readRegister(int reg) {
    reg &= 7;
    Word w;
    w.reg = reg;
    w.bits = regs_.length(reg);
    w.value = reg == kStatus ? status() : regs_.get(reg);
    w.sequence = sequence_;
    if (opt_.fault == Fault::Readback && regs_.written(reg)) w.value ^= 1u;
    return w;
}

Converter::Word Converter::latchResult() { return readRegister(kData); }

void Converter::readDone(const Word& word) {
    if (word.reg == kData && word.sequence == sequence_) unread_ = false;
}

uint8_t Converter::status() const {
    const ModeFields m = regs_.mode();
    uint8_t s = 0;
    if (!unread_) s |= 0x80;                       // RDY: no unread result
    if (filter_.settling()) s |= 0x40;             // STDY: filter settling
    if (m.mode == OpMode::PowerDown) s |= 0x20;    // STBY
    if (opt_.noReference) s |= 0x10;               // NOREF
    if (calibrating()) s |= 0x08;                  // calibration in progress
    if (clamped_) s |= 0x04;                       // last result was out of range
    s |= static_cast<uint8_t>(m.channel);          // selected channel
    return s;
}

} // namespace qb::board
