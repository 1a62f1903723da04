#pragma once
// The converter behind the serial interface: register file, conversion timing, operating
// modes, calibrations, digital filter, noise and coding. Time only moves forward, through
// advanceTo(); conversions are computed lazily for the periods that have ended.
#include <cstdint>

#include "board/DigitalFilter.h"
#include "board/Noise.h"
#include "board/Registers.h"
#include "board/SimOptions.h"

namespace qb::board {

// Filter words below this give no conversions (the ready line stays high).
inline constexpr int kMinFilterWord = 19;
// Conversion periods a calibration takes.
inline constexpr int kCalibrationPeriods = 4;
// After a long idle only this many of the elapsed periods are computed; the filter forgets
// older ones anyway.
inline constexpr int64_t kCatchUpPeriods = 256;

class Converter {
public:
    // A register as the serial interface shifts it out.
    struct Word {
        uint32_t value = 0;
        int bits = 8;
        int reg = kStatus;
        uint64_t sequence = 0; // which result, for the data register
    };

    explicit Converter(const SimOptions& options);

    // Power-on state from time t; `held` while the reset line is low (nothing runs).
    void powerOn(double t, bool held);
    // Completes every conversion period that has ended by t. Earlier times are taken as now.
    void advanceTo(double t);
    double now() const { return now_; }
    // When the converter's state can next change by itself (the end of the current conversion
    // period); infinity while nothing runs. Nothing the port shows changes before then unless
    // the PC writes.
    double nextChange() const;

    // Serial-interface side; all act at now().
    int length(int reg) const { return regs_.length(reg); }
    void writeRegister(int reg, uint32_t value);
    Word readRegister(int reg);
    Word latchResult();
    void readDone(const Word& word);
    bool readyLineLow() const { return unread_ && !held_; }

    uint8_t status() const;
    // Changes the voltage on input 1 or 2 (Ain1, Ain2) at now().
    void setAnalogInput(int input, double millivolts);
    // Seconds per conversion, 0 when the filter word gives none.
    double conversionPeriod() const;
    uint64_t resultsProduced() const { return produced_; }
    const RegisterFile& registers() const { return regs_; }

private:
    bool calibrating() const;
    void restart();
    void inputChanged();
    double effectiveInputMv() const;
    void completePeriod(double end);
    void produceResult(double filteredMv);
    void finishCalibration();
    void enterIdle();
    double noiseRmsMv() const;

    SimOptions opt_;
    RegisterFile regs_;
    DigitalFilter filter_;
    NoiseSource noise_;
    double ain_[2];
    double now_ = 0;
    bool held_ = false;

    // Time base since the last restart.
    bool running_ = false;
    double t0_ = 0;
    double period_ = 0;
    int64_t periods_ = 0;

    // Mean input of the current period: value at its start plus the integral of the deviations.
    double input_ = 0;
    double periodRef_ = 0;
    double accum_ = 0;
    double segStart_ = 0;

    bool unread_ = false;
    bool clamped_ = false;
    uint64_t sequence_ = 0;
    uint64_t produced_ = 0;

    int calPeriods_ = 0;
    double calSum_ = 0;
};

} // namespace qb::board
