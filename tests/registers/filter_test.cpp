// The filter register window through its real controls, on the simulated board (virtual time):
// what opening shows and that it writes nothing, the rate, delay and master clock entries, the
// check boxes with their single writes, the CHOP/SKIP choice, boxes without a usable number, and
// read-back differences.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/base/Numbers.h"
#include "registers/ChoiceForm.h"
#include "registers/RegisterRig.h"
#include "registers/filter.h"

namespace {

using namespace qb;
using namespace qb::regtest;
using platform::CheckBox;
using platform::TextBox;
using Lines = std::vector<std::string>;
using Texts = std::vector<std::string>;

constexpr int16_t kWrite = link::comms::kFilterWrite;

std::string W(int32_t value) { return "W filter " + platform::Hex(value); }
std::string R(int32_t value) { return "R filter " + platform::Hex(value); }
// The filter register writes of the traffic.
Lines Writes(const Rig& rig) {
    Lines out;
    for (const std::string& line : rig.traffic())
        if (line.starts_with("W filter ")) out.push_back(line);
    return out;
}

// What the window shows: the four boxes as "chop ac fast skip" letters, Text2, Label2, delay.
struct View {
    std::string boxes, Text2, Label2, delay;
    bool operator==(const View&) const = default;
};
std::ostream& operator<<(std::ostream& out, const View& v) {
    return out << "[" << v.boxes << "] " << v.Text2 << " / " << v.Label2 << " / " << v.delay;
}

struct FilterWindow {
    explicit FilterWindow(Rig& rig) : rig(rig), form(rig.ctx) {}
    CheckBox* box(const char* name) { return Find<CheckBox>(form, name); }
    TextBox* text(const char* name) { return Find<TextBox>(form, name); }
    View view() {
        std::string boxes;
        for (const char* name : {"chop", "ac", "fast", "skip"}) boxes += box(name)->value() ? name[0] : '-';
        return {boxes, text("Text2")->str(), Text(form, "Label2"), text("delay")->str()};
    }
    uint32_t shapes() { return form.findChild<platform::BitRow*>()->value(); }
    void enter(const char* name, const char* typed) { Enter(form, name, typed); }
    // Opens the window on `reg`; the log is cleared once it is open unless `keepOpening`.
    void run(int32_t reg, const std::function<void()>& body, bool keepOpening = false) {
        rig.load(kWrite, reg);
        RunModal(form, [&] {
            if (!keepOpening) rig.clear();
            body();
        });
    }
    Rig& rig;
    registers::filter form;
};

// The checks every change shares: the last write is what the window holds and reads back so,
// the indicators and Label2 show it, and CHOP and SKIP never reach the chip together.
void ExpectWritten(Rig& rig, FilterWindow& w, int32_t expected) {
    const Lines traffic = rig.traffic();
    const Lines writes = Writes(rig);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), W(expected));
    EXPECT_EQ(rig.settings.FilterRegValue, expected);
    EXPECT_EQ(traffic.back(), R(expected));
    EXPECT_EQ(w.shapes(), uint32_t(expected));
    EXPECT_EQ(w.view().Label2, platform::Hex(expected));
    for (const std::string& line : writes) {
        const int32_t v = std::stoi(line.substr(9), nullptr, 16);
        EXPECT_FALSE((v & 0x10) && (v & 0x200)) << line;
    }
}

