#include "link/Conditions.h"

#include <charconv>

#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::link {

namespace {

std::string hexOrUnknown(const std::optional<int32_t>& value) {
    return value ? platform::Hex(*value) : std::string(kUnknownField);
}

struct HexField {
    std::string_view name;
    std::size_t digits;
};
constexpr HexField kMode{"mode_register", 4}, kFilter{"filter_register", 6}, kDac{"dac_register", 2},
    kOffset{"offset_register", 6}, kGain{"gain_register", 6};
constexpr std::string_view kBoard = "board", kMasterClock = "master_clock_hz";

platform::Result<std::optional<int32_t>> hexField(const FieldLookup& field, const HexField& f, bool required) {
    const std::optional<std::string> text = field(f.name);
    if (!text || *text == kUnknownField) {
        if (required) return platform::Fail("the header does not give " + std::string(f.name));
        return std::optional<int32_t>{};
    }
    const std::optional<uint32_t> value = platform::ParseHexDigits(*text, f.digits);
    if (!value)
        return platform::Fail(std::string(f.name) + " \"" + platform::Printable(*text) + "\" is not 1 to " + std::to_string(f.digits) +
                              " hexadecimal digits");
    return std::optional<int32_t>(static_cast<int32_t>(*value));
}

} // namespace

std::vector<std::pair<std::string_view, std::string>> ConditionFields(const Conditions& c) {
    return {{kBoard, c.board.empty() ? std::string(kUnknownField) : c.board},
            {kMode.name, platform::Hex(c.mode)},
            {kFilter.name, platform::Hex(c.filter)},
            {kDac.name, hexOrUnknown(c.dac)},
            {kOffset.name, hexOrUnknown(c.offset)},
            {kGain.name, hexOrUnknown(c.gain)},
            {kMasterClock, std::to_string(c.masterClockHz)}};
}

platform::Result<Conditions> ConditionsFromFields(const FieldLookup& field) {
    Conditions c;
    const std::pair<const HexField*, std::optional<int32_t>*> optional[] = {
        {&kDac, &c.dac}, {&kOffset, &c.offset}, {&kGain, &c.gain}};
    for (const auto& [f, target] : {std::pair{&kMode, &c.mode}, std::pair{&kFilter, &c.filter}}) {
        const auto value = hexField(field, *f, true);
        if (!value.ok()) return platform::Fail(value.error());
        *target = **value;
    }
    for (const auto& [f, target] : optional) {
        const auto value = hexField(field, *f, false);
        if (!value.ok()) return platform::Fail(value.error());
        *target = *value;
    }

    const std::optional<std::string> clock = field(kMasterClock);
    if (!clock) return platform::Fail("the header does not give " + std::string(kMasterClock));
    const char* end = clock->data() + clock->size();
    const auto parsed = std::from_chars(clock->data(), end, c.masterClockHz);
    if (parsed.ec != std::errc() || parsed.ptr != end || c.masterClockHz <= 0)
        return platform::Fail(std::string(kMasterClock) + " \"" + platform::Printable(*clock) + "\" is not a clock in hertz");

    const std::optional<std::string> board = field(kBoard);
    if (board && *board != kUnknownField) c.board = *board;
    return c;
}

} // namespace qb::link
