#pragma once
// Conversions from floating point to integers as the whole program makes them: to the nearest
// integer, halves to the even neighbour, and "no value" instead of a wrapped result when the
// target width cannot hold it.
#include <cstdint>
#include <optional>
#include <string>

namespace qb::platform {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). NaN and infinities stay as
// they are.
double RoundHalfEven(double x);

// Rounded as above, then checked against the width. nullopt on overflow or NaN.
std::optional<int16_t> ToInt16(double x);
std::optional<int32_t> ToInt32(double x);

// Upper-case hexadecimal without prefix or leading zeros ("0" for zero) of x rounded half to
// even. A negative value is shown as its 32-bit two's complement ("FFFFFFFF" for -1). Values
// outside the signed 32-bit range are shown as their 64-bit pattern's low 32 bits.
std::string Hex(double x);

} // namespace qb::platform
