#pragma once
// The fast-step demonstration's talk with the converter, free of widgets, so the window and the
// headless command run the very same sequence. Everything goes straight through the serial
// routines (link/Serial.h) with the communications bytes of link/Register.h.
//
// A run applies the same input step twice, with the filter's fast-step option off and then on:
//
//     write mode 31B2                                   (continuous, unipolar 0..80 mV, 24 bits)
//     ReadFastStepOff: filter 400010; DAC 2; start reading; settling wait of 100 ms;
//                      N readings; stop; DAC 29; start; N readings; stop
//     ReadFastStepOn:  DAC 2; filter 400110; start reading (no wait);
//                      N readings; stop; DAC 29; start; N readings; stop
//
// "start reading" is the byte 33, "stop" the byte 48 followed by the data-port byte 27. Readings
// 1..N are taken at the low DAC level, N+1..2N after the step.
//
// Every way out of a level loop leaves continuous reading: after a key press (the reading in
// hand is kept), after a wait the caller's stop hook ended, and after a reading that never came
// (the message kReadErrorMessage is shown, then reading is stopped, so the register writes that
// follow reach a chip that listens).
#include <cstdint>
#include <functional>
#include <vector>

#include "link/Context.h"

namespace qb::faststep {

inline constexpr int32_t kDemoMode = 0x31B2;          // continuous, unipolar, 24-bit, 5 V, 0..80 mV, Ain1(-)/Ain1(-)
inline constexpr int32_t kFilterFastStepOff = 0x400010;  // word 1024, CHOP: 100 Hz at 4.9152 MHz
inline constexpr int32_t kFilterFastStepOn = 0x400110;   // the same with FAST
inline constexpr int16_t kDacLow = 2;                 // 5 mV
inline constexpr int16_t kDacHigh = 29;               // 72.5 mV
inline constexpr int16_t kStepReadCount = 40;         // readings per DAC level, N
inline constexpr int16_t kSettleMs = 100;             // the wait before the first reading

// The three registers the demonstration changes, as read when it opens.
struct SavedRegisters {
    int32_t mode = 0;    // 16 bits
    int32_t filter = 0;  // 24 bits
    int16_t dac = 0;     // 8 bits
    bool operator==(const SavedRegisters&) const = default;
};

// Reads mode (byte 18, 16 bits), filter (19, 24 bits) and DAC (20, 8 bits), in that order, and
// keeps them in the shared settings (SavedModeReg, SavedFilterReg, SavedDacReg) as well.
SavedRegisters SaveRegisters(const link::Context& ctx);
// Writes them back: mode, then filter, then DAC.
void RestoreRegisters(const link::Context& ctx, const SavedRegisters& saved);

// "write R := v": the register's write communications byte (8 bits), then v in its width.
void WriteMode(const link::Context& ctx, int32_t value);
void WriteFilter(const link::Context& ctx, int32_t value);
void WriteDac(const link::Context& ctx, int32_t value);

// What a run asks of its caller. Each may be empty (then: no wait, keep reading, never closing).
struct RunHooks {
    // The settling wait after reading first starts (the window's WaitMs; it keeps the window
    // responsive and lets a simulated board's clock pass).
    std::function<void(int16_t ms)> settle;
    // Runs after each reading has been stored (the window lets its events run); false when the
    // reading is to end (a key press, a close request, Ctrl-C).
    std::function<bool()> afterReading;
    // Runs before each wait for a reading (the window forgets a stop asked for an earlier wait).
    std::function<void()> beforeReading;
    // True once the caller has ended the run (a close request, Ctrl-C) and reading has stopped:
    // the run sends nothing more.
    std::function<bool()> closing;
};

enum class RunEnd {
    Complete,  // both routines ran to their end (readings may have been cut short by a key or a time-out)
    Closed,    // a close request ended the run after one of its routines
};

// One level loop: readings first..last into codes (24 bits each). False when it left early: a
// key (after the reading in hand), a stop of the wait, or a reading that never came; reading has
// then been stopped.
bool LevelLoop(const link::Context& ctx, std::vector<double>& codes, int first, int last, const RunHooks& hooks);

// The two halves of a run, each filling its series at indices 1..2N (N = StepReadCount).
void ReadFastStepOff(const link::Context& ctx, std::vector<double>& codes, const RunHooks& hooks);
void ReadFastStepOn(const link::Context& ctx, std::vector<double>& codes, const RunHooks& hooks);

// A whole run: both series made anew (indices 0..2N, all zero), StepReadCount = N, mode 31B2,
// ReadFastStepOff, ReadFastStepOn; ends early (Closed) when `closing` says so after a routine.
// The results are FastStepOffCodes and FastStepOnCodes of the shared settings.
RunEnd RunFastStep(const link::Context& ctx, const RunHooks& hooks);

// Readings a run takes: 2N for each series.
constexpr int ReadingsPerSeries(int16_t n) { return 2 * n; }

} // namespace qb::faststep