// Opening reads the register once and writes nothing, whatever it holds: also AC without CHOP
// (the window says so and shows CHOP on) and CHOP with SKIP (chop_skip decides, the word stays).
TEST(FilterWindow, OpeningShowsTheRegisterAndWritesNothing) {
    const struct { int32_t reg; const char* commandLine; View shown; int32_t held; const char* message; } cases[] = {
        {0x4D0010, "", {"c---", "83.12", "4D0010", "0"}, 0x4D0010, nullptr},
        {0x4D0010, "L", {"c---", "41.56", "4D0010", "0"}, 0x4D0010, nullptr},
        {0x800000, "", {"----", "150.00", "800000", "0"}, 0x800000, nullptr},
        {0x4D0107, "", {"--f-", "249.35", "4D0107", "7"}, 0x4D0107, nullptr},
        {0x4D0200, "", {"---s", "249.35", "4D0200", "0"}, 0x4D0200, nullptr},
        {0x4D0337, "", {"caf-", "83.12", "4D0137", "7"}, 0x4D0137, nullptr},
        {0x000010, "", {"c---", "Error", "10", "0"}, 0x000010, nullptr},
        {0x4D0020, "", {"ca--", "83.12", "4D0030", "0"}, 0x4D0030, registers::kChopForAcMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reg);
        Rig rig(-1, {}, c.commandLine);
        FilterWindow w(rig);
        ChoiceAnswers answers({"Command1"});
        View shown;
        w.run(c.reg, [&] { shown = w.view(); }, true);
        EXPECT_EQ(answers.seen.size(), (c.reg & 0x210) == 0x210 ? 1u : 0u);
        EXPECT_EQ(rig.traffic(), Lines{R(c.reg)});
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(rig.settings.FilterRegValue, c.held);
        EXPECT_EQ(w.shapes(), uint32_t(c.held));
        EXPECT_EQ(rig.messages.texts(), c.message ? Texts{c.message} : Texts{});
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
    }
}

