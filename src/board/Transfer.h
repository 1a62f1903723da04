#pragma once
// From filtered input voltage to output code, and the register values the calibrations find.
//
// With u = V / R (V the input in mV, R the range in mV) the offset and gain registers give the
// corrected fraction
//     x = (u - (offset - 800000h) / 2^23) * gain / 555555h
// so the power-on values 800000h and 555555h leave u untouched, one step of the offset register
// is R / 2^23, and the gain register scales linearly. The code of an N-bit word is
//     bipolar:  floor(2^(N-1) * (1 + x))     unipolar: floor(2^N * x)
// clamped to 0 .. 2^N - 1.
#include <cstdint>

namespace qb::board {

struct Coding {
    bool unipolar = false;
    int bits = 24;
    double rangeMv = 80.0;
    uint32_t offset = 0x800000;
    uint32_t gain = 0x555555;
};

struct Code {
    uint32_t value = 0;
    bool clamped = false; // the input lay outside the range: the code is the end of the word
};

// The corrected fraction x of the range for an input of `inputMv`.
double CorrectedFraction(double inputMv, const Coding& coding);

Code Encode(double inputMv, const Coding& coding);

// Offset register that makes `measuredMv` read as zero (zero-scale calibration).
uint32_t ZeroScaleOffset(double measuredMv, double rangeMv);

// Gain register that makes `measuredMv` read as full scale, with the offset register
// `offset` in force (full-scale calibration). Spans too small for the register to reach
// (below a third of the range, or at or below the zero-scale point) give FFFFFFh.
uint32_t FullScaleGain(double measuredMv, double rangeMv, uint32_t offset);

} // namespace qb::board
