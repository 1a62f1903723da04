#include "app/Display.h"

#include <cstdlib>

namespace qb::app {

bool DisplayAvailable(const EnvironmentLookup& lookup, bool platformGiven) {
    if (platformGiven) return true;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = lookup(name);
        if (value && *value) return true;
    }
    return false;
}

bool DisplayAvailable(bool platformGiven) {
    return DisplayAvailable([](const char* name) -> const char* { return std::getenv(name); },
                            platformGiven);
}

} // namespace qb::app
