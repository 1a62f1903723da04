#include "link/FilterRate.h"

#include <cmath>

#include "platform/base/Numbers.h"

namespace qb::link {

std::optional<double> UpdateRateHz(double masterClockHz, double filterWord, bool chop) {
    if (!(filterWord > 0)) return std::nullopt;
    const double rate = masterClockHz / (ClockDivisor(chop) * filterWord);
    if (!std::isfinite(rate) || rate <= 0) return std::nullopt;
    return rate;
}

int32_t FilterWordOf(int32_t filterRegValue) {
    return (filterRegValue >> 12) & 0xFFF;
}

bool ChopOf(int32_t filterRegValue) { return (filterRegValue & filterbits::kChopOn) != 0; }

std::optional<double> UpdateRateOfRegister(int32_t filterRegValue, double masterClockHz) {
    return UpdateRateHz(masterClockHz, FilterWordOf(filterRegValue), ChopOf(filterRegValue));
}

int32_t WithFilterWord(int32_t reg, int32_t word) {
    return word * 4096 + (reg & filterbits::kLowFields);
}

int32_t FilterWordForRate(float rateHz, double masterClockHz, bool chop, bool skip) {
    double word = platform::RoundHalfEven(masterClockHz / (ClockDivisor(chop) * static_cast<double>(rateHz)));
    const int32_t least = chop ? kLeastRateWordChop : skip ? kLeastRateWordSkip : kLeastRateWord;
    if (!(word <= kMaxRateWord)) word = kMaxRateWord;  // also a rate of 0 (an infinite word)
    if (word < least) word = least;
    return static_cast<int32_t>(word);
}

} // namespace qb::link
