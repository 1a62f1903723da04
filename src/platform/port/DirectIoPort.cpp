#include "platform/port/DirectIoPort.h"

#include <cerrno>
#include <cstring>

#include "platform/base/Numbers.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define QB_HAVE_PORT_IO 1
#else
#define QB_HAVE_PORT_IO 0
#endif

namespace qb::platform {

namespace {
constexpr unsigned kRegisters = 3;  // data, status, control
}

DirectIoPort::DirectIoPort(uint16_t base) : base_(base) {}

DirectIoPort::~DirectIoPort() {
#if QB_HAVE_PORT_IO
    if (claimed_) ioperm(base_, kRegisters, 0);
#endif
}

int DirectIoPort::ClaimParallelPort(int, int) {
    if (claimed_) return 1;
    if (static_cast<unsigned>(base_) + kRegisters > 0x10000u) {
        lastError_ = "I/O address 0x" + Hex(base_) + ": the port's registers run past 0xFFFF";
        return 0;
    }
#if QB_HAVE_PORT_IO
    if (ioperm(base_, kRegisters, 1) != 0) {
        lastError_ = "I/O address 0x" + Hex(base_) + ": " + std::strerror(errno) +
                     " (direct port access needs root)";
        return 0;
    }
    claimed_ = true;
    lastError_.clear();
    return 1;
#else
    lastError_ = "direct port access is available on x86 only";
    return 0;
#endif
}

int DirectIoPort::GetParallelPortInfo(int, ParallelPortInfo& info) {
    info.baseAddress = base_;
    return 1;
}

bool DirectIoPort::reachable(uint16_t address) const {
    return claimed_ && address >= base_ && address - base_ < static_cast<int>(kRegisters);
}

uint8_t DirectIoPort::InByte(uint16_t address) {
#if QB_HAVE_PORT_IO
    if (reachable(address)) return inb(address);
#else
    (void)address;
#endif
    return 0xFF;
}

void DirectIoPort::OutByte(uint16_t address, uint8_t value) {
#if QB_HAVE_PORT_IO
    if (reachable(address)) outb(value, address);
#else
    (void)address;
    (void)value;
#endif
}

std::string DirectIoPort::describe() const { return "direct I/O at 0x" + Hex(base_); }

std::string DirectIoPort::boardName() const { return "Board at port " + Hex(base_) + "h"; }

} // namespace qb::platform
