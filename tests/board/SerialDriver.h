#pragma once
// A small host for tests of the simulated board: the same port byte sequences the program's
// serial routines make (rest 26; a bit b is sent as 26+b, 18+b, 26+b; a bit is read as 18, 26,
// then status bit 4; data reads first poll status bit 6), over any PortIo.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/PortIo.h"

namespace qb::test {

// Communications bytes and widths of the registers.
struct RegisterAccess {
    const char* name;
    int readByte;
    int writeByte;
    int bits;
};
inline constexpr RegisterAccess kModeReg{"mode", 18, 2, 16};
inline constexpr RegisterAccess kFilterReg{"filter", 19, 3, 24};
inline constexpr RegisterAccess kDacReg{"dac", 20, 4, 8};
inline constexpr RegisterAccess kOffsetReg{"offset", 21, 5, 24};
inline constexpr RegisterAccess kGainReg{"gain", 22, 6, 24};
inline constexpr RegisterAccess kStatusReg{"status", 16, 0, 8};

class SerialDriver {
public:
    explicit SerialDriver(platform::PortIo& port, uint16_t base = 0x378) : port_(port), base_(base) {}

    void out(uint8_t value) { port_.OutByte(base_, value); }
    uint8_t status() { return port_.InByte(static_cast<uint16_t>(base_ + 1)); }
    bool readyLow() { return !(status() & 0x40); }

    void writeSerial(uint32_t value, int bits) {
        out(26);
        for (int j = bits - 1; j >= 0; --j) {
            const uint8_t b = (value >> j) & 1u;
            out(26 + b);
            out(18 + b);
            out(26 + b);
        }
        out(26);
    }
    uint32_t readSerial(int bits) {
        out(26);
        return clockIn(bits);
    }
    // Polls the ready line up to maxPolls times; nullopt when it never went low.
    std::optional<uint32_t> readWhenReady(int bits, long maxPolls = 10'000'000) {
        out(26);
        for (long n = 1; n <= maxPolls; ++n) {
            if (!(status() & 0x40)) return clockIn(bits);
        }
        return std::nullopt;
    }

    void write(const RegisterAccess& r, uint32_t value) {
        writeSerial(static_cast<uint32_t>(r.writeByte), 8);
        writeSerial(value, r.bits);
    }
    uint32_t read(const RegisterAccess& r) {
        writeSerial(static_cast<uint32_t>(r.readByte), 8);
        return readSerial(r.bits);
    }

    void startContinuous() { writeSerial(33, 8); }
    void stopContinuous() {
        writeSerial(48, 8);
        out(27);
    }
    // Reads `count` results in continuous read; a missing result ends the list early.
    std::vector<uint32_t> readResults(int count, int bits = 24, long maxPolls = 10'000'000) {
        std::vector<uint32_t> codes;
        startContinuous();
        for (int i = 0; i < count; ++i) {
            auto code = readWhenReady(bits, maxPolls);
            if (!code) break;
            codes.push_back(*code);
        }
        stopContinuous();
        return codes;
    }

    void interfaceReset() {
        for (int i = 0; i < 32; ++i) {
            out(19);
            out(27);
        }
        out(26);
    }
    void hardwareReset() {
        out(24);
        out(26);
    }

private:
    uint32_t clockIn(int bits) {
        uint32_t result = 0;
        for (int j = bits - 1; j >= 0; --j) {
            out(18);
            out(26);
            if (status() & 0x10) result |= 1u << j;
        }
        return result;
    }

    platform::PortIo& port_;
    uint16_t base_;
};

} // namespace qb::test
