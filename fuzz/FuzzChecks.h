#pragma once
// What every fuzz target checks besides "no crash".
#include <algorithm>
#include <cstdlib>
#include <string>

namespace qb::fuzz {

// A broken expectation is a finding: it ends the run where libFuzzer saves the input.
inline void check(bool condition) {
    if (!condition) std::abort();
}

// A message fit for one line of a terminal: not empty, no control characters.
inline bool oneLine(const std::string& message) {
    return !message.empty() && std::none_of(message.begin(), message.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

} // namespace qb::fuzz
