#include "link/SetUp.h"

#include <algorithm>
#include <bitset>
#include <set>

#include <nlohmann/json.hpp>

#include "link/Register.h"
#include "platform/base/Numbers.h"
#include "platform/base/PlainFile.h"
#include "platform/base/Text.h"

namespace qb::link {

namespace {

constexpr RegisterTraits kTraits[] = {
    {"filter", "filter register", 6, 0xFFFFFF, "400010", comms::kFilterRead, comms::kFilterWrite, comms::kFilterBits},
    {"dac", "DAC register", 2, 0x3F, "1", comms::kDacRead, comms::kDacWrite, comms::kDacBits},
    {"offset", "offset register", 6, 0xFFFFFF, "1F4000", comms::kOffsetRead, comms::kOffsetWrite, comms::kOffsetBits},
    {"gain", "gain register", 6, 0xFFFFFF, "5761AB", comms::kGainRead, comms::kGainWrite, comms::kGainBits},
    {"mode", "mode register", 4, 0xFFFF, "2190", comms::kModeRead, comms::kModeWrite, comms::kModeBits},
};

// Bits 15..13 of the mode register at 100 or above: a calibration.
constexpr int32_t kCalibrationModes = 0x8000;

// The line of the byte at `offset` (1-based) in `text`.
std::size_t lineAt(std::string_view text, std::size_t offset) {
    const std::size_t end = std::min(offset, text.size());
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

std::optional<SetUpRegister> registerOfKey(std::string_view key) {
    for (SetUpRegister reg : kWriteOrder)
        if (key == TraitsOf(reg).key) return reg;
    return std::nullopt;
}

} // namespace

const RegisterTraits& TraitsOf(SetUpRegister reg) { return kTraits[static_cast<std::size_t>(reg)]; }

platform::Result<int32_t> ParseRegisterValue(SetUpRegister reg, std::string_view text) {
    const RegisterTraits& t = TraitsOf(reg);
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
    const std::optional<uint32_t> value = platform::ParseHexDigits(digits, t.digits);
    if (!value)
        return platform::Fail("is not 1 to " + std::to_string(t.digits) + " hexadecimal digits, such as " + t.example);
    if (*value > static_cast<uint32_t>(t.largest))
        return platform::Fail("is above " + platform::Hex(t.largest) + ", the largest value of the " + t.name);
    return static_cast<int32_t>(*value);
}

platform::Result<int32_t> ParseProgrammableValue(SetUpRegister reg, std::string_view text) {
    const platform::Result<int32_t> value = ParseRegisterValue(reg, text);
    if (value.ok() && reg == SetUpRegister::Mode && (*value & kCalibrationModes) != 0)
        return platform::Fail("would start a calibration (operating mode " + std::bitset<3>(*value >> 13).to_string() +
                              "): a set-up may hold sync, continuous, single conversion or power down");
    return value;
}

void SetUp::OverrideWith(const SetUp& over) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (over.values[i]) values[i] = over.values[i];
}

platform::Result<SetUp> ParseSetUp(std::string_view json) {
    // Repeated keys would silently keep the last value: the parser's callback notes them.
    std::set<std::string> keys;
    std::optional<std::string> repeated;
    const nlohmann::json::parser_callback_t noteKeys = [&](int depth, nlohmann::json::parse_event_t event,
                                                            nlohmann::json& parsed) {
        if (event == nlohmann::json::parse_event_t::key && depth == 1 && parsed.is_string() &&
            !keys.insert(parsed.get<std::string>()).second && !repeated)
            repeated = parsed.get<std::string>();
        return true;
    };
    nlohmann::json object;
    try {
        object = nlohmann::json::parse(json, noteKeys);
    } catch (const nlohmann::json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 2, column 1: syntax error ..."
        const std::string what = e.what();
        const std::size_t colon = what.find(": ");
        const std::string why = colon == std::string::npos ? what : what.substr(colon + 2);
        return platform::Fail("line " + std::to_string(lineAt(json, e.byte == 0 ? 0 : e.byte - 1)) +
                              ": not JSON (" + platform::Printable(why) + ")");
    } catch (const nlohmann::json::exception& e) {
        // A number too large for a double: "[json.exception.out_of_range.406] number overflow ...",
        // which gives no position.
        const std::string what = e.what();
        const std::size_t bracket = what.find("] ");
        return platform::Fail("not JSON (" + platform::Printable(bracket == std::string::npos ? what : what.substr(bracket + 2)) + ")");
    }
    if (!object.is_object())
        return platform::Fail("line 1: a set-up is one JSON object, such as {\"mode\": \"2190\"}");
    if (repeated) return platform::Fail("\"" + platform::Printable(*repeated) + "\" is given twice");

    SetUp setUp;
    for (const auto& [key, value] : object.items()) {
        const std::optional<SetUpRegister> reg = registerOfKey(key);
        if (!reg) return platform::Fail("unknown key \"" + platform::Printable(key) + "\": the keys are mode, filter, dac, offset and gain");
        const RegisterTraits& t = TraitsOf(*reg);
        if (!value.is_string())
            return platform::Fail("\"" + key + "\" must be a string of hexadecimal digits, such as \"" + t.example + "\"");
        const std::string text = value.get<std::string>();
        const platform::Result<int32_t> parsed = ParseProgrammableValue(*reg, text);
        if (!parsed.ok()) return platform::Fail("\"" + key + "\": \"" + platform::Printable(text) + "\" " + parsed.error());
        setUp[*reg] = *parsed;
    }
    return setUp;
}

std::string SetUpJson(const SetUp& setUp) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (SetUpRegister reg : kMenuOrder)
        if (setUp[reg]) object[TraitsOf(reg).key] = platform::Hex(*setUp[reg]);
    return object.dump(2) + "\n";
}

platform::Result<SetUp> ReadSetUpFile(const std::string& path) {
    std::string content;
    bool tooLarge = false;
    const platform::Result<> read = platform::ReadPlainFile(path, [&](std::string_view piece) {
        tooLarge = content.size() + piece.size() > kMaxSetUpFileBytes;
        if (!tooLarge) content.append(piece);
        return !tooLarge;
    });
    if (!read.ok()) return platform::Fail(path + ": cannot be read: " + read.error());
    if (tooLarge)
        return platform::Fail(path + ": larger than " + std::to_string(kMaxSetUpFileBytes / 1024) +
                              " KiB, too large for a set-up");
    const platform::Result<SetUp> setUp = ParseSetUp(content);
    if (!setUp.ok()) return platform::Fail(path + ": " + setUp.error());
    return setUp;
}

} // namespace qb::link
