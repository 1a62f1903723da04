#include "registers/DacOffset.h"

#include "platform/base/Text.h"

namespace qb::registers {

double DacOffsetMv(int16_t word, double refVolts) {
    const double mv = (word & 31) * (refVolts / 2.0);
    return word >= 32 ? -mv : mv;
}

std::string DacOffsetText(double millivolts, bool signBlank) {
    std::string text = platform::Str(millivolts);
    if (!signBlank && text.front() == ' ') text.erase(0, 1);
    return text + "mV";
}

} // namespace qb::registers
