#pragma once
// The mode and status registers as the register windows show them: the bit map of the 16-bit mode
// register, the captions that depend on it, the status row's texts, and the wait for the end of a
// calibration. Free of widgets, so the windows and the tests share one description.
#include <array>
#include <cstdint>
#include <string>

#include "link/Context.h"
#include "link/Serial.h"

namespace qb::registers {

// Mode register fields (bit 15 the most significant of the 16; bits 31..16 are always 0).
namespace modebits {
inline constexpr int32_t kOperatingMode = 0xE000;  // 15..13
inline constexpr int32_t kUnipolar = 0x1000;       // 12
inline constexpr int32_t kOutputsEnabled = 0x0800; // 11
inline constexpr int32_t kOutputD1 = 0x0400;       // 10
inline constexpr int32_t kOutputD0 = 0x0200;       // 9
inline constexpr int32_t kOutputs = kOutputsEnabled | kOutputD1 | kOutputD0;
inline constexpr int32_t kWord24 = 0x0100;         // 8
inline constexpr int32_t kRef5V = 0x0080;          // 7
inline constexpr int32_t kRange = 0x0030;          // 5..4
inline constexpr int32_t kClockOutDisabled = 0x0008; // 3
inline constexpr int32_t kBurnOut = 0x0004;        // 2
inline constexpr int32_t kChannel = 0x0003;        // 1..0
inline constexpr int kBits = 16;
} // namespace modebits

// `value` with the bits of `field` replaced by `bits` (kept to 16 bits).
constexpr int32_t WithField(int32_t value, int32_t field, int32_t bits) {
    return ((value & ~field) | (bits & field)) & 0xFFFF;
}

// The eight operating modes, option buttons md0..md7 (the mode value is the button's number).
enum class ModeKind { Plain, PowerDown, InternalCalibration, SystemCalibration };
struct OperatingMode {
    const char* name;
    const char* caption;
    ModeKind kind;
};
inline constexpr std::array<OperatingMode, 8> kOperatingModes{{
    {"md0", "Sync (Idle) Mode", ModeKind::Plain},
    {"md1", "Continuous Conversion", ModeKind::Plain},
    {"md2", "Single Conversion", ModeKind::Plain},
    {"md3", "Power Down Mode", ModeKind::PowerDown},
    {"md4", "Internal Zero-Scale Cal.", ModeKind::InternalCalibration},
    {"md5", "Internal Full-Scale Cal.", ModeKind::InternalCalibration},
    {"md6", "System Zero Scale Cal.", ModeKind::SystemCalibration},
    {"md7", "System Full-Scale Cal.", ModeKind::SystemCalibration},
}};
// Bits 15..13 of `value` as the mode number 0..7.
constexpr int ModeNumber(int32_t value) { return (value >> 13) & 7; }
// The mode field holding mode `number`.
constexpr int32_t ModeBits(int number) { return (number & 7) << 13; }
constexpr bool IsCalibration(int number) { return number >= 4 && number <= 7; }

// The four input channels, option buttons ch1..ch4 (bits 1..0 = the button's index).
struct Channel {
    const char* name;
    const char* caption;
    bool usesAin2;
};
inline constexpr std::array<Channel, 4> kChannels{{
    {"ch1", "Ain1(+) - Ain1(-)", false},
    {"ch2", "Ain2(+) - Ain2 (-)", true},
    {"ch3", "Ain1(-) - Ain1(-)", false},
    {"ch4", "Ain1(-) - Ain2(-)", true},
}};

// Input ranges, option buttons range1..range4 (bits 5..4 = the button's index).
inline constexpr std::array<int16_t, 4> kRangesMv{10, 20, 40, 80};
// "-20mV to +20mV" (bipolar) or "0 to +20mV" (unipolar) for range index 0..3.
std::string RangeCaption(int index, bool unipolar);

// Texts of the digital-output controls.
inline constexpr const char* kOutputsEnabledCaption = "Digital O/Ps Enabled";
inline constexpr const char* kOutputsDisabledCaption = "Digital O/Ps Disabled";
// "D0 is High", "D1 is Low", ... for output 0 or 1.
std::string OutputLevelText(int output, bool high);

// Messages of the mode register window.
inline constexpr const char* kZeroScalePrompt = "Please connect a Zero-Scale voltage to the analog input.";
inline constexpr const char* kFullScalePrompt = "Please connect a Full-Scale voltage to the analog input.";
inline constexpr const char* kOutputsWithAin2Message =
    "The Digital Outputs cannot be enabled while Ain2 is selected. Please select a different "
    "channel before turning on the digital outputs.";

// The status register row, bit 7 first: "RDY Set"/"RDY Clear", "STDY ...", "STBY ...",
// "No Ref"/"Ref OK" (bit 4 is set when the reference is missing), then "1"/"0" for bits 3..0.
std::array<std::string, 8> StatusTexts(int status);

// Status reads made at most while waiting for a calibration to end.
inline constexpr int32_t kCalibrationPolls = 20'000'001;
// The settling pause after an internal calibration, in milliseconds.
inline constexpr int kCalibrationPauseMs = 5;

// Reads the status register at PortAddress + 1 until its ready bit (bit 6) reads 0 (Ready), at
// most kCalibrationPolls times (TimedOut, also at once when no port is known), asking the
// context's stop hook now and then as the ready-line waits do (Stopped).
link::WaitOutcome WaitForCalibrationEnd(const link::Context& ctx);

// The status line after a calibration that finished: which one, the new value of the register
// it set (offset after a zero-scale, gain after a full-scale calibration) and that the converter
// now idles.
std::string CalibrationDoneText(int mode, int32_t registerValue);
// The status line after a calibration that did not finish: which one, and what the mode
// register holds now.
std::string CalibrationUnfinishedText(int mode, int32_t modeValue);
inline constexpr const char* kCalibrationStoppedMessage =
    "The calibration did not finish: it was stopped before the QB4160 was ready. The window shows "
    "what the QB4160 holds now.";
// Zero-scale calibrations (modes 4 and 6) set the offset register, full-scale ones the gain register.
constexpr bool SetsOffset(int mode) { return mode == 4 || mode == 6; }

} // namespace qb::registers
