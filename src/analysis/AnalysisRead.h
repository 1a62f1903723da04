#pragma once
// Reading codes from the converter into the shared code buffer, free of widgets, so the data
// reading window and the headless acquisition run the very same routine.
//
// A read starts with the continuous-mode check (a direct read of the mode register, decoded into
// the data-format settings), puts the converter into continuous reading of its data register
// (byte 33), takes one code per ready signal and always leaves continuous reading the same way:
// byte 48, then the data-port byte 27.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "link/CodeCount.h"
#include "link/Context.h"
#include "link/Register.h"

namespace qb::analysis {

inline constexpr const char* kNotContinuousMessage =
    "This program requires that the QB4160 be in Continuous Conversion Mode before data can be "
    "read in. This option can be set in the Mode Register.";

// Bit 13 of the mode register: continuous conversion.
inline constexpr int32_t kContinuousModeBit = 0x2000;

// Reads the mode register (communications byte 18, then 16 bits, without waiting for the ready
// line) into ModeRegValue and decodes it (DecodeModeRegister). True when the converter converts
// continuously; otherwise the user is told (kNotContinuousMessage) and nothing more is sent.
bool CheckContinuousMode(const link::Context& ctx);

// The count typed for an analysis read: the number taken with at most two decimals, then rounded
// to a whole number, halves to the even one ("12.5" -> 12, "13.5" -> 14, " 500 " -> 500).
// nullopt when the text is not a number or the count does not fit in 16 bits.
std::optional<int16_t> ParseCodeCount(std::string_view text);
// Where the count of the last analysis read is remembered (platform/base/Preferences.h).
inline constexpr const char* kCountPreference = "read/count";

enum class ReadOutcome {
    Complete,  // every code requested was read
    Stopped,   // the caller stopped the read; the codes read so far are kept
    NoData,    // the ready line never went low: the user was told, the buffer is empty
};

// Runs after each code has gone into the buffer, with the codes read so far and the codes
// requested. Returns false to stop the read (a key press, the window closing, Ctrl-C); the code
// just read stays in the buffer and is counted.
using AfterEachCode = std::function<bool(int16_t codesRead, int16_t codesToRead)>;

// The analysis read of `codesToRead` codes (the caller has checked the continuous mode and the
// count): Codes is made afresh with indices 0..codesToRead, CodesCapturedAt is now and
// CodesConditions none (the converter's present set-up is that of the codes), byte 33
// starts continuous reading, then one code per ready signal goes to Codes(i), with CodesRead = i
// and LastCode = the code.
// A missing result (the no-data marker) ends the read with kReadErrorMessage and CodesRead = 0.
// A wait ended by the reader's stop hook (link::kStopped) ends it as a stop: the codes read
// before it are kept, and afterEachCode is not asked.
// On every way out, byte 48 and then the data-port byte 27 end continuous reading, and Codes
// is cut to indices 0..CodesRead. CodesToRead is set to the count.
// `reader` supplies the word length; `afterEachCode` may be empty (read everything).
ReadOutcome ReadForAnalysis(const link::Context& ctx, link::ReadData& reader, int16_t codesToRead,
                            const AfterEachCode& afterEachCode);

} // namespace qb::analysis
