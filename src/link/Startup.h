#pragma once
// Start-up: the port, the shared settings' defaults, the start-up byte and the mode and filter
// registers as the converter holds them. Nothing is written to a register at start-up: the
// program adopts the converter's configuration. The main window's load and the headless commands
// both start through StartUp.
#include <cstdint>

#include "link/Context.h"
#include "link/WindowsVersion.h"

namespace qb::link {

inline constexpr int32_t kDefaultMasterClockHz = 4915200;
inline constexpr int32_t kSlowMasterClockHz = 2457600;

// In this order: InitPort; TurnOffOutputsChosen = 0, MasterClockHz = 4915200; start-up byte 11 to
// the data register; DialogChoice = 0, UpdatingControls = 0; mode register read (byte 18, 16
// bits) into ModeRegValue; DecodeModeRegister; filter register read (byte 19, 24 bits) into
// FilterRegValue.
void InitSettings(const Context& ctx, const VersionQuery& query = GetWindowsVersion);

// WordLengthBits, Polarity, InputRangeMv, RefVoltage and DigitalOutputsOn from ModeRegValue
// (bits 12, 11, 8, 7, 5-4; the others are ignored).
void DecodeModeRegister(SharedSettings& settings);

// True when the whole command line, upper-cased, is exactly "L".
bool SlowClockRequested(const std::string& commandLine);

// MasterClockHz = 2457600 when SlowClockRequested(ctx.commandLine); otherwise unchanged.
void ApplyCommandLineClock(const Context& ctx);

// Smallest filter word a working converter holds.
inline constexpr int32_t kMinFilterWord = 19;

// Whether the mode and filter registers as read could come from a working converter. Both all
// ones (a floating line: no board, no power, the wrong port), both all zeros (a line held low),
// or a filter word below kMinFilterWord cannot.
bool ConverterAnswered(const SharedSettings& settings);

// What the user is told when the converter does not answer: the port, what the registers read
// and the likely causes; in the windows also where another port is chosen, in a headless command
// how to name one.
std::string NoAnswerMessage(const Context& ctx);

// InitSettings, then, when a port is known but the converter did not answer (ConverterAnswered),
// NoAnswerMessage once; then the command-line clock choice. False when the converter did not
// answer, or no port is known (the user has been told why): the windows carry on (every read
// will then say that it failed), a headless command stops.
bool StartUp(const Context& ctx, const VersionQuery& query = GetWindowsVersion);

} // namespace qb::link
