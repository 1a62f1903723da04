#pragma once
// The parallel port through direct I/O instructions (ioperm, inb, outb): needs root, or the raw
// I/O capability, on an x86 PC. Elsewhere the port can never be claimed.
#include <cstdint>
#include <string>

#include "platform/port/PortIo.h"

namespace qb::platform {

class DirectIoPort : public PortIo {
public:
    explicit DirectIoPort(uint16_t base = 888);
    ~DirectIoPort() override;
    DirectIoPort(const DirectIoPort&) = delete;
    DirectIoPort& operator=(const DirectIoPort&) = delete;

    // Asks for access to the three registers at the base. Non-zero once granted; 0 when refused
    // (no permission, an address range past 0xFFFF, not x86), with the reason in lastError().
    int ClaimParallelPort(int portNumber, int flags) override;
    // Reports the base given at construction.
    int GetParallelPortInfo(int portNumber, ParallelPortInfo& info) override;
    // Only the three registers at the base, and only once claimed; anything else reads 0xFF and
    // ignores writes instead of faulting on an I/O address the program may not touch.
    uint8_t InByte(uint16_t address) override;
    void OutByte(uint16_t address, uint8_t value) override;
    std::string describe() const override;
    std::string boardName() const override;

    bool claimed() const { return claimed_; }
    const std::string& lastError() const { return lastError_; }
    std::string failureReason() const override { return lastError_; }

private:
    bool reachable(uint16_t address) const;

    uint16_t base_;
    bool claimed_ = false;
    std::string lastError_;
};

} // namespace qb::platform
