#include "board/Transfer.h"

#include <cmath>

#include "board/Registers.h"

namespace qb::board {
namespace {
constexpr double kTwo23 = 8388608.0;
constexpr double kMax24 = 16777215.0;
} // namespace

double CorrectedFraction(double inputMv, const Coding& c) {
    const double u = inputMv / c.rangeMv;
    const double offset = (static_cast<double>(c.offset) - kTwo23) / kTwo23;
    const double gain = static_cast<double>(c.gain) / static_cast<double>(kGainUnity);
    return (u - offset) * gain;
}

Code Encode(double inputMv, const Coding& c) {
    const double x = CorrectedFraction(inputMv, c);
    const double full = std::ldexp(1.0, c.bits);
    const double scaled = c.unipolar ? std::floor(full * x) : std::floor(full / 2 * (1.0 + x));
    const double top = full - 1;
    if (!(scaled >= 0)) return {0, true};  // also catches NaN
    if (scaled > top) return {static_cast<uint32_t>(top), true};
    return {static_cast<uint32_t>(scaled), false};
}

uint32_t ZeroScaleOffset(double measuredMv, double rangeMv) {
    const double reg = std::nearbyint(kTwo23 + measuredMv / rangeMv * kTwo23);
    if (!(reg >= 0)) return 0;
    if (reg > kMax24) return 0xFFFFFF;
    return static_cast<uint32_t>(reg);
}

uint32_t FullScaleGain(double measuredMv, double rangeMv, uint32_t offset) {
    const double span = measuredMv / rangeMv - (static_cast<double>(offset) - kTwo23) / kTwo23;
    const double unity = static_cast<double>(kGainUnity);
    if (!(span > unity / kMax24)) return 0xFFFFFF;
    const double reg = std::nearbyint(unity / span);
    if (reg < 1) return 1;
    if (reg > kMax24) return 0xFFFFFF;
    return static_cast<uint32_t>(reg);
}

} // namespace qb::board
