#include "shell/Version.h"

#ifndef QB_VERSION_MAJOR
#error "the build gives the project version as QB_VERSION_MAJOR, QB_VERSION_MINOR, QB_VERSION_REVISION"
#endif

namespace qb::shell {

ProgramVersion Version() { return {QB_VERSION_MAJOR, QB_VERSION_MINOR, QB_VERSION_REVISION}; }

std::string VersionText() {
    const ProgramVersion v = Version();
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

} // namespace qb::shell
