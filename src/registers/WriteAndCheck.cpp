#include "registers/WriteAndCheck.h"

namespace qb::registers {

bool WriteAndCheck(link::Register& reg, int32_t value) {
    reg.setRegValue(value);
    reg.WriteReg();
    return reg.ReadReg() == static_cast<double>(value);
}

} // namespace qb::registers
