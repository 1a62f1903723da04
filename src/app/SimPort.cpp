#include "app/SimPort.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace qb::app {

SimPort::SimPort(const board::SimOptions& options, board::TimeMode whenUnset)
    : board_(options), mode_(options.time.value_or(whenUnset)),
      start_(std::chrono::steady_clock::now()) {}

int SimPort::ClaimParallelPort(int portNumber, int) { return portNumber == 1 ? 1 : 0; }

int SimPort::GetParallelPortInfo(int portNumber, platform::ParallelPortInfo& info) {
    if (portNumber != 1) return 0;
    info.baseAddress = kBaseAddress;
    return 1;
}

double SimPort::realSeconds() const {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    return elapsed.count() + skipped_;
}

double SimPort::virtualTimeSeconds() const {
    if (mode_ == board::TimeMode::Virtual) return static_cast<double>(ticks_) * 1e-9;
    return std::max(realSeconds(), lastAccess_);
}

void SimPort::advance(double seconds) {
    if (!(seconds > 0)) return;
    if (mode_ == board::TimeMode::Virtual) ticks_ += std::llround(std::min(seconds, 1e9) * 1e9);
    else skipped_ += seconds;
}

void SimPort::passTime(double seconds) {
    // On wall-clock time the wait itself lets the time pass.
    if (mode_ == board::TimeMode::Virtual) advance(seconds);
}

double SimPort::accessTime() {
    if (mode_ == board::TimeMode::Virtual) {
        ticks_ += kAccessTicks;
        return static_cast<double>(ticks_) * 1e-9;
    }
    const double now = realSeconds();
    lastAccess_ = std::max(now, lastAccess_ + kAccessSeconds);
    if (lastAccess_ - now > kMaxLeadSeconds)
        std::this_thread::sleep_until(start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                   std::chrono::duration<double>(lastAccess_ - skipped_)));
    return lastAccess_;
}

double SimPort::timeAfter(int64_t n) const {
    if (mode_ == board::TimeMode::Virtual) return static_cast<double>(ticks_ + n * kAccessTicks) * 1e-9;
    return std::max(realSeconds(), lastAccess_) + static_cast<double>(n) * kAccessSeconds;
}

int64_t SimPort::accessesBefore(double t) const {
    constexpr int64_t kNever = int64_t{1} << 40;  // more than any wait counts
    const double ahead = (t - timeAfter(0)) / kAccessSeconds;
    if (!(ahead < static_cast<double>(kNever))) return kNever;
    int64_t n = std::max<int64_t>(0, static_cast<int64_t>(ahead) - 1);
    // The estimate may be off by one either way in floating point: the times decide.
    while (n > 0 && !(timeAfter(n) < t)) --n;
    while (timeAfter(n + 1) < t) ++n;
    return n;
}

void SimPort::skipAccesses(int64_t n) {
    if (n <= 0) return;
    if (mode_ == board::TimeMode::Virtual) ticks_ += n * kAccessTicks;
    else lastAccess_ = timeAfter(n);
}

platform::PollRun SimPort::pollUntil(uint16_t address, uint8_t mask, uint8_t want, int32_t limit) {
    if (address != kBaseAddress + 1) return PortIo::pollUntil(address, mask, want, limit);
    platform::PollRun run;
    run.first = run.last = InByte(address);
    run.reads = 1;
    while ((run.last & mask) != want && run.last == run.first && run.reads < limit) {
        // Every read before the board's next change would give what the last one gave.
        const int64_t quiet = std::min<int64_t>(accessesBefore(board_.nextStatusChange()), limit - run.reads - 1);
        skipAccesses(quiet);
        run.reads += static_cast<int32_t>(quiet);
        run.last = InByte(address);
        ++run.reads;
    }
    return run;
}

uint8_t SimPort::InByte(uint16_t address) {
    const double t = accessTime();
    const int offset = address - kBaseAddress;
    if (offset < 0 || offset > 2) return 0xFF;
    return board_.read(offset, t);
}

void SimPort::OutByte(uint16_t address, uint8_t value) {
    const double t = accessTime();
    const int offset = address - kBaseAddress;
    if (offset < 0 || offset > 2) return;
    board_.write(offset, value, t);
}

std::string SimPort::boardName() const {
    const std::string text = describe();  // "simulated board (...)"
    return "S" + text.substr(1);
}

std::string SimPort::describe() const {
    std::string text = "simulated board (";
    text += mode_ == board::TimeMode::Virtual ? "virtual time" : "wall-clock time";
    if (board_.options().fault != board::Fault::None)
        text += std::string(", fault ") + board::FaultName(board_.options().fault);
    return text + ")";
}

} // namespace qb::app
