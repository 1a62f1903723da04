#include "cli/Interrupt.h"

#include <atomic>

namespace qb::cli {

namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterrupt(int) { g_interrupted.store(true); }

} // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    installed_ = sigaction(SIGINT, &action, &previous_) == 0;
}

InterruptGuard::~InterruptGuard() {
    if (installed_) sigaction(SIGINT, &previous_, nullptr);
}

bool InterruptGuard::interrupted() const { return g_interrupted.load(); }

} // namespace qb::cli
