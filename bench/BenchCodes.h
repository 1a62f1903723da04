#pragma once
// The code buffer the benchmarks run on: a full analysis read of 5000 codes, a noisy 24-bit
// reading around mid-scale as the converter delivers it (index 0 unused).
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace qb::bench {

inline constexpr int16_t kCodes = 5000;

inline const std::vector<double>& CodeBuffer() {
    static const std::vector<double> buffer = [] {
        std::mt19937 g(2024);
        std::normal_distribution<double> noise(8388608.0, 40.0);
        std::vector<double> b{0.0};
        for (int i = 0; i < kCodes; ++i) b.push_back(std::round(noise(g)));
        return b;
    }();
    return buffer;
}

} // namespace qb::bench
