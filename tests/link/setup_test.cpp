// Set-ups: a set-up file's JSON read, each refusal naming its key or line; the converter
// programmed from a set-up in its order, each register read back.
#include <gtest/gtest.h>

#include "link/ProgramRegisters.h"
#include "link/SetUp.h"
#include "support/BoardRig.h"
#include "support/Why.h"

namespace qb::linktest {
namespace {

using link::SetUp;
using R = link::SetUpRegister;
using test::Why;

SetUp Of(std::initializer_list<std::pair<R, int32_t>> values) {
    SetUp s;
    for (const auto& [reg, value] : values) s[reg] = value;
    return s;
}

TEST(SetUpFile, JsonObjectOfHexStringsAndWhatIsWrongWithABadOne) {
    const struct {
        const char* json;
        link::SetUp want;
        const char* why;
    } cases[] = {
        {R"({"mode": "2190", "filter": "0x400010"})", Of({{R::Mode, 0x2190}, {R::Filter, 0x400010}}), ""},
        {R"({"dac": "3f", "offset": "1F4000", "gain": "FFFFFF"})",
         Of({{R::Dac, 0x3F}, {R::Offset, 0x1F4000}, {R::Gain, 0xFFFFFF}}), ""},
        {R"({"mode": "2190", "clock": "1"})", {}, "unknown key \"clock\": the keys are mode, filter, dac, offset and gain"},
        {R"({"dac": "40"})", {}, "\"dac\": \"40\" is above 3F, the largest value of the DAC register"},
        {R"({"mode": "12190"})", {}, "\"mode\": \"12190\" is not 1 to 4 hexadecimal digits, such as 2190"},
        {R"({"mode": "8190"})", {},
         "\"mode\": \"8190\" would start a calibration (operating mode 100): a set-up may hold sync, continuous, single "
         "conversion or power down"},
        {R"({"mode": 2190})", {}, "\"mode\" must be a string of hexadecimal digits, such as \"2190\""},
        {R"({"mode": "2190", "mode": "2180"})", {}, "\"mode\" is given twice"},
        {"[\"mode\"]", {}, "line 1: a set-up is one JSON object, such as {\"mode\": \"2190\"}"},
        // What the file holds is quoted on one line, with no control character sent on.
        {R"({"mo\nde": "1"})", {}, R"(unknown key "mo\nde": the keys are mode, filter, dac, offset and gain)"},
        {R"({"dac": "\u001b[2J"})", {}, R"("dac": "\x1b[2J" is not 1 to 2 hexadecimal digits, such as 1)"},
        {R"({"a\tb": 1, "a\tb": 2})", {}, R"("a\tb" is given twice)"},
        {"{\"mode\": \"2190\",\x7f}", {}, "line 1: not JSON (syntax error while parsing object key - invalid literal; last read: '\"2190\",\\x7f'; expected string literal)"},
        {R"({"mode": 1e999})", {}, "not JSON (number overflow parsing '1e999')"},
    };
    for (const auto& c : cases) {
        const auto got = link::ParseSetUp(c.json);
        EXPECT_EQ(Why(got), c.why) << c.json;
        if (got.ok()) {
            EXPECT_EQ(*got, c.want) << c.json;
        }
    }
    // Broken JSON is named by its line.
    for (const auto& [json, line] : {std::pair{"{\n  \"mode\": \"2190\",\n}\n", "line 3: not JSON ("}, {"", "line 1: not JSON ("}})
        EXPECT_TRUE(Why(link::ParseSetUp(json)).starts_with(line)) << Why(link::ParseSetUp(json));
}

TEST(ProgramRegisters, TheSettingsFollowTheRegistersWrittenAndTheDacReadsBackAsItsSixBits) {
    test::BoardRig rig;
    const link::SetUp s = Of({{R::Mode, 0x3180}, {R::Gain, 0x555000}, {R::Filter, 0x400010}, {R::Dac, 5}, {R::Offset, 0x800100}});
    EXPECT_EQ(link::ProgramRegisters(rig.ctx, s), std::nullopt);  // its traffic in order: AcquireSetUp
    EXPECT_EQ(std::make_tuple(rig.settings.FilterRegValue, rig.settings.DacRegValue, rig.settings.OffsetRegValue,
                              rig.settings.GainRegValue, rig.settings.ModeRegValue, rig.settings.Polarity),
              std::make_tuple(0x400010, int16_t{5}, 0x800100, 0x555000, 0x3180, int16_t{1}));
    // Read back as a set-up can write it again: the DAC's low six bits, as its window keeps them.
    rig.writeReg(link::comms::kDacWrite, link::comms::kDacBits, 0xC5);
    EXPECT_EQ(link::ReadRegisters(rig.ctx)[R::Dac], 5);
}

} // namespace
} // namespace qb::linktest
