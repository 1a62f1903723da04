// The mode register window on the simulated board: what opening shows and never writes, the exact
// write and read-back of every field, the read-back check, the digital outputs; its two questions
// (an Ain2 channel while the digital outputs are on, disabling the clock output), both as a click
// and while the window opens; the operating modes: power-down written as it stands, the internal
// and system calibrations (written, waited for, the chip's value adopted, idle shown without
// another write, the new offset or gain in the status line), a calibration's wait ended by a key,
// a close or its limit; the arrow keys only looking through the modes; an answer given in the
// filter window not standing in for the clock-output warning's.
#include <gtest/gtest.h>

#include <QGroupBox>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "registers/Mode1.h"
#include "registers/ModeRegister.h"
#include "registers/RegisterRig.h"
#include "registers/filter.h"

namespace qb::regtest {
namespace {

using Traffic = std::vector<std::string>;
using Strings = std::vector<std::string>;

// What the window shows, in one line: the names of the selected option buttons and checked boxes,
// in a fixed order; "+outputs" when d1 and d2 are shown.
std::string State(QWidget& form) {
    std::string out;
    for (const char* name : {"md0", "md1", "md2", "md3", "md4", "md5", "md6", "md7", "unipolar", "bipolar", "bit24",
                             "bit16", "v5", "v2", "range1", "range2", "range3", "range4", "ch1", "ch2", "ch3", "ch4",
                             "Burn", "CLKOUT", "den", "d1", "d2"})
        if (Find(form, name)->isChecked()) out += (out.empty() ? "" : " ") + std::string(name);
    if (!Find(form, "d1")->isHidden() && !Find(form, "d2")->isHidden()) out += " +outputs";
    return out;
}
uint32_t Shapes(QWidget& form) { return form.findChild<platform::BitRow*>()->value(); }
std::string Hex4(int32_t v) { return platform::Hex(v); }
std::string Captions(QWidget& form) {
    std::string out;
    for (const char* name : {"range1", "range2", "range3", "range4"}) out += Find(form, name)->text().toStdString() + "|";
    return out;
}

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
        // A calibration still running: shown, not started again.
        {0x8180, "md4 bipolar bit24 v5 range1 ch1", "|", {2, 24, 5.0, 10, 0}, {"R mode 8180"}},
        {0xE180, "md7 bipolar bit24 v5 range1 ch1", "|", {2, 24, 5.0, 10, 0}, {"R mode E180"}},
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
        // Off leaves the boxes checked but hidden; on again starts with both levels low.
        {0x2180, {{"den", 0x2980}, {"d1", 0x2B80}, {"d2", 0x2F80}, {"d1", 0x2D80}, {"den", 0x2180}, {"den", 0x2980}}, {2, 24, 5.0, 10}},
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
                const Traffic once = WriteAndReadBack("mode", written);
                expected.insert(expected.end(), once.begin(), once.end());
                EXPECT_EQ(rig.traffic(), expected) << name;
                EXPECT_EQ(rig.settings.ModeRegValue, written) << name;
                EXPECT_EQ(Text(form, "Label4") + "|" + Hex4(int32_t(Shapes(form))), Hex4(written) + "|" + Hex4(written));
                const auto level = [v = written](const char* d, int bit) {  // clang 14 captures no binding by itself
                    return v & 0x800 ? std::string(d) + (v & bit ? " is High" : " is Low") : "";
                };
                EXPECT_EQ(Text(form, "Label2") + "|" + Text(form, "Label5"), level("D0", 0x200) + "|" + level("D1", 0x400));
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

// A chip that reads back something else: one message per change, the value meant stays, the
// hexadecimal text shows what the chip holds.
TEST(Mode1, ReadBackMismatchGivesOneMessagePerChange) {
    board::SimOptions options;
    options.fault = board::Fault::Readback;  // every written register reads back with bit 0 flipped
    const std::pair<const char*, int32_t> cases[] = {
        {"range1", 0x2180}, {"unipolar", 0x31B0}, {"bit16", 0x20B0}, {"v2", 0x2130}, {"Burn", 0x21B4},
        {"md2", 0x41B0}, {"ch3", 0x21B2}, {"den", 0x29B0},
        {"md3", 0x61B0}};  // power-down is written without a read-back: no message, the text kept
    for (const auto& [name, written] : cases) {
        SCOPED_TRACE(name);
        const bool readBack = written != 0x61B0;
        Rig rig(-1, options);  // power-on 21B0, never written, so read as it is
        registers::Mode1 form(rig.ctx);
        int dialogChoiceWhileUp = -1;
        rig.messages.onShow = [&](const platform::Message& m) {
            dialogChoiceWhileUp = rig.settings.DialogChoice;
            EXPECT_EQ(m.icon, platform::MsgIcon::Exclamation);
        };
        RunModal(form, [&, &name = name, &written = written] {  // clang 14 captures no binding by itself
            rig.port.clear();
            Click(form, name);
            EXPECT_EQ(Text(form, "Label4") + "|" + Hex4(int32_t(Shapes(form))), Hex4(readBack ? written ^ 1 : 0x21B0) + "|" + Hex4(written));
        });
        Traffic traffic{"W mode " + Hex4(written), "R mode " + Hex4(written ^ 1)};
        EXPECT_EQ(rig.traffic(), Traffic(traffic.begin(), traffic.begin() + 1 + readBack));
        EXPECT_EQ(rig.messages.texts(), Strings(readBack, "Error occured while trying to read from QB4160"));
        EXPECT_EQ(rig.settings.ModeRegValue, written);
        EXPECT_EQ(dialogChoiceWhileUp, readBack ? 1 : -1);
        EXPECT_EQ(rig.settings.DialogChoice, 0);
    }
}

// ---- the two questions ----------------------------------------------------------------------

struct Choice {
    int32_t chip;
    const char* click;             // nullptr: only the opening
    std::deque<std::string> answers;  // buttons pressed in the windows that come up (none: closed)
    Strings seen;                  // captions of the windows that came up
    std::string state;
    Traffic traffic;               // from the opening read on
    int32_t value;                 // ModeRegValue at the end
    const char* message = nullptr;
};

void RunChoice(const Choice& c) {
    Rig rig(c.chip);
    registers::Mode1 form(rig.ctx);
    ChoiceAnswers answers(c.answers);
    RunModal(form, [&] {
        if (c.click) Click(form, c.click);
        EXPECT_EQ(State(form), c.state);
    });
    EXPECT_EQ(answers.seen, c.seen);
    EXPECT_EQ(rig.traffic(), c.traffic);
    EXPECT_EQ(rig.settings.ModeRegValue, c.value);
    EXPECT_EQ(rig.settings.DialogChoice, 0);
    EXPECT_EQ(rig.settings.TurnOffOutputsChosen, 0);
    EXPECT_EQ(rig.messages.texts(), c.message ? Strings{c.message} : Strings{});
    EXPECT_EQ(rig.settings.DigitalOutputsOn, c.state.find("den") != std::string::npos);
}

TEST(Mode1, Ain2ChannelsAndTheDigitalOutputsExcludeEachOther) {
    const Strings asked{"QB4160"};
    const Choice cases[] = {
        // Turn the outputs off: written off first, then the channel.
        {0x2980, "ch2", {"Command1"}, asked, "md1 bipolar bit24 v5 range1 ch2",
         {"R mode 2980", "W mode 2180", "R mode 2180", "W mode 2181", "R mode 2181"}, 0x2181},
        {0x2F82, "ch4", {"Command1"}, asked, "md1 bipolar bit24 v5 range1 ch4 d1 d2",
         {"R mode 2F82", "W mode 2182", "R mode 2182", "W mode 2183", "R mode 2183"}, 0x2183},
        // Cancel, or closing the window: back to the previous channel, which is written again.
        {0x2980, "ch2", {"Command2"}, asked, "md1 bipolar bit24 v5 range1 ch1 den +outputs",
         {"R mode 2980", "W mode 2980", "R mode 2980"}, 0x2980},
        {0x2982, "ch4", {}, asked, "md1 bipolar bit24 v5 range1 ch3 den +outputs",
         {"R mode 2982", "W mode 2982", "R mode 2982"}, 0x2982},
        // Enabling the outputs with Ain2 selected is refused, says why and leaves them off.
        {0x2183, "den", {}, {}, "md1 bipolar bit24 v5 range1 ch4", {"R mode 2183", "W mode 2183", "R mode 2183"}, 0x2183,
         "The Digital Outputs cannot be enabled while Ain2 is selected. Please select a different channel before "
         "turning on the digital outputs."},
        // A chip holding both at opening: asked then; the answer is kept, not written.
        {0x0801, nullptr, {"Command1"}, asked, "md0 bipolar bit16 v2 range1 ch2", {"R mode 801"}, 0x0001},
        {0x0801, nullptr, {"Command2"}, asked, "md0 bipolar bit16 v2 range1 ch2 den +outputs", {"R mode 801"}, 0x0801},
        // Once open that way, another Ain2 channel cancelled goes back to the one read, unasked.
        {0x0801, "ch4", {"Command2", "Command2"}, {"QB4160", "QB4160"}, "md0 bipolar bit16 v2 range1 ch2 den +outputs",
         {"R mode 801"}, 0x0801},
    };
    for (const Choice& c : cases) {
        SCOPED_TRACE(Hex4(c.chip) + " " + (c.click ? c.click : "opening"));
        RunChoice(c);
    }
}

TEST(Mode1, TheClockOutputWarningDecidesTheBitWhicheverWayTheBoxWasClicked) {
    const Strings warned{"QB4160 Read Error!"}, twice{"QB4160 Read Error!", "QB4160 Read Error!"};
    const std::string base = "md1 bipolar bit24 v5 range1 ch1";
    const Choice cases[] = {
        {0x2180, "CLKOUT", {"Command1"}, warned, base, {"R mode 2180", "W mode 2180", "R mode 2180"}, 0x2180},
        {0x2180, "CLKOUT", {"ReadErrorCommand"}, warned, base + " CLKOUT", {"R mode 2180", "W mode 2188", "R mode 2188"}, 0x2188},
        {0x2180, "CLKOUT", {}, warned, base, {"R mode 2180", "W mode 2180", "R mode 2180"}, 0x2180},
        // Bit 3 set at opening: warned then too; the answer is kept and written with the next change.
        {0x2188, nullptr, {"ReadErrorCommand"}, warned, base + " CLKOUT", {"R mode 2188"}, 0x2188},
        {0x2188, nullptr, {"Command1"}, warned, base, {"R mode 2188"}, 0x2180},
        {0x2188, "CLKOUT", {"ReadErrorCommand", "ReadErrorCommand"}, twice, base + " CLKOUT",
         {"R mode 2188", "W mode 2188", "R mode 2188"}, 0x2188},
        {0x2188, "CLKOUT", {"ReadErrorCommand", "Command1"}, twice, base, {"R mode 2188", "W mode 2180", "R mode 2180"}, 0x2180},
    };
    for (const Choice& c : cases) {
        SCOPED_TRACE(Hex4(c.chip) + " " + (c.click ? c.click : "opening") + " " + (c.answers.empty() ? "closed" : c.answers.back()));
        RunChoice(c);
    }
}

// ---- operating modes and calibrations --------------------------------------------------------

TEST(Mode1, CalibrationsWriteWaitAdoptTheChipsValueAndEndInIdleWithoutAnotherWrite) {
    // button, written, prompt, the register it set and its new value
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"md4", "W mode 8180", nullptr, "offset", "800020"},
        {"md5", "W mode A180", nullptr, "gain", "555540"},
        {"md6", "W mode C180", "Please connect a Zero-Scale voltage to the analog input.", "offset", "FFFFFF"},
        {"md7", "W mode E180", "Please connect a Full-Scale voltage to the analog input.", "gain", "555540"}};
    for (const auto& [button, written, prompt, set, value] : cases) {
        SCOPED_TRACE(button);
        const bool internal = prompt == nullptr;
        Rig rig(0x2180);
        registers::Mode1 form(rig.ctx);
        QWidget* notice = Find<QWidget>(form, "textlabel");
        int64_t noticedPolls = 0;
        rig.port.onBusyPoll = [&] { noticedPolls += notice->isVisible(); };
        std::vector<std::size_t> accessesAtPrompt;
        rig.messages.onShow = [&](const platform::Message&) { accessesAtPrompt.push_back(rig.port.log.size()); };
        std::string status;
        RunModal(form, [&, &button = button] {  // clang 14 captures no binding by itself
            rig.port.clear();
            rig.port.busyPolls = 0;
            Click(form, button);
            EXPECT_EQ(State(form), "md0 bipolar bit24 v5 range1 ch1");
            EXPECT_EQ(Text(form, "Label4"), "180");
            EXPECT_EQ(Shapes(form), 0x180u);
            EXPECT_FALSE(notice->isVisible());
            status = Text(form, "CalStatus");
        });
        // The chip is busy for four conversion periods (80 ms at 50 Hz, one poll a microsecond);
        // then one poll finds it ready, the read-back shows it idle, and the second wait finds it
        // ready at once; the register the calibration set is read for the status line.
        EXPECT_EQ(rig.traffic(), (Traffic{written, "wait", "R mode 180", "wait", "R " + std::string(set) + " " + value}));
        EXPECT_EQ(status, std::string(registers::kOperatingModes[button[2] - '0'].caption) + " done: " + set +
                              " register now " + value + ". The QB4160 is idle: choose Continuous Conversion to read data.");
        EXPECT_GT(rig.port.busyPolls, 60000);
        EXPECT_EQ(noticedPolls, internal ? rig.port.busyPolls : 0);
        EXPECT_EQ(rig.port.waits, internal ? std::vector<double>{0.005} : std::vector<double>{});
        EXPECT_EQ(rig.messages.texts(), prompt ? Strings{prompt} : Strings{});
        EXPECT_EQ(accessesAtPrompt, prompt ? std::vector<std::size_t>{0} : std::vector<std::size_t>{});
        EXPECT_EQ(rig.settings.ModeRegValue, 0x180);
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
    }
}

