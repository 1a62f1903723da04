#pragma once
// Reads a port trace (platform/port/TracePort.h) back into the accesses it records, a line with
// a count ("R 0379 7F x20000") giving that many; comment lines are left out.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/RecordingPort.h"

namespace qb::test {

inline std::vector<PortAccess> ReadTrace(const std::string& path) {
    std::ifstream in(path);
    std::vector<PortAccess> accesses;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("# ")) continue;
        std::istringstream words(line);
        char direction = 0;
        unsigned address = 0, value = 0;
        std::string times;
        words >> direction >> std::hex >> address >> value >> std::dec >> times;
        const long count = times.empty() ? 1 : std::stol(times.substr(1));
        if ((direction != 'R' && direction != 'W') || (!times.empty() && times[0] != 'x') || count < 1) {
            ADD_FAILURE() << "not a trace line: " << line;
            continue;
        }
        const PortAccess access{direction == 'W', static_cast<uint16_t>(address), static_cast<uint8_t>(value)};
        accesses.insert(accesses.end(), static_cast<std::size_t>(count), access);
    }
    return accesses;
}

} // namespace qb::test
