#pragma once
// Whether the window program can reach a display, decided before the toolkit is started (which
// would otherwise abort with a long message of its own).
#include <functional>

namespace qb::app {

inline constexpr const char* kNoDisplayMessage =
    "qb4160-eval: no display found; run it on a desktop or under a virtual display: "
    "xvfb-run -a qb4160-eval (--analyse and --acquire need no display)";

// Reads an environment variable: its value, or nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// True when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set to something, or a -platform
// option names the toolkit's platform.
bool DisplayAvailable(const EnvironmentLookup& lookup, bool platformGiven);
// The same with the process environment.
bool DisplayAvailable(bool platformGiven);

} // namespace qb::app
