#include "registers/CalibrationRegister.h"

#include <charconv>

#include "link/Register.h"

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

bool IsHexDigitKey(int keyAscii) {
    return (keyAscii >= '0' && keyAscii <= '9') || (keyAscii >= 'A' && keyAscii <= 'F') ||
           (keyAscii >= 'a' && keyAscii <= 'f');
}

std::optional<int32_t> ParseHexWord(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(kHexWordDigits)) return std::nullopt;
    for (const char c : text)
        if (!IsHexDigitKey(static_cast<unsigned char>(c))) return std::nullopt;
    int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return value;
}

} // namespace qb::registers
