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
        char direction = 0, times = 0;
        unsigned address = 0, value = 0;
        std::size_t count = 1;
        words >> direction >> std::hex >> address >> value >> std::dec >> times >> count;
        EXPECT_TRUE((direction == 'R' || direction == 'W') && (times == 0 || times == 'x')) << line;
        accesses.insert(accesses.end(), count, {direction == 'W', static_cast<uint16_t>(address), static_cast<uint8_t>(value)});
    }
    return accesses;
}

} // namespace qb::test
