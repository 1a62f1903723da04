#pragma once
// Reads a port log as the register transfers it carries, one text each, so tests can state the
// exact traffic of a window in a line:
//   "W mode 21A0"   a communications byte that writes a register, then that register's bits
//   "R status 90"   a communications byte that reads a register, then its bits as clocked in
//   "C 48"          a communications byte with no register bits after it (start or stop reading)
//   "D 100000"      a result taken in continuous reading: 26, the ready-line polls, then 18, 26
//                   and a status read per bit (as many bits as were clocked)
//   "wait"          status reads outside any transfer: a wait for the ready line
//   "out 1B"        any other data-register write; "in 37A" / "out 37A=C0" other accesses
// A send is 26, then 26+b, 18+b, 26+b per bit, then 26; a read is 26, then 18, 26 and a status
// read per bit (see link/Serial.h).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Numbers.h"
#include "support/RecordingPort.h"

namespace qb::test {

inline std::vector<std::string> RegisterTraffic(const std::vector<PortAccess>& log, uint16_t base = 0x378) {
    static const char* const names[8] = {"status", "data", "mode", "filter", "DAC", "offset", "gain", "7"};
    static const int bits[8] = {8, 24, 16, 24, 8, 24, 24, 8};
    const uint16_t status = base + 1;
    const auto hex = [](uint32_t v) { return platform::Hex(v); };
    const auto isWrite = [&](std::size_t i, int value) {
        return i < log.size() && log[i].write && log[i].address == base && (value < 0 || log[i].value == value);
    };
    const auto isStatusRead = [&](std::size_t i) { return i < log.size() && !log[i].write && log[i].address == status; };
    // A send of n bits starting at i: its value, and i moves past it; -1 (i unchanged) if none.
    const auto send = [&](std::size_t& i, int n) -> int64_t {
        std::size_t j = i;
        if (!isWrite(j++, 26)) return -1;
        uint32_t v = 0;
        for (int k = 0; k < n; ++k, j += 3) {
            if (!isWrite(j, -1)) return -1;
            const int b = log[j].value - 26;
            if ((b != 0 && b != 1) || !isWrite(j + 1, 18 + b) || !isWrite(j + 2, 26 + b)) return -1;
            v = v << 1 | uint32_t(b);
        }
        if (!isWrite(j++, 26)) return -1;
        i = j;
        return v;
    };
    const auto read = [&](std::size_t& i, int n) -> int64_t {
        std::size_t j = i;
        if (!isWrite(j++, 26)) return -1;
        uint32_t v = 0;
        for (int k = 0; k < n; ++k, j += 3) {
            if (!isWrite(j, 18) || !isWrite(j + 1, 26) || !isStatusRead(j + 2)) return -1;
            v = v << 1 | ((log[j + 2].value & 16) ? 1u : 0u);
        }
        i = j;
        return v;
    };

    const auto dataRead = [&](std::size_t& i) -> int64_t {
        std::size_t j = i;
        if (!isWrite(j++, 26) || !isStatusRead(j)) return -1;
        while (isStatusRead(j)) ++j;
        uint32_t v = 0;
        int n = 0;
        for (; isWrite(j, 18) && isWrite(j + 1, 26) && isStatusRead(j + 2); j += 3, ++n)
            v = v << 1 | ((log[j + 2].value & 16) ? 1u : 0u);
        if (n == 0) return -1;
        i = j;
        return v;
    };

    std::vector<std::string> out;
    for (std::size_t i = 0; i < log.size();) {
        if (isStatusRead(i)) {
            while (isStatusRead(i)) ++i;
            out.push_back("wait");
            continue;
        }
        std::size_t j = i;
        if (const int64_t comms = send(j, 8); comms >= 0) {
            const int reg = int(comms & 7), op = int(comms >> 4 & 3);
            const int64_t value = op == 0 ? send(j, bits[reg]) : op == 1 ? read(j, bits[reg]) : -1;
            if (value >= 0) {
                out.push_back(std::string(op == 0 ? "W " : "R ") + names[reg] + " " + hex(uint32_t(value)));
                i = j;
                continue;
            }
            if (op >= 2) {
                out.push_back("C " + std::to_string(comms));
                i = j;
                continue;
            }
        }
        j = i;
        if (const int64_t code = dataRead(j); code >= 0) {
            out.push_back("D " + hex(uint32_t(code)));
            i = j;
            continue;
        }
        const PortAccess& a = log[i++];
        if (a.address == base && a.write)
            out.push_back("out " + hex(a.value));
        else
            out.push_back(std::string(a.write ? "out " : "in ") + hex(a.address) + (a.write ? "=" + hex(a.value) : ""));
    }
    return out;
}

} // namespace qb::test