// The filter's chop/skip answer is forgotten once acted on; the clock-output warning asks even
// with an answer left standing.
TEST(Mode1, AnAnswerLeftStandingDoesNotStandInForTheClockOutputWarnings) {
    for (const char* answer : {"Command1", "Command2"}) {
        Rig rig(0x21B0);
        ChoiceAnswers answers({answer, "ReadErrorCommand"});
        registers::filter filter(rig.ctx);
        RunModal(filter, [&] { Click(filter, "skip"); });  // CHOP is on: the dialog asks
        EXPECT_EQ(rig.settings.DialogChoice, 0) << answer;
        rig.settings.DialogChoice = 5;
        registers::Mode1 mode(rig.ctx);
        RunModal(mode, [&] {
            rig.clear();
            Click(mode, "CLKOUT");
        });
        EXPECT_EQ(answers.seen, (Strings{"QB4160", "QB4160 Read Error!"}));
        EXPECT_EQ(rig.traffic(), (Strings{"W mode 21B8", "R mode 21B8"}));  // "Disable" written
    }
}

TEST(Mode1, ArrowKeysLookThroughTheModesSpaceSelectsTabLandsOnTheSelectedOne) {
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; const char* focusAndMode; } steps[] = {
        {Qt::Key_Down, {}, "md2 md1"},   {Qt::Key_Down, {}, "md3 md1"}, {Qt::Key_Down, {}, "md4 md1"},
        {Qt::Key_Up, {}, "md3 md1"},     {Qt::Key_Up, {}, "md2 md1"},   {Qt::Key_Space, {}, "md2 md2"},
        {Qt::Key_Down, {}, "md3 md2"},   {Qt::Key_Tab, {}, "range4 md2"}, {Qt::Key_Tab, Qt::ShiftModifier, "md2 md2"},
        {Qt::Key_Tab, {}, "range4 md2"}, {Qt::Key_Up, {}, "range3 md2"}};  // other frames: arrows select
    Rig rig(0x21B0);
    registers::Mode1 form(rig.ctx);
    RunModal(form, [&] {
        QApplication::setActiveWindow(&form);
        rig.clear();
        Find(form, "md1")->setFocus(Qt::TabFocusReason);
        for (const auto& step : steps) {
            QTest::keyClick(form.focusWidget(), step.key, step.modifiers);
            EXPECT_EQ(form.focusWidget()->objectName().toStdString() + " " + State(form).substr(0, 3), step.focusAndMode);
        }
    });
    EXPECT_EQ(rig.traffic(), (Strings{"W mode 41B0", "R mode 41B0", "W mode 41A0", "R mode 41A0"}));
}

