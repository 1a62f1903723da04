#pragma once
// Settings of the simulated QB4160 evaluation board, one per --sim-* command-line option.
// The defaults describe the board as it comes: a 4.9152 MHz crystal, +10 mV on Ain1, -5 mV on
// Ain2, 40 nV RMS of noise at 50 Hz, the reference present and nothing broken.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb::board {

// What is broken on the simulated board.
enum class Fault {
    None,
    Absent,   // no board on the port: data-out floats high, the ready line never goes low
    NoReady,  // the registers answer, but no conversion ever finishes
    Readback, // every written register reads back with its lowest bit flipped
};

// How the board's clock runs.
enum class TimeMode {
    Virtual, // every port access takes 1 us of simulated time; nothing else passes
    Wall,    // simulated time is the time elapsed since the port was opened
};

struct SimOptions {
    double masterClockHz = 4915200.0;  // --sim-mclk=HZ
    double ain1Mv = 10.0;              // --sim-ain1=MV
    double ain2Mv = -5.0;              // --sim-ain2=MV
    uint64_t seed = 1;                 // --sim-seed=N
    double noiseNv = 40.0;             // --sim-noise=NV: RMS at 50 Hz with CHOP on; 0 = none
    bool noReference = false;          // --sim-noref
    Fault fault = Fault::None;         // --sim-fault=absent|no-ready|readback|none
    std::optional<TimeMode> time;      // --sim-time=virtual|wall; unset: the caller's choice
};

// Limits of the numeric options (inclusive).
inline constexpr double kMinMasterClockHz = 100e3;
inline constexpr double kMaxMasterClockHz = 20e6;
inline constexpr double kMaxInputMv = 5000.0;     // inputs from -5000 to +5000 mV
inline constexpr double kMaxNoiseNv = 1e6;

// True when `option` starts with "--sim-".
bool IsSimOption(std::string_view option);

// Applies one option text such as "--sim-ain1=12.5". Returns an error message for an unknown
// --sim- name, a missing or malformed value, or a value out of range; `options` is then left
// unchanged.
std::optional<std::string> ApplySimOption(SimOptions& options, std::string_view option);

// Lines for --help, one option each.
std::string SimOptionsHelp();

const char* FaultName(Fault fault);

} // namespace qb::board
