// The DAC register window through its real controls, on the simulated board (virtual time):
// opening reads once and writes nothing, entries are written and read back or refused,
// read-back differences (the faulty board flips bit 0 of every register it reads back).
#include <gtest/gtest.h>

#include <QTest>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/base/Numbers.h"
#include "registers/DAC_form.h"
#include "registers/RegisterRig.h"

namespace {

using namespace qb;
using namespace qb::regtest;
using platform::TextBox;
using Lines = std::vector<std::string>;

// Opening drops bits 7..6 and shows the offsets without the sign blank; nothing is written.
TEST(DacWindow, OpeningShowsTheLowSixBits) {
    const std::pair<int32_t, const char*> cases[] = {
        {0xC5, "5|5|12.5mV|6.25mV|5"}, {0x25, "25|37|-12.5mV|-6.25mV|25"}, {0x20, "20|32|0mV|0mV|20"}};
    for (const auto& [reg, shown] : cases) {
        Rig rig;
        rig.load(link::comms::kDacWrite, reg);
        registers::DAC_form form(rig.ctx);
        RunModal(form, [&, &shown = shown] { EXPECT_EQ(Shown(form, {"DAC1", "dacword", "off5", "off2"}), shown); });
        EXPECT_EQ(rig.traffic(), Lines{"R DAC " + platform::Hex(reg)});
        EXPECT_EQ(rig.settings.DacRegValue, reg & 63);
    }
}

// Enter writes the word (at most 63), reads it back and shows its offsets with the sign blank.
// A negative, a non-number or one beyond 16 bits is refused: the box is emptied, nothing
// written. A read-back difference is said once and the word meant stays shown.
TEST(DacWindow, EntriesAreWrittenOrRefused) {
    const struct { const char* typed; bool faulty; int written; const char* shown; } cases[] = {
        {"70", false, 63, "3F|63|-77.5mV|-38.75mV|3F"},  {"5", false, 5, "5|5| 12.5mV| 6.25mV|5"},
        {"32", false, 32, "20|32| 0mV| 0mV|20"},         {"", false, 0, "0|0| 0mV| 0mV|0"},
        {"2.5", false, 2, "2|2.5| 5mV| 2.5mV|2"},        {"-5", false, -1, "6||15mV|7.5mV|6"},
        {"abc", false, -1, "6||15mV|7.5mV|6"},          {"99999", false, -1, "6||15mV|7.5mV|6"},
        {"10", true, 10, "A|10| 25mV| 12.5mV|A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Rig rig(-1, Board(c.faulty));
        rig.load(link::comms::kDacWrite, 6);
        registers::DAC_form form(rig.ctx);
        RunModal(form, [&] {
            rig.clear();
            Enter(form, "dacword", c.typed);
            EXPECT_EQ(Shown(form, {"DAC1", "dacword", "off5", "off2"}), c.shown);
        });
        EXPECT_EQ(rig.traffic(), c.written < 0 ? Lines{} : WriteAndReadBack("DAC", c.written, c.faulty));
        EXPECT_EQ(rig.settings.DacRegValue, c.written < 0 ? 6 : c.written);
        EXPECT_EQ(rig.messages.texts(), c.faulty ? Lines{link::kReadErrorMessage} : Lines{});
    }
}

} // namespace
