// Set-ups and the conditions of a measurement: a set-up file's JSON read (each refusal naming its
// key or line) and written back; the converter programmed from a set-up in its order, each
// register read back, stopping at the first that differs; the five registers read into a set-up;
// the conditions as header fields and back.
#include <gtest/gtest.h>

#include "link/Conditions.h"
#include "link/ProgramRegisters.h"
#include "link/SetUp.h"
#include "support/BoardRig.h"
#include "support/Why.h"

namespace qb::linktest {
namespace {

using link::SetUp;
using R = link::SetUpRegister;
using test::Why;
using Texts = std::vector<std::string>;

using Fields = std::map<std::string, std::string, std::less<>>;

link::FieldLookup LookupIn(const Fields& fields) {
    return [&fields](std::string_view name) -> std::optional<std::string> {
        const auto it = fields.find(name);
        return it == fields.end() ? std::nullopt : std::optional(it->second);
    };
}

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
        {"{}", {}, ""},
        {R"({"mode": "2190", "clock": "1"})", {}, "unknown key \"clock\": the keys are mode, filter, dac, offset and gain"},
        {R"({"dac": "40"})", {}, "\"dac\": \"40\" is above 3F, the largest value of the DAC register"},
        {R"({"mode": "12190"})", {}, "\"mode\": \"12190\" is not 1 to 4 hexadecimal digits, such as 2190"},
        {R"({"filter": ""})", {}, "\"filter\": \"\" is not 1 to 6 hexadecimal digits, such as 400010"},
        {R"({"mode": "8190"})", {},
         "\"mode\": \"8190\" would start a calibration (operating mode 100): a set-up may hold sync, continuous, single "
         "conversion or power down"},
        {R"({"mode": 2190})", {}, "\"mode\" must be a string of hexadecimal digits, such as \"2190\""},
        {R"({"mode": "2190", "mode": "2180"})", {}, "\"mode\" is given twice"},
        {"[\"mode\"]", {}, "line 1: a set-up is one JSON object, such as {\"mode\": \"2190\"}"},
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

TEST(SetUpFile, WrittenInTheMenusOrderAndReadBackAsItWas) {
    const link::SetUp all = Of({{R::Gain, 0x555555}, {R::Mode, 0x21B0}, {R::Dac, 0}, {R::Filter, 0x800010}, {R::Offset, 0x800000}});
    EXPECT_EQ(link::SetUpJson(all),
              "{\n  \"mode\": \"21B0\",\n  \"filter\": \"800010\",\n  \"dac\": \"0\",\n  \"offset\": \"800000\",\n"
              "  \"gain\": \"555555\"\n}\n");
    for (const link::SetUp& s : {all, Of({{R::Dac, 0x21}}), link::SetUp{}}) EXPECT_EQ(*link::ParseSetUp(link::SetUpJson(s)), s);
}

TEST(ProgramRegisters, FilterDacOffsetGainThenModeEachReadBack) {
    test::BoardRig rig;
    const link::SetUp s = Of({{R::Mode, 0x3180}, {R::Gain, 0x555000}, {R::Filter, 0x400010}, {R::Dac, 5}, {R::Offset, 0x800100}});
    EXPECT_EQ(link::ProgramRegisters(rig.ctx, s), std::nullopt);
    EXPECT_EQ(rig.traffic(), (Texts{"W filter 400010", "R filter 400010", "W DAC 5", "R DAC 5", "W offset 800100",
                                    "R offset 800100", "W gain 555000", "R gain 555000", "W mode 3180", "R mode 3180"}));
    EXPECT_EQ(std::make_tuple(rig.settings.FilterRegValue, rig.settings.DacRegValue, rig.settings.OffsetRegValue,
                              rig.settings.GainRegValue, rig.settings.ModeRegValue, rig.settings.Polarity),
              std::make_tuple(0x400010, int16_t{5}, 0x800100, 0x555000, 0x3180, int16_t{1}));
    // Only what the set-up gives is written; the registers read back as the converter holds them.
    rig.clear();
    EXPECT_EQ(link::ProgramRegisters(rig.ctx, Of({{R::Dac, 0x21}})), std::nullopt);
    EXPECT_EQ(rig.traffic(), (Texts{"W DAC 21", "R DAC 21"}));
    rig.clear();
    EXPECT_EQ(link::ReadRegisters(rig.ctx), Of({{R::Mode, 0x3180}, {R::Filter, 0x400010}, {R::Dac, 0x21},
                                                {R::Offset, 0x800100}, {R::Gain, 0x555000}}));
    EXPECT_EQ(rig.traffic(), (Texts{"R mode 3180", "R filter 400010", "R DAC 21", "R offset 800100", "R gain 555000"}));
}

TEST(ProgramRegisters, StopsAtTheFirstRegisterThatReadsBackOtherwise) {
    test::BoardRig rig(-1, test::Fault(board::Fault::Readback));
    const auto mismatch = link::ProgramRegisters(rig.ctx, Of({{R::Mode, 0x2190}, {R::Dac, 4}, {R::Gain, 0x100}}));
    ASSERT_TRUE(mismatch);
    EXPECT_EQ(link::MismatchText(*mismatch), "the DAC register read back 5 after 4 was written");
    EXPECT_EQ(rig.traffic(), (Texts{"W DAC 4", "R DAC 5"}));
    EXPECT_EQ(rig.settings.DacRegValue, 4);  // kept as written, as the DAC window keeps it
}

TEST(Conditions, HeaderFieldsAndBackNamingWhatIsMissingOrBad) {
    const link::Conditions full{0x2190, 0x400010, 2457600, 0x21, 0x800000, 0x555555, "simulated board (virtual time)"};
    const link::Conditions sparse{0x21B0, 0x800010, 4915200, {}, {}, {}, {}};
    for (const link::Conditions& c : {full, sparse}) {
        Fields fields;
        for (const auto& [name, text] : link::ConditionFields(c)) fields.emplace(name, text);
        const auto back = link::ConditionsFromFields(LookupIn(fields));
        ASSERT_EQ(Why(back), "");
        EXPECT_EQ(*back, c);
    }
    const std::pair<Fields, const char*> bad[] = {
        {{{"filter_register", "800010"}, {"master_clock_hz", "4915200"}}, "the header does not give mode_register"},
        {{{"mode_register", "21B0"}, {"filter_register", "800010"}}, "the header does not give master_clock_hz"},
        {{{"mode_register", "21B0"}, {"filter_register", "800010"}, {"master_clock_hz", "4.9 MHz"}},
         "master_clock_hz \"4.9 MHz\" is not a clock in hertz"},
        {{{"mode_register", "21B0"}, {"filter_register", "800010"}, {"master_clock_hz", "4915200"}, {"gain_register", "x"}},
         "gain_register \"x\" is not 1 to 6 hexadecimal digits"}};
    for (const auto& [fields, why] : bad) EXPECT_EQ(Why(link::ConditionsFromFields(LookupIn(fields))), why);
}

} // namespace
} // namespace qb::linktest
