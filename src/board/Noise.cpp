#include "board/Noise.h"

#include <cmath>

namespace qb::board {

double NoiseRmsNv(double noiseAt50Hz, double rateHz, bool chop, bool skip) {
    if (!(noiseAt50Hz > 0) || !(rateHz > 0)) return 0.0;
    double rms = noiseAt50Hz * std::sqrt(rateHz / 50.0);
    if (!chop) rms *= 1.5;
    if (skip) rms *= 2.0;
    return rms;
}

void NoiseSource::reseed(uint64_t seed) {
    // splitmix64 spreads the seed over the state, so seeds 0, 1, 2 ... give unrelated streams.
    uint64_t z = seed;
    for (auto& word : s_) {
        z += 0x9E3779B97F4A7C15ull;
        uint64_t x = z;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        word = x ^ (x >> 31);
    }
    haveSpare_ = false;
}

uint64_t NoiseSource::next() {
    auto rotl = [](uint64_t x, int k) { return (x << k) | (x >> (64 - k)); };
    const uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double NoiseSource::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double NoiseSource::gaussian() {
    if (haveSpare_) {
        haveSpare_ = false;
        return spare_;
    }
    double u, v, s;
    do {
        u = 2.0 * uniform() - 1.0;
        v = 2.0 * uniform() - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double m = std::sqrt(-2.0 * std::log(s) / s);
    spare_ = v * m;
    haveSpare_ = true;
    return u * m;
}

} // namespace qb::board
