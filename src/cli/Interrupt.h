#pragma once
// Ctrl-C during a headless command: while an InterruptGuard lives, SIGINT only raises a flag
// that the command's loops ask (a read stops as a key press stops it in a window); the previous
// handling comes back when the guard goes.
#include <csignal>

namespace qb::cli {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // True once Ctrl-C has come since the guard was made.
    bool interrupted() const;

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

} // namespace qb::cli
