#pragma once
// The converter's noise: a seeded Gaussian source and the RMS level for a filter setting.
#include <array>
#include <cstdint>

namespace qb::board {

// RMS noise referred to the input, in nV, for an output rate. `noiseAt50Hz` is the level at
// 50 Hz with CHOP on; the noise grows with the square root of the rate, by 1.5 without CHOP
// (offset and low-frequency noise no longer cancel) and by 2 with SKIP (no second filter stage).
double NoiseRmsNv(double noiseAt50Hz, double rateHz, bool chop, bool skip);

// Deterministic normal deviates (xoshiro256** with Marsaglia's polar method), so a seed gives
// the same noise on every platform.
class NoiseSource {
public:
    explicit NoiseSource(uint64_t seed = 1) { reseed(seed); }
    void reseed(uint64_t seed);
    double uniform(); // [0, 1)
    double gaussian(); // mean 0, standard deviation 1

private:
    uint64_t next();
    std::array<uint64_t, 4> s_{};
    double spare_ = 0;
    bool haveSpare_ = false;
};

} // namespace qb::board
