#pragma once
// How every register window changes a register: write the new value, read the register back at
// once, and compare. The window tells the user about a difference (link::kReadErrorMessage) and
// decides what it keeps showing.
#include <cstdint>

#include "link/Register.h"

namespace qb::registers {

// Sets RegValue to `value`, WriteReg, then ReadReg. True when the register read back holds
// `value`.
bool WriteAndCheck(link::Register& reg, int32_t value);

} // namespace qb::registers
