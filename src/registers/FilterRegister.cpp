#include "registers/FilterRegister.h"

#include <cmath>
#include <optional>

#include "link/FilterRate.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::registers {

int32_t WithFilterWord(int32_t reg, int32_t word) {
    return word * 4096 + (reg & filterbits::kLowFields);
}

int32_t FilterWordForRate(float rateHz, double masterClockHz, bool chop, bool skip) {
    double word = platform::RoundHalfEven(masterClockHz / ((chop ? 48.0 : 16.0) * static_cast<double>(rateHz)));
    const int32_t least = chop ? kMinFilterWordChop : skip ? kMinFilterWordSkip : kMinFilterWord;
    if (!(word <= kMaxFilterWord)) word = kMaxFilterWord;  // also a rate of 0 (an infinite word)
    if (word < least) word = least;
    return static_cast<int32_t>(word);
}

std::string RateText(double masterClockHz, int32_t word, bool chop, std::string_view picture) {
    const std::optional<double> rate = link::UpdateRateHz(masterClockHz, word, chop);
    return rate ? platform::Format(*rate, picture) : kNoRateText;
}

} // namespace qb::registers
