#include "registers/CalibrationRegister.h"

#include "link/Register.h"
#include "platform/base/Text.h"

namespace qb::registers {

const CalibrationRegister offsetform{"offsetform",
                                     "QB4160 Offset Register",
                                     "Current Contents of Offset Register",
                                     "Offset Register",
                                     &link::SharedSettings::OffsetRegValue,
                                     link::comms::kOffsetRead,
                                     link::comms::kOffsetWrite,
                                     false};

const CalibrationRegister gainform{"gainform",
                                   "QB4160 Gain Register",
                                   "Current Contents of Gain Register",
                                   "Gain Register",
                                   &link::SharedSettings::GainRegValue,
                                   link::comms::kGainRead,
                                   link::comms::kGainWrite,
                                   true};

bool IsHexDigitKey(int keyAscii) { return platform::IsHexDigit(keyAscii); }

std::optional<int32_t> ParseHexWord(std::string_view text) {
    const std::optional<uint32_t> value = platform::ParseHexDigits(text, kHexWordDigits);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(*value);
}

} // namespace qb::registers
