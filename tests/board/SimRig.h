#pragma once
// A simulated board on virtual time with a serial host in front of it.
#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/SimOptions.h"
#include "SerialDriver.h"
#include "platform/SimPort.h"

namespace qb::test {

// Options with the noise switched off and the given --sim-* texts applied.
inline board::SimOptions Noiseless(std::initializer_list<const char*> extra = {}) {
    board::SimOptions o;
    o.noiseNv = 0;
    for (const char* text : extra) {
        auto error = board::ApplySimOption(o, text);
        EXPECT_FALSE(error) << *error;
    }
    return o;
}

// Default options (noise on) with the given --sim-* texts applied.
inline board::SimOptions With(std::initializer_list<const char*> extra) {
    board::SimOptions o;
    for (const char* text : extra) {
        auto error = board::ApplySimOption(o, text);
        EXPECT_FALSE(error) << *error;
    }
    return o;
}

struct SimRig {
    SimRig() : SimRig(Noiseless()) {}
    explicit SimRig(const board::SimOptions& options)
        : port(options, board::TimeMode::Virtual), host(port) {}

    double now() const { return port.virtualTimeSeconds(); }

    platform::SimPort port;
    SerialDriver host;
};

inline double Rms(const std::vector<uint32_t>& codes) {
    double mean = 0;
    for (auto c : codes) mean += c;
    mean /= static_cast<double>(codes.size());
    double sum = 0;
    for (auto c : codes) sum += (c - mean) * (c - mean);
    return std::sqrt(sum / static_cast<double>(codes.size() - 1));
}

} // namespace qb::test
