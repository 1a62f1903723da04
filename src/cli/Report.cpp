#include "cli/Report.h"

namespace qb::cli {

std::string CannotWrite(std::string_view what, std::string_view file, std::string_view why) {
    std::string line = std::string(kProgram) + "cannot write ";
    if (!what.empty()) line.append(what).append(" to ");
    return line.append(file).append(": ").append(why).append("\n");
}

} // namespace qb::cli
