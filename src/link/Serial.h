#pragma once
// MODULE11: the three-wire serial link to the converter, driven one parallel-port line at a time.
//
// Data register (written whole): bit 0 serial data in, bit 1 reset (active low), bit 3 serial
// clock (high at rest), bit 4 board line (high during all serial traffic). Status register
// (base + 1): bit 4 serial data out, bit 6 ready (low when a result is waiting). Control register
// at base + 2.
//
// There are no delays between accesses: each clock phase lasts one port call. Every routine
// leaves the clock line high.
//
// An absent port. While the port's base address is unusable (0, or so close to either end of the
// I/O space that base..base+2 would reach addresses 0 to 2, which belong to the PC itself), the
// board is left alone: no routine touches the port, and the user is told once per run, with
// kNoPortMessage (kNoPortHeadlessMessage in a headless command), how to choose a port. The absent port then behaves like a floating line:
// every status read gives 255, so a register read returns all ones, a data read returns the
// no-data marker at once (no polling), and WaitForReady returns at once without its time-out
// message (the user has already been told why).
#include <cstdint>

#include "link/Context.h"

namespace qb::link {

// Returned by ReadSerialWhenReady (and ReadData) when the ready line never went low. No code can
// take this value: at most 24 bits are read.
inline constexpr int32_t kNoData = INT32_MIN;  // hex 80000000

// Returned by ReadSerialWhenReady (and ReadData) when the context's stop hook ended the wait: a
// normal stop, not a failure. No code can take this value either.
inline constexpr int32_t kStopped = INT32_MIN + 1;  // hex 80000001

// Poll limits of the two ready-line waits.
inline constexpr int32_t kDataReadyPolls = 10'000'000;
inline constexpr int32_t kWaitForReadyPolls = 200'000;
// The ready-line waits ask the context's stop hook after every this many polls that found the
// line high: about 2 ms on a port whose access takes a microsecond.
inline constexpr int32_t kStopCheckPolls = 2048;

// Data-register bytes.
inline constexpr uint8_t kRestByte = 26;         // clock high, data 0
inline constexpr uint8_t kClockLowByte = 18;     // clock low, data 0
inline constexpr uint8_t kDataHighByte = 27;     // clock high, data 1 (also ends a continuous read)
inline constexpr uint8_t kClockLowDataHigh = 19; // clock low, data 1
inline constexpr uint8_t kResetLowByte = 24;     // reset line low, clock high
inline constexpr uint8_t kStartupByte = 11;      // data 1, reset high, clock high, board line low

// Status-register bits.
inline constexpr uint8_t kDataOutBit = 16;
inline constexpr uint8_t kReadyBit = 64;

// The control-register bits kept at start-up (strobe, auto-feed, select-in and input direction
// are cleared).
inline constexpr uint8_t kControlMask = 212;

inline constexpr const char* kDrdyTooLongMessage = "DRDY High Too Long!";
inline constexpr const char* kNoPortMessage =
    "No parallel port address is known, so the board is left alone. Choose the port with "
    "\"Select Printer Port\" on the main menu.";
// The same for a headless command.
inline constexpr const char* kNoPortHeadlessMessage =
    "No parallel port address is known, so the board is left alone. Name the port with "
    "--board=ppdev:DEVICE or --board=io:ADDRESS.";

// True when base..base+2 are all clear of the I/O addresses 0 to 2.
bool PortUsable(int16_t portAddress);
// PortUsable, and when not, tells the user (once per run) that the board is left alone.
bool PortReachable(const Context& ctx, int16_t portAddress);

// Writes the low byte of `value` to I/O address `address`. Addresses 0 to 2 are never written.
void OutPort(const Context& ctx, int16_t address, int16_t value);
// The byte at I/O address `address` (0..255). Addresses 0 to 2 are never read and give 255.
int16_t InPort(const Context& ctx, int16_t address);

// Sends the low `bitCount` bits of `value`, most significant first: 26, then 26+b, 18+b, 26+b
// per bit, then 26.
void WriteSerial(const Context& ctx, int32_t value, int16_t portAddress, int16_t bitCount);

// Clocks in `bitCount` bits at once (26, then per bit 18, 26, status read), most significant
// first; the result is the unsigned bit pattern. Only bits 0..30 can be set, so a result is never
// negative (counts in use are 8, 16 and 24).
int32_t ReadSerial(const Context& ctx, int16_t bitCount, int16_t portAddress);

// Writes 26, waits up to kDataReadyPolls status reads for the ready line to go low, then clocks
// in `bitCount` bits as ReadSerial does. kNoData (nothing clocked) when the line stayed high;
// kStopped (nothing clocked) when the context's stop hook ended the wait.
// Sends no communications byte: the converter must already be in continuous-read mode.
int32_t ReadSerialWhenReady(const Context& ctx, int16_t bitCount, int16_t portAddress);

// How a poll of the ready line ended: the status reads made, and whether the last found it low.
struct ReadyPoll {
    int32_t reads = 0;
    bool ready = false;
};

// Reads the status register at `portAddress` + 1 at most `limit` times (at least once), up to
// the first read that finds the ready line low. The port sees one status read per poll, as a
// loop of InPort calls would make them. The caller has checked that the port is reachable.
ReadyPoll PollReadyLine(const Context& ctx, int16_t portAddress, int32_t limit);

enum class WaitOutcome { Ready, TimedOut, Stopped };

// Waits at PortAddress for the ready line to go low: at most `polls` status reads (TimedOut
// then), asking the context's stop hook as the other waits do (Stopped). No message. The caller
// has checked that the port is reachable.
WaitOutcome WaitForReadyLine(const Context& ctx, int32_t polls);

// Waits at PortAddress for the ready line to go low: at most kWaitForReadyPolls status reads,
// then kDrdyTooLongMessage and return as if ready (TimedOut). Stopped, without a message, when
// the context's stop hook ended the wait.
WaitOutcome WaitForReady(const Context& ctx);

// Interface reset at PortAddress: 32 clock pulses with data 1 (19, 27), then 26.
void InterfaceReset(const Context& ctx);
// Device reset at PortAddress: reset line low for one write (24), then 26.
void DeviceReset(const Context& ctx);

} // namespace qb::link
