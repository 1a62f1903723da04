#include "cli/Interrupt.h"

#include <atomic>
#include <iterator>

namespace qb::cli {

namespace {

std::atomic<int> g_signal{0};  // the first signal that came
int g_guards = 0;              // guards alive, on the thread that runs the command
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onSignal(int signal) {
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
}

} // namespace

InterruptGuard::InterruptGuard() : outermost_(g_guards++ == 0) {
    if (!outermost_) return;
    g_signal.store(0);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        installed_[i] = sigaction(kSignals[i], &action, &previous_[i]) == 0;
}

InterruptGuard::~InterruptGuard() {
    --g_guards;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        if (installed_[i]) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool InterruptGuard::interrupted() const { return g_signal.load() != 0; }

int InterruptGuard::signal() const { return g_signal.load(); }

int InterruptGuard::status() const { return 128 + (interrupted() ? signal() : SIGINT); }

std::string InterruptGuard::name() const {
    switch (signal()) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "Ctrl-C";
    }
}

} // namespace qb::cli
