#include "link/FilterRate.h"

#include <cmath>


namespace qb::link {

std::optional<double> UpdateRateHz(double masterClockHz, double filterWord, bool chop) {
    if (!(filterWord > 0)) return std::nullopt;
    const double rate = masterClockHz / ((chop ? 48.0 : 16.0) * filterWord);
    if (!std::isfinite(rate) || rate <= 0) return std::nullopt;
    return rate;
}

int32_t FilterWordOf(int32_t filterRegValue) {
    return (filterRegValue >> 12) & 0xFFF;
}

bool ChopOf(int32_t filterRegValue) { return (filterRegValue & kFilterChopBit) != 0; }

std::optional<double> UpdateRateOfRegister(int32_t filterRegValue, double masterClockHz) {
    return UpdateRateHz(masterClockHz, FilterWordOf(filterRegValue), ChopOf(filterRegValue));
}

} // namespace qb::link
