// The mode register window on the simulated board: what opening shows and never writes, the exact
// write and read-back of every field, the read-back check, the operating modes and calibrations,
// the Ain2 rule, the digital outputs and the clock-output warning.
#include <gtest/gtest.h>

#include "platform/widgets/Controls.h"
#include "registers/Mode1.h"
#include "registers/ModeRegister.h"
#include "registers/ModeProbe.h"

namespace qb::regtest {
namespace {

TEST(Mode1, OpeningSetsEveryControlFromTheChipAndWritesNothing) {
    struct Case {
        int32_t chip;
        const char* state;
        const char* levels;   // Label2|Label5
        std::tuple<int, int, double, int, int> format;  // Polarity, WordLengthBits, RefVoltage, InputRangeMv, DigitalOutputsOn
        Traffic traffic;
    };
    const Case cases[] = {
        {0x0000, "md0 bipolar bit16 v2 range1 ch1", "|", {2, 16, 2.5, 10, 0}, {"R mode 0"}},
        {0x2180, "md1 bipolar bit24 v5 range1 ch1", "|", {2, 24, 5.0, 10, 0}, {"R mode 2180"}},
        {0x31B2, "md1 unipolar bit24 v5 range4 ch3", "|", {1, 24, 5.0, 80, 0}, {"R mode 31B2"}},
        {0x0027, "md0 bipolar bit16 v2 range3 ch4 Burn", "|", {2, 16, 2.5, 40, 0}, {"R mode 27"}},
        {0x0E10, "md0 bipolar bit16 v2 range2 ch1 den d1 d2 +outputs", "D0 is High|D1 is High", {2, 16, 2.5, 20, 1}, {"R mode E10"}},
        {0x0A00, "md0 bipolar bit16 v2 range1 ch1 den d1 +outputs", "D0 is High|D1 is Low", {2, 16, 2.5, 10, 1}, {"R mode A00"}},
        // Levels without the outputs: the hidden boxes keep them, no level is shown.
        {0x0400, "md0 bipolar bit16 v2 range1 ch1 d2", "|", {2, 16, 2.5, 10, 0}, {"R mode 400"}},
        // Power-down is written as it stands, even while the window opens.
        {0x6180, "md3 bipolar bit24 v5 range1 ch1", "|", {2, 24, 5.0, 10, 0}, {"R mode 6180", "W mode 6180"}},
        // A calibration still running: no mode shown, none started.
        {0x8180, "bipolar bit24 v5 range1 ch1", "|", {2, 24, 5.0, 10, 0}, {"R mode 8180"}},
        {0xE180, "bipolar bit24 v5 range1 ch1", "|", {2, 24, 5.0, 10, 0}, {"R mode E180"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex4(c.chip));
        Rig rig(c.chip);
        rig.settings.DigitalOutputsOn = 1;  // stale: opening makes it describe the chip
        registers::Mode1 form(rig.ctx);
        RunModal(form, [&] {
            EXPECT_EQ(form.caption(), "QB4160 Mode Register");
            EXPECT_EQ(State(form), c.state);
            EXPECT_EQ(Text(form, "Label2") + "|" + Text(form, "Label5"), c.levels);
            EXPECT_EQ(Find(form, "den")->text().toStdString(),
                      c.chip & 0x800 ? "Digital O/Ps Enabled" : "Digital O/Ps Disabled");
            EXPECT_EQ(Text(form, "Label4") + "|" + Hex4(int32_t(Shapes(form))), Hex4(c.chip) + "|" + Hex4(c.chip));
            EXPECT_EQ(Captions(form), c.chip & 0x1000 ? "0 to +10mV|0 to +20mV|0 to +40mV|0 to +80mV|"
                                                     : "-10mV to +10mV|-20mV to +20mV|-40mV to +40mV|-80mV to +80mV|");
        });
        const auto& s = rig.settings;
        EXPECT_EQ(std::make_tuple(int(s.Polarity), int(s.WordLengthBits), s.RefVoltage, int(s.InputRangeMv), int(s.DigitalOutputsOn)),
                  c.format);
        EXPECT_EQ(s.ModeRegValue, c.chip);
        EXPECT_EQ(s.UpdatingControls, 0);
        EXPECT_EQ(rig.traffic(), c.traffic);
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

TEST(Mode1, EachFieldChangeWritesTheRegisterOnceAndReadsItBackOnce) {
    struct Case {
        int32_t chip;
        std::vector<std::pair<const char*, int32_t>> clicks;  // control, value it writes and reads back
        std::tuple<int, int, double, int> format;  // Polarity, WordLengthBits, RefVoltage, InputRangeMv
    };
    const Case cases[] = {
        {0x2180, {{"range3", 0x21A0}}, {2, 24, 5.0, 40}},
        {0x2180, {{"range2", 0x2190}}, {2, 24, 5.0, 20}},
        {0x2180, {{"range4", 0x21B0}}, {2, 24, 5.0, 80}},
        {0x21B0, {{"range1", 0x2180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"unipolar", 0x3180}}, {1, 24, 5.0, 10}},
        {0x2180, {{"unipolar", 0x3180}, {"bipolar", 0x2180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"bit16", 0x2080}}, {2, 16, 5.0, 10}},
        {0x2080, {{"bit24", 0x2180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"v2", 0x2100}}, {2, 24, 2.5, 10}},
        {0x2100, {{"v5", 0x2180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"Burn", 0x2184}, {"Burn", 0x2180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"md0", 0x0180}, {"md1", 0x2180}, {"md2", 0x4180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"ch3", 0x2182}, {"ch2", 0x2181}, {"ch4", 0x2183}, {"ch1", 0x2180}}, {2, 24, 5.0, 10}},
        {0x2180, {{"den", 0x2980}, {"d1", 0x2B80}, {"d2", 0x2F80}, {"d1", 0x2D80}, {"den", 0x2180}}, {2, 24, 5.0, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex4(c.chip) + " " + c.clicks.front().first);
        Rig rig(c.chip);
        registers::Mode1 form(rig.ctx);
        ChoiceAnswers answers;
        Traffic expected;
        RunModal(form, [&] {
            rig.port.clear();
            for (const auto& [name, written] : c.clicks) {
                Click(form, name);
                const Traffic once = WriteAndReadBack(written);
                expected.insert(expected.end(), once.begin(), once.end());
                EXPECT_EQ(rig.traffic(), expected) << name;
                EXPECT_EQ(rig.settings.ModeRegValue, written) << name;
                EXPECT_EQ(Text(form, "Label4") + "|" + Hex4(int32_t(Shapes(form))), Hex4(written) + "|" + Hex4(written));
            }
            EXPECT_EQ(Captions(form), rig.settings.ModeRegValue & 0x1000
                                          ? "0 to +10mV|0 to +20mV|0 to +40mV|0 to +80mV|"
                                          : "-10mV to +10mV|-20mV to +20mV|-40mV to +40mV|-80mV to +80mV|");
        });
        const auto& s = rig.settings;
        EXPECT_EQ(std::make_tuple(int(s.Polarity), int(s.WordLengthBits), s.RefVoltage, int(s.InputRangeMv)), c.format);
        EXPECT_TRUE(rig.messages.shown.empty());
        EXPECT_TRUE(answers.seen.empty());
    }
}

TEST(Mode1, OutputLevelsFollowTheirBoxesAndEnablingWithBothLowWritesOnce) {
    Rig rig(0x2F80);  // outputs on, both high
    registers::Mode1 form(rig.ctx);
    RunModal(form, [&] {
        auto levels = [&] { return Text(form, "Label2") + "|" + Text(form, "Label5"); };
        EXPECT_EQ(levels(), "D0 is High|D1 is High");
        rig.port.clear();
        Click(form, "den");  // off: bits 11..9 cleared, the boxes hidden and left checked
        EXPECT_EQ(levels(), "|");
        EXPECT_EQ(State(form), "md1 bipolar bit24 v5 range1 ch1 d1 d2");
        Find<platform::CheckBox>(form, "den")->setValue(true);
        EXPECT_EQ(levels(), "D0 is Low|D1 is Low");
        EXPECT_EQ(State(form), "md1 bipolar bit24 v5 range1 ch1 den +outputs");
        EXPECT_EQ(Find(form, "den")->text().toStdString(), "Digital O/Ps Enabled");
        Click(form, "d2");
        EXPECT_EQ(levels(), "D0 is Low|D1 is High");
    });
    EXPECT_EQ(rig.traffic(), (Traffic{"W mode 2180", "R mode 2180", "W mode 2980", "R mode 2980", "W mode 2D80", "R mode 2D80"}));
    EXPECT_EQ(rig.settings.DigitalOutputsOn, 1);
}

// A chip that reads back something else: one message per change, the value meant stays, the
// hexadecimal text shows what the chip holds.
TEST(Mode1, ReadBackMismatchGivesOneMessagePerChange) {
    board::SimOptions options;
    options.fault = board::Fault::Readback;  // every written register reads back with bit 0 flipped
    const std::pair<const char*, int32_t> cases[] = {
        {"range1", 0x2180}, {"unipolar", 0x31B0}, {"bit16", 0x20B0}, {"v2", 0x2130}, {"Burn", 0x21B4},
        {"md2", 0x41B0}, {"ch3", 0x21B2}, {"den", 0x29B0}};
    for (const auto& [name, written] : cases) {
        SCOPED_TRACE(name);
        Rig rig(-1, options);  // power-on 21B0, never written, so read as it is
        registers::Mode1 form(rig.ctx);
        int dialogChoiceWhileUp = -1;
        rig.messages.onShow = [&](const platform::Message&) { dialogChoiceWhileUp = rig.settings.DialogChoice; };
        RunModal(form, [&, &name = name, &written = written] {  // clang 14 captures no binding by itself
            rig.port.clear();
            Click(form, name);
            EXPECT_EQ(Text(form, "Label4"), Hex4(written ^ 1));
        });
        EXPECT_EQ(rig.traffic(), (Traffic{"W mode " + Hex4(written), "R mode " + Hex4(written ^ 1)}));
        EXPECT_EQ(rig.messages.texts(), Strings{"Error occured while trying to read from QB4160"});
        EXPECT_EQ(rig.messages.shown[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_EQ(rig.settings.ModeRegValue, written);
        EXPECT_EQ(dialogChoiceWhileUp, 1);
        EXPECT_EQ(rig.settings.DialogChoice, 0);
    }
}

} // namespace
} // namespace qb::regtest