// A calibration on a converter that never becomes ready: a key, Escape or a close one second
// into the wait ends it within milliseconds; the wait that runs to its limit ends with the read
// error. Either way the register is read back and the window shows it, hex, bits and mode alike.
TEST(Mode1, ACalibrationWaitEndsAtAKeyOrACloseAndTheWindowShowsWhatTheChipHolds) {
    enum class Act { Escape, Letter, Close, Wait };
    const std::string stopped = registers::kCalibrationStoppedMessage;
    const struct { Act act; std::string message; bool open; } cases[] = {
        {Act::Escape, stopped, true}, {Act::Letter, stopped, true}, {Act::Close, stopped, false},
        {Act::Wait, link::kReadErrorMessage, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.act));
        board::SimOptions neverReady;
        neverReady.fault = board::Fault::NoReady;
        Rig rig(-1, neverReady);
        registers::Mode1 form(rig.ctx);
        int64_t pollsAtStop = -1;
        rig.port.onBusyPoll = [&] {
            if (rig.port.busyPolls != 1'000'000 || c.act == Act::Wait) return;  // one second in
            QTimer::singleShot(0, &form, [&] {
                pollsAtStop = rig.port.busyPolls;
                if (c.act == Act::Close) form.close();
                else QTest::keyClick(&form, c.act == Act::Escape ? Qt::Key_Escape : Qt::Key_X);
            });
        };
        std::string shown;
        RunModal(form, [&] {
            rig.clear();
            Click(form, "md4");
            shown = State(form) + "|" + Text(form, "Label4") + "|" + platform::Hex(Shapes(form)) + "|" +
                    Text(form, "CalStatus") + "|" + std::to_string(Find<QGroupBox>(form, "Frame12")->isEnabled()) +
                    std::to_string(form.isVisible()) + (form.focusWidget() ? form.focusWidget()->objectName().toStdString() : "-");
        });
        EXPECT_EQ(shown, "md4 bipolar bit24 v5 range4 ch1|81B0|81B0|Internal Zero-Scale Cal. did not finish. The mode "
                         "register holds 81B0.|1" + std::to_string(c.open) + "md4");
        EXPECT_EQ(rig.messages.texts(), Strings{c.message});
        EXPECT_EQ(rig.traffic(), (Strings{"W mode 81B0", "R mode 81B0"}));
        EXPECT_EQ(rig.settings.ModeRegValue, 0x81B0);
        if (c.act == Act::Wait) EXPECT_EQ(rig.port.busyPolls, registers::kCalibrationPolls);
        else EXPECT_LE(rig.port.busyPolls - pollsAtStop, 2 * link::kStopCheckPolls);  // within 4 ms
    }
}

} // namespace
} // namespace qb::regtest