// Enter in Text2 writes the word for the rate within its limits and shows the rate it gives.
TEST(FilterWindow, RateEntryWritesTheLimitedWord) {
    const struct { int32_t reg; const char* typed; int32_t written; const char* shown; } cases[] = {
        {0x4D0000, "50", 0x800000, "150.00"},      // 6144, at most 2048
        {0x4D0200, "10000", 0x028200, "7680.00"},  // SKIP: 31, at least 40
        {0x4D0010, "10000", 0x04B010, "1365.33"},  // CHOP: 10, at least 75
        {0x4D0210, "10000", 0x04B010, "1365.33"},  // both (as the chip may hold): CHOP's limit
        {0x4D0017, "100", 0x400017, "100.00"},     // the low fields stay
        {0x4D0000, "0.5", 0x800000, "150.00"},     // below 1 counts as 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Rig rig;
        FilterWindow w(rig);
        ChoiceAnswers answers({"Command1"});
        w.run(c.reg, [&] {
            w.enter("Text2", c.typed);
            ExpectWritten(rig, w, c.written);
            EXPECT_EQ(Writes(rig).size(), 1u);
            EXPECT_EQ(w.view().Text2, c.shown);
        });
        EXPECT_EQ(rig.settings.FilterWordValue, c.written >> 12);
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

// Enter in Text2, or a check box whose handler needs a number, with no usable number in Text2
// (no number, beyond 32 bits, not above 0) or mclk (no number, not above 0) leaves the register
// as it is: the offending box is emptied and takes the focus, and a click is undone.
TEST(FilterWindow, WithoutUsableNumbersNothingChanges) {
    const struct { int32_t reg; const char *rate, *clock, *act, *emptied; } cases[] = {
        {0x4D0010, "abc", "4915200", "Text2", "Text2"}, {0x4D0010, "1e10", "4915200", "Text2", "Text2"},
        {0x4D0010, "100", "", "Text2", "mclk"},         {0x4D0010, "100", "-5", "Text2", "mclk"},
        {0x4D0000, "0", "4915200", "skip", "Text2"},    {0x4D0000, "100", "abc", "skip", "mclk"},
        {0x4D0010, "100", "", "chop", "mclk"},          {0x4D0000, "100", "", "ac", "mclk"},
        {0x4D0200, "", "4915200", "ac", "Text2"},       // AC would ask about SKIP, which needs the rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.act) + " with " + c.rate + " at " + c.clock);
        Rig rig;
        FilterWindow w(rig);
        w.run(c.reg, [&] {
            const View before = w.view();
            w.text("mclk")->setText(c.clock);
            if (std::string(c.act) == "Text2") w.enter("Text2", c.rate);
            else w.text("Text2")->setText(c.rate), w.box(c.act)->click();
            EXPECT_EQ(w.view().boxes, before.boxes);
            EXPECT_EQ(w.text(c.emptied)->str(), "");
            EXPECT_EQ(w.form.focusWidget(), w.text(c.emptied));
            EXPECT_EQ(w.shapes(), uint32_t(c.reg));
        });
        EXPECT_TRUE(rig.port.log.empty());
        EXPECT_TRUE(rig.messages.shown.empty());
        EXPECT_EQ(rig.settings.FilterRegValue, c.reg);
    }
    // FAST needs no number and unchecking CHOP only the clock; a key typed into Text2 showing
    // "Error" (a filter word of 0) starts a new entry.
    Rig rig;
    FilterWindow w(rig);
    w.run(0x000010, [&] {
        EXPECT_EQ(w.view().Text2, "Error");
        w.box("fast")->click();
        w.box("chop")->click();
        ExpectWritten(rig, w, 0x000100);
        QTest::keyClicks(w.text("Text2"), "12.5");
        QTest::keyClick(w.text("Text2"), Qt::Key_Return);
        ExpectWritten(rig, w, 0x800100);  // 12.5 Hz: word 24576, at most 2048
    });
}

// Each check box writes once, also when it changes another box on the way.
TEST(FilterWindow, CheckBoxesWriteOnce) {
    const struct { int32_t reg; const char* clicked; int32_t written; const char* boxes; const char* rate; const char* message; } cases[] = {
        {0x4D0000, "ac", 0x4D0030, "ca--", "83.12", registers::kChopForAcMessage},  // turns CHOP on first
        {0x4D0030, "chop", 0x4D0000, "----", "249.35", nullptr},                     // takes AC with it
        {0x4D0010, "chop", 0x4D0000, "----", "249.35", nullptr},                     // word stays, rate x3
        {0x4D0000, "chop", 0x4D0010, "c---", "83.12", nullptr},
        {0x4D0010, "fast", 0x4D0110, "c-f-", "83.12", nullptr},
        {0x4D0110, "fast", 0x4D0010, "c---", "83.12", nullptr},
        {0x4D0000, "skip", 0x4D0200, "---s", "249.35", nullptr},                     // rate stays
        {0x140000, "skip", 0x028200, "---s", "7680.00", nullptr},                    // SKIP's limit: word 20 -> 40
        {0x4D0600, "skip", 0x4D0000, "----", "249.35", nullptr},                     // clears bits 11..9
        {0x4D00F0, "ac", 0x4D0010, "c---", "83.12", nullptr},                        // clears bits 7..5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.clicked) + " on " + platform::Hex(c.reg));
        Rig rig;
        FilterWindow w(rig);
        w.run(c.reg, [&] {
            if (c.reg == 0x140000) w.text("Text2")->setText("7680");
            w.box(c.clicked)->click();
            ExpectWritten(rig, w, c.written);
            EXPECT_EQ(Writes(rig).size(), 1u);
            EXPECT_EQ(w.view().boxes, c.boxes);
            EXPECT_EQ(w.view().Text2, c.rate);
        });
        EXPECT_EQ(rig.messages.texts(), c.message ? Texts{c.message} : Texts{});
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
    }
}

// Checking CHOP with SKIP set, SKIP with CHOP set, or AC (which needs CHOP) with SKIP set asks
// chop_skip; its answer decides which of the two stays. Closing it without an answer (an old
// answer lying in DialogChoice included) keeps SKIP. The filter word keeps the rate in Text2.
TEST(FilterWindow, ChopSkipDecidesWhichStays) {
    const struct { int32_t reg; const char* clicked; const char* button; const char* boxes; int32_t last; std::size_t writes; } cases[] = {
        {0x4D0200, "chop", "Command1", "c---", 0x19B010, 2},
        {0x4D0200, "chop", "Command2", "---s", 0x4D0200, 2},
        {0x4D0200, "chop", nullptr, "---s", 0x4D0200, 2},
        {0x4D0010, "skip", "Command1", "c---", 0x4D0010, 2},
        {0x4D0010, "skip", "Command2", "---s", 0x4D0200, 2},
        {0x4D0030, "skip", "Command2", "---s", 0x4D0200, 2},  // AC goes with CHOP
        {0x4D0200, "ac", "Command1", "ca--", 0x19B030, 1},
        {0x4D0200, "ac", "Command2", "---s", 0x4D0200, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.clicked) + " on " + platform::Hex(c.reg) + " " + (c.button ? c.button : "closed"));
        Rig rig;
        rig.settings.DialogChoice = registers::kChopOnSkipOff;
        FilterWindow w(rig);
        ChoiceAnswers answers;
        w.run(c.reg, [&] {
            if (c.button) answers.script({c.button});
            w.box(c.clicked)->click();
            ExpectWritten(rig, w, c.last);
            EXPECT_EQ(Writes(rig).size(), c.writes);
            EXPECT_EQ(w.view().boxes, c.boxes);
        });
        EXPECT_EQ(answers.seen, Lines{registers::kChopSkipCaption});
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
    }
}

// Enter in `delay` puts the low four bits of the number into bits 3..0.
TEST(FilterWindow, DelayEntry) {
    const struct { const char* typed; int32_t written; const char* shown; } cases[] = {
        {"20", 0x4D0014, "20"}, {"15", 0x4D001F, "15"}, {"", 0x4D0010, "0"}, {"x", -1, ""}, {"-1", 0x4D001F, "-1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Rig rig;
        FilterWindow w(rig);
        w.run(0x4D0013, [&] {
            w.enter("delay", c.typed);
            if (c.written < 0) EXPECT_TRUE(rig.port.log.empty());
            else ExpectWritten(rig, w, c.written);
            EXPECT_EQ(w.view().delay, c.shown);
        });
    }
}

// A master clock entry changes the rate shown and writes nothing; the next rate entry works
// with it. An entry that is no number, not above 0, or meets a filter word of 0 empties mclk.
TEST(FilterWindow, MasterClockEntryChangesTheRateOnly) {
    const struct { int32_t reg; const char* typed; const char* mclkAfter; const char* rate; int32_t clockHz; } cases[] = {
        {0x4D0010, "2457600", "2457600.00", "41.56", 2457600},
        {0x4D0000, "2457600.4", "2457600.50", "124.68", 2457600},  // single precision, halves to even
        {0x4D0010, "abc", "", "83.12", 4915200},
        {0x4D0010, "0", "", "83.12", 4915200},
        {0x000010, "2457600", "", "Error", 2457600},  // the clock is taken, the word of 0 refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Rig rig;
        FilterWindow w(rig);
        w.run(c.reg, [&] {
            w.enter("mclk", c.typed);
            EXPECT_EQ(w.text("mclk")->str(), c.mclkAfter);
            EXPECT_EQ(w.view().Text2, c.rate);
            EXPECT_TRUE(rig.port.log.empty());
            if (std::string(c.mclkAfter).empty()) return;
            w.enter("Text2", "100");
            ExpectWritten(rig, w, (c.reg & 0x10 ? 0x200000 : 0x600000) | (c.reg & 0xFFF));
        });
        EXPECT_EQ(rig.settings.MasterClockHz, c.clockHz);
    }
}

// When the register reads back other than written (this board flips bit 0 of what it reads
// back, also at opening), each change says so once (DialogChoice is 1 meanwhile) and the window
// keeps showing the value meant.
TEST(FilterWindow, ReadBackDifferenceIsSaidOncePerChange) {
    const struct { const char* what; std::function<void(FilterWindow&)> act; int32_t meant; } cases[] = {
        {"rate", [](FilterWindow& w) { w.enter("Text2", "100"); }, 0x400011},
        {"chop", [](FilterWindow& w) { w.box("chop")->click(); }, 0x4D0001},
        {"ac", [](FilterWindow& w) { w.box("ac")->click(); }, 0x4D0031},
        {"delay", [](FilterWindow& w) { w.enter("delay", "6"); }, 0x4D0016},
        {"fast", [](FilterWindow& w) { w.box("fast")->click(); }, 0x4D0111},
    };
    board::SimOptions faulty;
    faulty.fault = board::Fault::Readback;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(-1, faulty);
        std::vector<int16_t> choiceWhileShown;
        rig.messages.onShow = [&](const platform::Message&) { choiceWhileShown.push_back(rig.settings.DialogChoice); };
        FilterWindow w(rig);
        w.run(0x4D0010, [&] {
            c.act(w);
            EXPECT_EQ(w.shapes(), uint32_t(c.meant));
            EXPECT_EQ(w.view().Label2, platform::Hex(c.meant));
        });
        EXPECT_EQ(Writes(rig), Lines{W(c.meant)});
        EXPECT_EQ(rig.messages.texts(), Texts{link::kReadErrorMessage});
        EXPECT_EQ(choiceWhileShown, std::vector<int16_t>{1});
        EXPECT_EQ(rig.settings.DialogChoice, 0);
        EXPECT_EQ(rig.settings.FilterRegValue, c.meant);
    }
}

} // namespace
