#include "app/SimPort.h"

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

double SimPort::virtualTimeSeconds() const {
    if (mode_ == board::TimeMode::Virtual) return virtual_;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    return elapsed.count() + skipped_;
}

void SimPort::advance(double seconds) {
    if (!(seconds > 0)) return;
    if (mode_ == board::TimeMode::Virtual) virtual_ += seconds;
    else skipped_ += seconds;
}

void SimPort::passTime(double seconds) {
    // On wall-clock time the wait itself lets the time pass.
    if (mode_ == board::TimeMode::Virtual) advance(seconds);
}

double SimPort::accessTime() {
    if (mode_ == board::TimeMode::Virtual) {
        virtual_ += kAccessSeconds;
        return virtual_;
    }
    double t = virtualTimeSeconds();
    while (t < lastAccess_ + kAccessSeconds) t = virtualTimeSeconds();
    lastAccess_ = t;
    return t;
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

std::string SimPort::describe() const {
    std::string text = "simulated board (";
    text += mode_ == board::TimeMode::Virtual ? "virtual time" : "wall-clock time";
    if (board_.options().fault != board::Fault::None)
        text += std::string(", fault ") + board::FaultName(board_.options().fault);
    return text + ")";
}

} // namespace qb::app
