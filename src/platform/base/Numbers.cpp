#include "platform/base/Numbers.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace qb::platform {

double RoundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    // nearbyint rounds in the current rounding mode, which is to-nearest-even unless someone
    // changed it; do not depend on that.
    const double floor = std::floor(x);
    const double diff = x - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <typename T>
static std::optional<T> checked(double x) {
    const double r = RoundHalfEven(x);
    if (std::isnan(r)) return std::nullopt;
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

std::optional<int16_t> ToInt16(double x) { return checked<int16_t>(x); }
std::optional<int32_t> ToInt32(double x) { return checked<int32_t>(x); }

std::string Hex(double x) {
    double r = RoundHalfEven(x);
    if (std::isnan(r)) r = 0;
    int64_t wide = 0;
    if (r >= 9.2e18) wide = std::numeric_limits<int64_t>::max();
    else if (r <= -9.2e18) wide = std::numeric_limits<int64_t>::min();
    else wide = static_cast<int64_t>(r);
    uint64_t bits = static_cast<uint64_t>(wide);
    if (wide < 0) bits &= 0xFFFFFFFFULL;
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    return out;
}

} // namespace qb::platform
