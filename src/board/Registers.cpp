#include "board/Registers.h"

namespace qb::board {

ModeFields DecodeMode(uint32_t m) {
    static constexpr double kRanges[4] = {10.0, 20.0, 40.0, 80.0};
    ModeFields f{};
    f.mode = static_cast<OpMode>((m >> 13) & 7);
    f.unipolar = (m >> 12) & 1;
    f.digitalOut = (m >> 11) & 1;
    f.wordIs24 = (m >> 8) & 1;
    f.ref5V = (m >> 7) & 1;
    f.rangeMv = kRanges[(m >> 4) & 3];
    f.channel = static_cast<int>(m & 3);
    return f;
}

FilterFields DecodeFilter(uint32_t r) {
    FilterFields f{};
    f.word = static_cast<int>((r >> 12) & 0xFFF);
    f.skip = (r >> 9) & 1;
    f.fast = (r >> 8) & 1;
    f.ac = (r >> 5) & 1;
    f.chop = (r >> 4) & 1;
    f.delay = static_cast<int>(r & 0xF);
    return f;
}

double DacOffsetMv(uint32_t dac, bool ref5V) {
    const double step = ref5V ? 2.5 : 1.25;
    const double magnitude = static_cast<double>(dac & 31) * step;
    return (dac & 32) ? -magnitude : magnitude;
}

void RegisterFile::powerOn() {
    values_.fill(0);
    written_.fill(false);
    values_[kMode] = kPowerOnMode;
    values_[kFilter] = kPowerOnFilter;
    values_[kDac] = kPowerOnDac;
    values_[kOffset] = kOffsetZero;
    values_[kGain] = kGainUnity;
}

int RegisterFile::length(int reg) const {
    switch (reg & 7) {
    case kStatus: return 8;
    case kData: return mode().wordBits();
    case kMode: return 16;
    case kFilter: return 24;
    case kDac: return 8;
    case kOffset: return 24;
    case kGain: return 24;
    default: return 8;
    }
}

void RegisterFile::set(int reg, uint32_t value) {
    reg &= 7;
    switch (reg) {
    case kStatus:
    case kUnused: return;
    case kData: values_[reg] = value & 0xFFFFFF; return;
    case kMode: values_[reg] = value & 0xFFFF; return;
    case kDac: values_[reg] = value & 0xFF; return;
    default: values_[reg] = value & 0xFFFFFF; return;
    }
}

} // namespace qb::board
