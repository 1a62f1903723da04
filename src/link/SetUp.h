#pragma once
// A set-up: values for any of the converter's five programmable registers, and its file form, a
// small JSON object of hexadecimal strings: {"mode": "2190", "filter": "400010"}. The headless
// acquisition, the program menu and the noise sweep program the converter from one.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Result.h"

namespace qb::link {

// The programmable registers, in the order a set-up writes them: the filter, the DAC, the
// offset and the gain first, then the mode, which sets the converter converting.
enum class SetUpRegister { Filter, Dac, Offset, Gain, Mode };
inline constexpr std::array<SetUpRegister, 5> kWriteOrder = {SetUpRegister::Filter, SetUpRegister::Dac,
                                                             SetUpRegister::Offset, SetUpRegister::Gain,
                                                             SetUpRegister::Mode};
// The order of a set-up file and of the program menu.
inline constexpr std::array<SetUpRegister, 5> kMenuOrder = {SetUpRegister::Mode, SetUpRegister::Filter,
                                                            SetUpRegister::Dac, SetUpRegister::Offset,
                                                            SetUpRegister::Gain};

struct RegisterTraits {
    const char* key;       // in a set-up file and as a command-line option: "filter"
    const char* name;      // in messages: "filter register"
    std::size_t digits;    // hexadecimal digits a value may have
    int32_t largest;       // largest value
    const char* example;   // a value to show in a message
    int16_t readByte, writeByte, bits;  // communications bytes and width
};
const RegisterTraits& TraitsOf(SetUpRegister reg);

// A register value as typed or written in a file: 1 to the register's number of hexadecimal
// digits, either case, optionally after "0x", no larger than its largest value (3F for the DAC,
// whose top two bits the program leaves at 0). Fails with the rule the text broke, worded to
// follow the value ("is not 1 to 4 hexadecimal digits, such as 21B0").
platform::Result<int32_t> ParseRegisterValue(SetUpRegister reg, std::string_view text);

// The same, for a value that is to be written to the converter: a mode value whose operating
// mode is a calibration (bits 15..13 at 100 to 111) is refused, since writing it would start one.
platform::Result<int32_t> ParseProgrammableValue(SetUpRegister reg, std::string_view text);

struct SetUp {
    std::array<std::optional<int32_t>, 5> values;  // by SetUpRegister

    std::optional<int32_t>& operator[](SetUpRegister reg) { return values[static_cast<std::size_t>(reg)]; }
    const std::optional<int32_t>& operator[](SetUpRegister reg) const {
        return values[static_cast<std::size_t>(reg)];
    }
    // The values `over` gives take the place of these.
    void OverrideWith(const SetUp& over);
    bool operator==(const SetUp&) const = default;
};

// The set-up of a JSON text: one object whose keys are among mode, filter, dac, offset and gain,
// each at most once, each with a string accepted by ParseProgrammableValue. Fails naming the line
// of a text that is not JSON or not an object, or the key that is unknown, repeated or holds a
// bad value.
platform::Result<SetUp> ParseSetUp(std::string_view json);

// The set-up as a JSON object of its values in the menu's order, one key a line.
std::string SetUpJson(const SetUp& setUp);

// Largest set-up file taken.
inline constexpr std::size_t kMaxSetUpFileBytes = 64 * 1024;

// ParseSetUp of a file; its errors begin with the file's name. Fails also for a file that cannot
// be read, is not a plain file or is larger than kMaxSetUpFileBytes.
platform::Result<SetUp> ReadSetUpFile(const std::string& path);

} // namespace qb::link
