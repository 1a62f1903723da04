#pragma once
// The converter's register file: what each on-chip register holds, its width on the serial
// interface, its value at power-on, and the fields the converter acts on.
#include <array>
#include <cstdint>

namespace qb::board {

// Register numbers, as bits 2..0 of the communications byte select them.
enum Reg : int {
    kStatus = 0,
    kData = 1,
    kMode = 2,
    kFilter = 3,
    kDac = 4,
    kOffset = 5,
    kGain = 6,
    kUnused = 7, // reads as zeros, writes are dropped
};

inline constexpr uint32_t kPowerOnMode = 0x21B0;     // continuous, bipolar, 24 bit, 5 V, 80 mV, Ain1
inline constexpr uint32_t kPowerOnFilter = 0x800010; // filter word 2048, CHOP on
inline constexpr uint32_t kPowerOnDac = 0;
inline constexpr uint32_t kOffsetZero = 0x800000;    // offset register meaning "no offset correction"
inline constexpr uint32_t kGainUnity = 0x555555;     // gain register meaning "gain correction 1"

// Operating modes, bits 15..13 of the mode register.
enum class OpMode : int {
    Sync = 0,
    Continuous = 1,
    Single = 2,
    PowerDown = 3,
    InternalZero = 4,
    InternalFull = 5,
    SystemZero = 6,
    SystemFull = 7,
};

// The mode register, field by field.
struct ModeFields {
    OpMode mode;
    bool unipolar;      // bit 12
    bool digitalOut;    // bit 11: D0/D1 outputs enabled (kept; no port line shows them)
    bool wordIs24;      // bit 8
    bool ref5V;         // bit 7
    double rangeMv;     // bits 5..4: 10, 20, 40, 80 mV
    int channel;        // bits 1..0
    int wordBits() const { return wordIs24 ? 24 : 16; }
};
ModeFields DecodeMode(uint32_t mode);

// The filter register, field by field.
struct FilterFields {
    int word;    // SF, bits 23..12
    bool skip;   // bit 9
    bool fast;   // bit 8
    bool ac;     // bit 5 (kept; the simulated input is DC, so excitation changes nothing)
    bool chop;   // bit 4
    int delay;   // bits 3..0
};
FilterFields DecodeFilter(uint32_t filter);

// Offset in millivolts that a DAC register value adds to the input: bits 4..0 in steps of
// 2.5 mV with the 5 V reference or 1.25 mV with 2.5 V; bit 5 makes it negative. Bits 7..6 do
// nothing.
double DacOffsetMv(uint32_t dac, bool ref5V);

class RegisterFile {
public:
    RegisterFile() { powerOn(); }

    void powerOn();

    // Bits a write or a single read of `reg` shifts (the data register follows the word length
    // of the mode register).
    int length(int reg) const;

    uint32_t get(int reg) const { return values_[reg & 7]; }
    // Stores `value` cut to the register's width. Status and the unused register keep nothing.
    void set(int reg, uint32_t value);
    // Whether `reg` was written over the serial interface since power-on.
    bool written(int reg) const { return written_[reg & 7]; }
    void markWritten(int reg) { written_[reg & 7] = true; }

    ModeFields mode() const { return DecodeMode(values_[kMode]); }
    FilterFields filter() const { return DecodeFilter(values_[kFilter]); }

private:
    std::array<uint32_t, 8> values_{};
    std::array<bool, 8> written_{};
};

} // namespace qb::board
