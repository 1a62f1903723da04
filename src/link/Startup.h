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

// InitSettings, then the command-line clock choice.
void StartUp(const Context& ctx, const VersionQuery& query = GetWindowsVersion);

} // namespace qb::link
