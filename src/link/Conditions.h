#pragma once
// The conditions a series of codes was taken under: the converter's registers, its master clock
// and the board. A CSV file of codes opens with them, so that the codes can be analysed again in
// the same data format and at the same rate wherever they are read back.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/Result.h"

namespace qb::link {

struct Context;

struct Conditions {
    int32_t mode = 0;             // the mode register: polarity, word length, reference, range
    int32_t filter = 0;           // the filter register: with the master clock, the sample rate
    int32_t masterClockHz = 0;
    std::optional<int32_t> dac;   // the DAC, offset and gain registers; none: not known
    std::optional<int32_t> offset;
    std::optional<int32_t> gain;
    std::string board;            // which board took the codes; empty: not known

    bool operator==(const Conditions&) const = default;
};

// The first line of a CSV file of codes, by which the program knows its own files.
inline constexpr std::string_view kCodesCsvTitle = "# QB4160 codes";

// The text of a field whose value is not known.
inline constexpr std::string_view kUnknownField = "unknown";

// The conditions as header fields, (name, text) in order: board, mode_register, filter_register,
// dac_register, offset_register, gain_register (upper-case hexadecimal, or "unknown"),
// master_clock_hz (decimal).
std::vector<std::pair<std::string_view, std::string>> ConditionFields(const Conditions& conditions);

// The text of a header field by its name; nullopt when the header does not give it.
using FieldLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The conditions back from the fields ConditionFields writes. mode_register, filter_register and
// master_clock_hz must be given; the others may be missing or "unknown". Fails naming the field
// that is missing or does not read as its value.
platform::Result<Conditions> ConditionsFromFields(const FieldLookup& field);

// The converter's present set-up as the shared settings know it: the mode and filter registers
// (read at start-up and kept with every write), the master clock and the board by its name. The
// DAC, offset and gain registers, which nothing keeps up to date, are left unknown.
Conditions PresentConditions(const Context& ctx);

// The present set-up with the DAC, offset and gain registers read from the converter (which must
// not be reading continuously), as a file of its codes states them; unknown while no port is chosen.
Conditions ReadConditions(const Context& ctx);

// The conditions of the codes in the shared code buffer: those they came with (a CSV file), or
// else the converter's present set-up, read (ReadConditions).
Conditions BufferConditions(const Context& ctx);

} // namespace qb::link
