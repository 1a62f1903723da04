#pragma once
// What the port sees when the program starts against a board at 378h: the control register read
// and written back ANDed with 212, the start-up byte 11, then the mode register read
// (communications byte 18, 16 bits) and the filter register read (communications byte 19,
// 24 bits). Reads are listed with the value 0: their values are the board's.
#include <cstdint>
#include <string>
#include <vector>

#include "support/RecordingPort.h"

namespace qb::shelltest {

inline constexpr uint16_t kData = 0x378, kStatus = 0x379, kControl = 0x37A;

// One serial send of the low `bits` bits of `value`: 26, then 26+b, 18+b, 26+b per bit, then 26.
inline void appendSend(std::vector<test::PortAccess>& out, int value, int bits) {
    out.push_back({true, kData, 26});
    for (int j = bits - 1; j >= 0; --j) {
        const auto b = static_cast<uint8_t>((value >> j) & 1);
        out.push_back({true, kData, static_cast<uint8_t>(26 + b)});
        out.push_back({true, kData, static_cast<uint8_t>(18 + b)});
        out.push_back({true, kData, static_cast<uint8_t>(26 + b)});
    }
    out.push_back({true, kData, 26});
}

// One serial read of `bits` bits: 26, then per bit 18, 26 and a status read.
inline void appendRead(std::vector<test::PortAccess>& out, int bits) {
    out.push_back({true, kData, 26});
    for (int j = 0; j < bits; ++j) {
        out.push_back({true, kData, 18});
        out.push_back({true, kData, 26});
        out.push_back({false, kStatus, 0});
    }
}

// The start-up traffic; `control` is what the control register read gave.
inline std::vector<test::PortAccess> StartupTraffic(uint8_t control) {
    std::vector<test::PortAccess> out{{false, kControl, 0},
                                      {true, kControl, static_cast<uint8_t>(control & 212)},
                                      {true, kData, 11}};
    appendSend(out, 18, 8);
    appendRead(out, 16);
    appendSend(out, 19, 8);
    appendRead(out, 24);
    return out;
}

// `log` with the values of its reads set to 0, to compare with StartupTraffic.
inline std::vector<test::PortAccess> WithoutReadValues(std::vector<test::PortAccess> log) {
    for (auto& a : log)
        if (!a.write) a.value = 0;
    return log;
}

} // namespace qb::shelltest
