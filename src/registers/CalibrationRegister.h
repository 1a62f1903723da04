#pragma once
// The offset and gain registers: two 24-bit registers edited by one window class. What differs
// between the two windows is data, listed here; the hexadecimal entry rules are shared.
#include <cstdint>
#include <optional>
#include <string_view>

#include "link/SharedSettings.h"

namespace qb::registers {

struct CalibrationRegister {
    const char* name;          // the window's name (its objectName)
    const char* caption;       // window caption
    const char* frameCaption;  // the frame around the indicators (Frame2)
    const char* heading;       // the title label (Label1)
    int32_t link::SharedSettings::*value;  // the shared setting the window edits
    int16_t readAddress;       // communications bytes
    int16_t writeAddress;
    bool hexKeysOnly;          // keys other than hexadecimal digits and Enter empty the entry
};

extern const CalibrationRegister offsetform;
extern const CalibrationRegister gainform;

// Most characters a new word may have: six hexadecimal digits, 0 to FFFFFF.
inline constexpr int kHexWordDigits = 6;

// The whole text as an unsigned hexadecimal number of 1 to 6 digits of either case, with no
// blanks, sign or prefix; nullopt for anything else.
std::optional<int32_t> ParseHexWord(std::string_view text);

// True for the key codes of 0-9, A-F and a-f.
bool IsHexDigitKey(int keyAscii);

} // namespace qb::registers
