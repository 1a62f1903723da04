#pragma once
// Ctrl-C, SIGTERM and SIGHUP during a headless command: while an InterruptGuard lives, each only
// raises a flag that the command's loops ask (a read stops as a key press stops it in a window),
// so the command ends its own way: registers put back, what was read written. A second signal
// changes nothing, so files being written are finished. Guards nest: an inner one shares the
// outer one's flag. The previous handling comes back when the outermost guard goes.
#include <csignal>
#include <string>

namespace qb::cli {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // True once one of the signals has come since the outermost guard was made.
    bool interrupted() const;
    // The first signal that came (0: none).
    int signal() const;
    // The exit status that reports it as the shell does: 128 + the signal (130 for Ctrl-C, 143
    // for SIGTERM, 129 for SIGHUP).
    int status() const;
    // How the messages name it: "Ctrl-C", "SIGTERM", "SIGHUP".
    std::string name() const;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[3] {};
    bool installed_[3] = {};
    bool outermost_ = false;
};

} // namespace qb::cli
