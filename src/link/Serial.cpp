#include "link/Serial.h"

#include <algorithm>

namespace qb::link {

namespace {

// I/O addresses travel as 16-bit signed integers through the program; the port sees their bit
// pattern (a base above 7FFF is stored as a negative number).
uint16_t io(int16_t address, int offset = 0) {
    return static_cast<uint16_t>(static_cast<uint16_t>(address) + offset);
}

bool reservedAddress(int16_t address) { return io(address) <= 2; }

// Tells the user, once per run, that the board is being left alone.
void reportNoPort(const Context& ctx) {
    if (ctx.settings.NoPortMessageShown) return;
    ctx.settings.NoPortMessageShown = true;
    ctx.messages.exclamation(ctx.headless ? kNoPortHeadlessMessage : kNoPortMessage);
}

// What an absent port gives for `bitCount` bits: a floating data-out line reads as ones.
int32_t floatingWord(int16_t bitCount) {
    const int bits = bitCount < 0 ? 0 : (bitCount > 31 ? 31 : bitCount);
    return static_cast<int32_t>((uint32_t{1} << bits) - 1u);
}

// Step 2 of both reads: per bit, clock low, clock high, then sample data-out.
int32_t clockIn(platform::PortIo& port, uint16_t data, uint16_t status, int16_t bitCount) {
    uint32_t result = 0;
    for (int j = bitCount - 1; j >= 0; --j) {
        port.OutByte(data, kClockLowByte);
        port.OutByte(data, kRestByte);
        const uint8_t s = port.InByte(status);
        if ((s & kDataOutBit) != 0 && j < 31) result |= uint32_t{1} << j;
    }
    return static_cast<int32_t>(result);
}

// The stop hook, asked after every kStopCheckPolls busy polls.
bool stopAsked(const Context& ctx, int32_t polls) {
    return polls % kStopCheckPolls == 0 && ctx.stopRequested && ctx.stopRequested();
}

// Polls up to the next stop question or `limit` polls in all, whichever comes first (each
// stretch runs to its end unless the line falls, so stretches start at the questions).
int32_t nextStretch(int32_t polls, int32_t limit) { return std::min(kStopCheckPolls, limit - polls); }

} // namespace

bool PortUsable(int16_t portAddress) {
    const uint16_t base = io(portAddress);
    return base > 2 && base <= 0xFFFD;
}

bool PortReachable(const Context& ctx, int16_t portAddress) {
    if (PortUsable(portAddress)) return true;
    reportNoPort(ctx);
    return false;
}

void OutPort(const Context& ctx, int16_t address, int16_t value) {
    if (reservedAddress(address)) {
        reportNoPort(ctx);
        return;
    }
    ctx.port.OutByte(io(address), static_cast<uint8_t>(value & 0xFF));
}

int16_t InPort(const Context& ctx, int16_t address) {
    if (reservedAddress(address)) {
        reportNoPort(ctx);
        return 255;
    }
    return static_cast<int16_t>(ctx.port.InByte(io(address)) & 255);
}

void WriteSerial(const Context& ctx, int32_t value, int16_t portAddress, int16_t bitCount) {
    if (!PortReachable(ctx, portAddress)) return;
    platform::PortIo& port = ctx.port;
    const uint16_t data = io(portAddress);
    const auto bits = static_cast<uint32_t>(value);
    port.OutByte(data, kRestByte);
    for (int j = bitCount - 1; j >= 0; --j) {
        const uint8_t b = j < 32 ? static_cast<uint8_t>((bits >> j) & 1u) : 0;
        port.OutByte(data, static_cast<uint8_t>(kRestByte + b));
        port.OutByte(data, static_cast<uint8_t>(kClockLowByte + b));
        port.OutByte(data, static_cast<uint8_t>(kRestByte + b));
    }
    port.OutByte(data, kRestByte);
}

int32_t ReadSerial(const Context& ctx, int16_t bitCount, int16_t portAddress) {
    if (!PortReachable(ctx, portAddress)) return floatingWord(bitCount);
    platform::PortIo& port = ctx.port;
    const uint16_t data = io(portAddress);
    port.OutByte(data, kRestByte);
    return clockIn(port, data, io(portAddress, 1), bitCount);
}

int32_t ReadSerialWhenReady(const Context& ctx, int16_t bitCount, int16_t portAddress) {
    // An absent port's ready line never falls: the answer is known without polling.
    if (!PortReachable(ctx, portAddress)) return kNoData;
    platform::PortIo& port = ctx.port;
    const uint16_t data = io(portAddress);
    const uint16_t status = io(portAddress, 1);
    port.OutByte(data, kRestByte);
    for (int32_t polls = 0;;) {
        const ReadyPoll poll = PollReadyLine(ctx, portAddress, nextStretch(polls, kDataReadyPolls));
        polls += poll.reads;
        if (polls >= kDataReadyPolls) return kNoData;  // whatever the last poll found
        if (poll.ready) break;
        if (stopAsked(ctx, polls)) return kStopped;
    }
    return clockIn(port, data, status, bitCount);
}

WaitOutcome WaitForReadyLine(const Context& ctx, int32_t polls) {
    const int16_t portAddress = ctx.settings.PortAddress;
    for (int32_t made = 0;;) {
        const ReadyPoll poll = PollReadyLine(ctx, portAddress, nextStretch(made, polls));
        made += poll.reads;
        if (poll.ready) return WaitOutcome::Ready;
        if (made >= polls) return WaitOutcome::TimedOut;
        if (stopAsked(ctx, made)) return WaitOutcome::Stopped;
    }
}

WaitOutcome WaitForReady(const Context& ctx) {
    // The user has been told why the board is left alone; no time-out message on top.
    if (!PortReachable(ctx, ctx.settings.PortAddress)) return WaitOutcome::Ready;
    const WaitOutcome outcome = WaitForReadyLine(ctx, kWaitForReadyPolls);
    if (outcome == WaitOutcome::TimedOut) ctx.messages.exclamation(kDrdyTooLongMessage);
    return outcome;
}

ReadyPoll PollReadyLine(const Context& ctx, int16_t portAddress, int32_t limit) {
    const uint16_t status = io(portAddress, 1);
    ReadyPoll poll;
    do {
        const platform::PollRun run = ctx.port.pollUntil(status, kReadyBit, 0, std::max(limit - poll.reads, 1));
        poll.reads += run.reads;
        poll.ready = (run.last & kReadyBit) == 0;
    } while (!poll.ready && poll.reads < limit);
    return poll;
}

void InterfaceReset(const Context& ctx) {
    const int16_t portAddress = ctx.settings.PortAddress;
    if (!PortReachable(ctx, portAddress)) return;
    const uint16_t data = io(portAddress);
    for (int i = 0; i < 32; ++i) {
        ctx.port.OutByte(data, kClockLowDataHigh);
        ctx.port.OutByte(data, kDataHighByte);
    }
    ctx.port.OutByte(data, kRestByte);
}

void DeviceReset(const Context& ctx) {
    const int16_t portAddress = ctx.settings.PortAddress;
    if (!PortReachable(ctx, portAddress)) return;
    const uint16_t data = io(portAddress);
    ctx.port.OutByte(data, kResetLowByte);
    ctx.port.OutByte(data, kRestByte);
}

} // namespace qb::link
