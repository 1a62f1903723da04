// An emulated parallel port for running the program's ppdev backend without a board. Preloaded
// (LD_PRELOAD=libqb_ppdev_shim.so), it answers the open() of one device path, the ppdev requests
// on it and the kernel's files that give the port's base address, from the simulated board; every
// other file goes to the system. So the real PpdevPort and the real program run unchanged.
//
// Set from the environment:
//   QB_PORTSHIM_DEVICE  the emulated device (default /dev/parport0; its number names the
//                       /sys/class/parport/parportN/base_addr file answered)
//   QB_PORTSHIM_SIM     the simulated board's options, separated by blanks ("--sim-noise=0")
//   QB_PORTSHIM_FAIL    one failure: "open:EACCES" (any errno name below), "claim:EBUSY", or
//                       "transfer:N:EIO" (the N-th register transfer and every one after it)
//
// Time: the board's clock moves on by 1 us at every register transfer and by nothing else, as on
// the simulated port's virtual time, so a run through the shim is repeatable however loaded the
// machine is. The program's own waits pass on the wall clock, unseen by the board.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>

#include "board/Qb4160Board.h"
#include "board/SimOptions.h"

namespace {

constexpr double kAccessSeconds = 1e-6;

int errnoNamed(const std::string& name) {
    const std::pair<const char*, int> known[] = {{"EACCES", EACCES}, {"EPERM", EPERM}, {"EBUSY", EBUSY},
                                                 {"EIO", EIO},       {"ENODEV", ENODEV}, {"ENXIO", ENXIO}};
    for (const auto& [text, number] : known)
        if (name == text) return number;
    return EIO;
}

const char* env(const char* name, const char* otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? value : otherwise;
}

struct Failure {
    std::string step;  // "open", "claim" or "transfer"
    long after = 0;    // transfer: the first one that fails
    int error = 0;
};

Failure failureAsked() {
    std::istringstream in(env("QB_PORTSHIM_FAIL", ""));
    Failure failure;
    std::string part;
    std::getline(in, failure.step, ':');
    if (failure.step == "transfer" && std::getline(in, part, ':')) failure.after = std::atol(part.c_str());
    if (std::getline(in, part)) failure.error = errnoNamed(part);
    return failure;
}

// The emulated port: the board behind it and the one descriptor open on it.
class Port {
public:
    Port() : device_(env("QB_PORTSHIM_DEVICE", "/dev/parport0")), failure_(failureAsked()) {
        std::istringstream words(env("QB_PORTSHIM_SIM", ""));
        for (std::string word; words >> word;)
            if (const auto error = qb::board::ApplySimOption(options_, word)) {
                std::fprintf(stderr, "ppdev shim: %s\n", error->c_str());
                std::abort();
            }
        board_.emplace(options_);
    }

    bool emulates(const char* path) const { return path && device_ == path; }
    bool isOpen(int fd) const { return fd >= 0 && fd == fd_; }
    // The kernel's file for this port's base address ("/sys/class/parport/parport0/base_addr").
    bool isBaseAddressFile(const char* path) const {
        const std::string number = device_.substr(device_.find_last_not_of("0123456789") + 1);
        return path && (std::string(path) == "/sys/class/parport/parport" + number + "/base_addr");
    }

    // The emulated device opens as /dev/null, so that the descriptor is a real one of its own.
    int open(int (*realOpen)(const char*, int, ...)) {
        if (failure_.step == "open") return errno = failure_.error, -1;
        fd_ = realOpen("/dev/null", O_RDWR | O_CLOEXEC);
        return fd_;
    }
    void closed() { fd_ = -1, claimed_ = false; }

    int request(unsigned long request, void* argument) {
        auto* byte = static_cast<unsigned char*>(argument);
        if (request == PPCLAIM) {
            if (failure_.step == "claim") return errno = failure_.error, -1;
            claimed_ = true;
            return 0;
        }
        if (request == PPRELEASE) return claimed_ = false, 0;
        if (!claimed_) return errno = EINVAL, -1;  // as ppdev answers before a claim
        if (failure_.step == "transfer" && ++transfers_ >= failure_.after) return errno = failure_.error, -1;
        time_ += kAccessSeconds;
        switch (request) {
        case PPWDATA: board_->write(0, *byte, time_); return 0;
        case PPRDATA: *byte = board_->read(0, time_); return 0;
        case PPRSTATUS: *byte = board_->read(1, time_); return 0;
        // ppdev drives and reads back only the four control lines; the direction has its own request.
        case PPRCONTROL: *byte = board_->read(2, time_) & 0x0F; return 0;
        case PPWCONTROL: control_ = (control_ & 0xF0) | (*byte & 0x0F); break;
        case PPDATADIR: control_ = (control_ & ~0x20) | (*static_cast<int*>(argument) ? 0x20 : 0); break;
        default: return errno = ENOTTY, -1;
        }
        board_->write(2, static_cast<uint8_t>(control_), time_);
        return 0;
    }

private:
    std::string device_;
    Failure failure_;
    qb::board::SimOptions options_;
    std::optional<qb::board::Qb4160Board> board_;
    int fd_ = -1;
    bool claimed_ = false;
    long transfers_ = 0;
    double time_ = 0;
    unsigned control_ = 0xCC;
};

Port& port() {
    static Port instance;
    return instance;
}
std::recursive_mutex g_lock;

template <class F>
F next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

using OpenFn = int (*)(const char*, int, ...);

int openEither(const char* name, const char* path, int flags, mode_t mode) {
    static const OpenFn real = next<OpenFn>(name);
    {
        std::lock_guard lock(g_lock);
        if (port().emulates(path)) return port().open(real);
    }
    return real(path, flags, mode);
}

mode_t modeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(arguments, unsigned)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openEither("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openEither("open64", path, flags, mode);
}

int __open_2(const char* path, int flags) { return openEither("open", path, flags, 0); }
int __open64_2(const char* path, int flags) { return openEither("open64", path, flags, 0); }

int ioctl(int fd, unsigned long request, ...) __THROW {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    {
        std::lock_guard lock(g_lock);
        if (port().isOpen(fd)) return port().request(request, argument);
    }
    static const auto real = next<int (*)(int, unsigned long, ...)>("ioctl");
    return real(fd, request, argument);
}

int close(int fd) {
    {
        std::lock_guard lock(g_lock);
        if (port().isOpen(fd)) port().closed();
    }
    static const auto real = next<int (*)(int)>("close");
    return real(fd);
}

FILE* fopen64(const char* path, const char* mode) {
    {
        std::lock_guard lock(g_lock);
        if (port().isBaseAddressFile(path)) {
            // 378h, and the ECP registers the kernel lists after it; in a file with a descriptor,
            // which the C++ streams read through.
            static const char text[] = "888\t1912\n";
            const int fd = ::memfd_create("base_addr", MFD_CLOEXEC);
            if (fd < 0 || ::write(fd, text, sizeof text - 1) != sizeof text - 1 || ::lseek(fd, 0, SEEK_SET) != 0)
                return nullptr;
            return ::fdopen(fd, "r");
        }
    }
    static const auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
    return real(path, mode);
}

FILE* fopen(const char* path, const char* mode) { return fopen64(path, mode); }

} // extern "C"
