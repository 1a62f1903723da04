#include "registers/FilterRegister.h"

#include <cmath>

#include "platform/Numbers.h"
#include "platform/Text.h"

namespace qb::registers {

int32_t RawFilterWord(int32_t reg) {
    return static_cast<int32_t>(platform::RoundHalfEven(reg / 4096.0));
}

int32_t FilterWord(int32_t reg) { return RawFilterWord(reg) & filterbits::kLowFields; }

int32_t ClockEntryFilterWord(int32_t reg) { return RawFilterWord(reg & 0xFFFF00); }

int32_t WithFilterWord(int32_t reg, int32_t word) {
    return word * 4096 + (reg & filterbits::kLowFields);
}

double UpdateRate(double masterClockHz, double word, bool chop) {
    return masterClockHz / ((chop ? 48.0 : 16.0) * word);
}

int32_t FilterWordForRate(float rateHz, double masterClockHz, bool chop, bool skip) {
    double word = platform::RoundHalfEven(masterClockHz / ((chop ? 48.0 : 16.0) * static_cast<double>(rateHz)));
    const int32_t least = chop ? kMinFilterWordChop : skip ? kMinFilterWordSkip : kMinFilterWord;
    if (!(word <= kMaxFilterWord)) word = kMaxFilterWord;  // also a rate of 0 (an infinite word)
    if (word < least) word = least;
    return static_cast<int32_t>(word);
}

std::string RateText(double masterClockHz, int32_t word, bool chop, std::string_view picture) {
    if (word <= 0) return kNoRateText;
    return platform::Format(UpdateRate(masterClockHz, word, chop), picture);
}

} // namespace qb::registers
