#pragma once
// The parallel port through Linux ppdev (/dev/parportN): user-space access that needs only read
// and write permission on the device, no root. The three registers of the port are reached at
// the port's base address and the two addresses after it, as on a PC.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/port/PortIo.h"

namespace qb::platform {

// The system calls the ppdev port makes. The real ones by default; tests put a fake device in
// their place.
class PpdevSystem {
public:
    virtual ~PpdevSystem() = default;
    // A file descriptor, or -1 with errno set.
    virtual int open(const std::string& path);
    // 0 on success, -1 with errno set.
    virtual int ioctl(int fd, unsigned long request, void* argument);
    virtual void close(int fd);
};

class PpdevPort : public PortIo {
public:
    static constexpr uint16_t kFallbackBase = 0x378;

    // `devicePath` names the port ("/dev/parport0"). `fileRoot` is put before the system files
    // that tell the port's base address (tests point it at a folder of their own).
    explicit PpdevPort(std::string devicePath = "/dev/parport0",
                       std::unique_ptr<PpdevSystem> system = nullptr, std::string fileRoot = {});
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    // Opens the device and claims it; the device path decides the port, so `portNumber` and
    // `flags` are not used. Non-zero once claimed (a second call keeps the first claim); 0 on
    // any failure, with the reason in lastError().
    int ClaimParallelPort(int portNumber, int flags) override;
    // The base address the kernel reports for this device's port
    // (/sys/class/parport/parportN/base_addr or /proc/sys/dev/parport/parportN/base-addr). 0 when
    // it cannot be found; the device need not be claimed.
    int GetParallelPortInfo(int portNumber, ParallelPortInfo& info) override;
    // base + 0: data, + 1: status, + 2: control. Other addresses, and every access before a
    // successful claim, read 0xFF and ignore writes. The base is the last one reported by
    // GetParallelPortInfo, or 0x378 while none has been.
    uint8_t InByte(uint16_t address) override;
    void OutByte(uint16_t address, uint8_t value) override;
    std::string describe() const override;
    std::string boardName() const override { return "Board on " + devicePath_; }

    bool claimed() const { return fd_ >= 0; }
    uint16_t base() const { return base_; }
    // Why the last claim, port-info query or register access failed; empty when none has.
    const std::string& lastError() const { return lastError_; }
    std::string failureReason() const override { return lastError_; }

private:
    bool transfer(unsigned long request, void* argument, const char* what);
    void fail(const std::string& what, int error);

    std::string devicePath_;
    std::unique_ptr<PpdevSystem> system_;
    std::string fileRoot_;
    int fd_ = -1;
    uint16_t base_ = kFallbackBase;
    std::string lastError_;
};

} // namespace qb::platform
