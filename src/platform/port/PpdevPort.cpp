#include "platform/port/PpdevPort.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace qb::platform {

int PpdevSystem::open(const std::string& path) { return ::open(path.c_str(), O_RDWR | O_CLOEXEC); }

int PpdevSystem::ioctl(int fd, unsigned long request, void* argument) {
    int result;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

void PpdevSystem::close(int fd) { ::close(fd); }

namespace {

// The number N of a device path ending in "parportN"; a link to such a device counts too.
std::optional<unsigned> portIndex(const std::string& devicePath) {
    std::string name = devicePath;
    std::error_code error;
    const auto target = std::filesystem::canonical(devicePath, error);
    if (!error) name = target.string();
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    if (digits == name.size() || name.size() - digits > 4) return std::nullopt;
    return static_cast<unsigned>(std::stoul(name.substr(digits)));
}

// The first number in a file ("888\t1912\n", "0x378"): decimal, or hexadecimal after "0x".
std::optional<unsigned long> firstNumberIn(const std::string& path) {
    std::ifstream in(path);
    std::string word;
    if (!(in >> word)) return std::nullopt;
    int radix = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        radix = 16;
        word.erase(0, 2);
    }
    if (word.empty() || word.size() > 8) return std::nullopt;
    for (const char c : word)
        if (!(radix == 16 ? std::isxdigit(static_cast<unsigned char>(c))
                          : std::isdigit(static_cast<unsigned char>(c))))
            return std::nullopt;
    return std::stoul(word, nullptr, radix);
}

} // namespace

PpdevPort::PpdevPort(std::string devicePath, std::unique_ptr<PpdevSystem> system, std::string fileRoot)
    : devicePath_(std::move(devicePath)),
      system_(system ? std::move(system) : std::make_unique<PpdevSystem>()),
      fileRoot_(std::move(fileRoot)) {}

PpdevPort::~PpdevPort() {
    if (fd_ < 0) return;
    system_->ioctl(fd_, PPRELEASE, nullptr);
    system_->close(fd_);
}

void PpdevPort::fail(const std::string& what, int error) {
    lastError_ = devicePath_ + ": " + what + ": " + std::strerror(error);
}

int PpdevPort::ClaimParallelPort(int, int) {
    if (fd_ >= 0) return 1;
    const int fd = system_->open(devicePath_);
    if (fd < 0) {
        const int error = errno;
        fail("cannot open", error);
        if (error == EACCES || error == EPERM)
            lastError_ += " (the user needs read and write access to the device, usually through the lp group)";
        return 0;
    }
    if (system_->ioctl(fd, PPCLAIM, nullptr) < 0) {
        const int error = errno;
        if (error == ENOTTY || error == EINVAL)
            lastError_ = devicePath_ + ": not a parallel port device (" + std::strerror(error) + ")";
        else
            fail("cannot claim the port", error);
        system_->close(fd);
        return 0;
    }
    fd_ = fd;
    lastError_.clear();
    return 1;
}

int PpdevPort::GetParallelPortInfo(int, ParallelPortInfo& info) {
    const auto index = portIndex(devicePath_);
    if (!index) {
        lastError_ = devicePath_ + ": not a parportN device, its base address is unknown";
        return 0;
    }
    const std::string n = std::to_string(*index);
    for (const std::string& file : {fileRoot_ + "/sys/class/parport/parport" + n + "/base_addr",
                                    fileRoot_ + "/proc/sys/dev/parport/parport" + n + "/base-addr"}) {
        const auto base = firstNumberIn(file);
        // The data, status and control registers must all have an address.
        if (base && *base > 0 && *base <= 0xFFFD) {
            base_ = static_cast<uint16_t>(*base);
            info.baseAddress = base_;
            return 1;
        }
    }
    lastError_ = devicePath_ + ": the system reports no base address for parport" + n;
    return 0;
}

bool PpdevPort::transfer(unsigned long request, void* argument, const char* what) {
    if (system_->ioctl(fd_, request, argument) == 0) return true;
    fail(what, errno);
    return false;
}

uint8_t PpdevPort::InByte(uint16_t address) {
    if (fd_ < 0) return 0xFF;
    unsigned char value = 0xFF;
    bool ok = false;
    switch (address - base_) {
    case 0: ok = transfer(PPRDATA, &value, "cannot read the data register"); break;
    case 1: ok = transfer(PPRSTATUS, &value, "cannot read the status register"); break;
    case 2: ok = transfer(PPRCONTROL, &value, "cannot read the control register"); break;
    default: break;
    }
    return ok ? value : 0xFF;
}

void PpdevPort::OutByte(uint16_t address, uint8_t value) {
    if (fd_ < 0) return;
    switch (address - base_) {
    case 0: {
        unsigned char data = value;
        transfer(PPWDATA, &data, "cannot write the data register");
        break;
    }
    case 2: {
        // ppdev drives only the four output lines through the control register; bit 5 (data lines
        // as inputs) has its own request.
        unsigned char lines = value & 0x0F;
        transfer(PPWCONTROL, &lines, "cannot write the control register");
        int reverse = (value & 0x20) ? 1 : 0;
        transfer(PPDATADIR, &reverse, "cannot set the data direction");
        break;
    }
    default:  // the status register is read-only; other addresses are not this port's
        break;
    }
}

std::string PpdevPort::describe() const { return "ppdev " + devicePath_; }

} // namespace qb::platform
