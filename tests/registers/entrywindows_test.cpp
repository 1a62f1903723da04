// The register windows with values to enter, through their real controls, on the simulated board
// (virtual time). The filter window: what opening shows and that it writes nothing, every change
// with its single write (rate, delay, the check boxes, the CHOP/SKIP choice), the master clock
// entry, boxes without a usable number, and read-back differences. The offset, gain and DAC
// windows: opening reads once and writes nothing, entries are written and read back or refused,
// the gain window's key filter, read-back differences (the faulty board flips bit 0 of every
// register it reads back, also at opening); hexadecimal words.
#include <gtest/gtest.h>

#include <sstream>

#include <QTest>

#include "platform/base/Numbers.h"
#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "registers/CalibrationForm.h"
#include "registers/ChoiceForm.h"
#include "registers/DAC_form.h"
#include "registers/RegisterRig.h"
#include "registers/filter.h"

namespace {

using namespace qb;
using namespace qb::regtest;
using platform::CheckBox;
using platform::TextBox;
using registers::CalibrationForm;
using registers::CalibrationRegister;
using Lines = std::vector<std::string>;

std::string W(int32_t value) { return "W filter " + platform::Hex(value); }
// The filter register writes of the traffic.
Lines Writes(const Rig& rig) {
    Lines out;
    for (const std::string& line : rig.traffic())
        if (line.starts_with("W filter ")) out.push_back(line);
    return out;
}

struct FilterWindow {
    explicit FilterWindow(Rig& rig) : rig(rig), form(rig.ctx) {}
    CheckBox* box(const char* name) { return Find<CheckBox>(form, name); }
    TextBox* text(const std::string& name) { return Find<TextBox>(form, name); }
    // The four boxes as "chop ac fast skip" letters.
    std::string boxes() {
        std::string out;
        for (const char* name : {"chop", "ac", "fast", "skip"}) out += box(name)->value() ? name[0] : '-';
        return out;
    }
    uint32_t shapes() { return form.findChild<platform::BitRow*>()->value(); }
    // Acts as a user: "chop" clicks a box, "Text2=100" types into a box and presses Enter,
    // "Text2~100" only types; several acts are separated by blanks.
    void act(const std::string& acts) {
        std::istringstream in(acts);
        for (std::string a; in >> a;) {
            const auto at = a.find_first_of("=~");
            if (at == std::string::npos) box(a.c_str())->click();
            else if (a[at] == '~') text(a.substr(0, at))->setText(QString::fromStdString(a.substr(at + 1)));
            else Enter(form, a.substr(0, at).c_str(), a.substr(at + 1).c_str());
        }
    }
    // Opens the window on `reg`; the log is cleared once it is open unless `keepOpening`.
    void run(int32_t reg, const std::function<void()>& body, bool keepOpening = false) {
        rig.load(link::comms::kFilterWrite, reg);
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
    const Lines writes = Writes(rig);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), W(expected));
    EXPECT_EQ(rig.settings.FilterRegValue, expected);
    EXPECT_EQ(rig.traffic().back(), "R filter " + platform::Hex(expected));
    EXPECT_EQ(w.shapes(), uint32_t(expected));
    EXPECT_EQ(Text(w.form, "Label2"), platform::Hex(expected));
    for (const std::string& line : writes) {
        const int32_t v = std::stoi(line.substr(9), nullptr, 16);
        EXPECT_FALSE((v & 0x10) && (v & 0x200)) << line;
    }
}

// Opening reads the register once and writes nothing, whatever it holds: also AC without CHOP
// (the window says so and shows CHOP on) and CHOP with SKIP (chop_skip decides, the word stays).
// Shown: the boxes, Text2, Label2, delay.
TEST(FilterWindow, OpeningShowsTheRegisterAndWritesNothing) {
    const struct { int32_t reg; const char* commandLine; Lines shown; int32_t held; const char* message; } cases[] = {
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
        Lines shown;
        w.run(c.reg, [&] { shown = {w.boxes(), w.text("Text2")->str(), Text(w.form, "Label2"), w.text("delay")->str()}; }, true);
        EXPECT_EQ(answers.seen.size(), (c.reg & 0x210) == 0x210 ? 1u : 0u);
        EXPECT_EQ(rig.traffic(), Lines{"R filter " + platform::Hex(c.reg)});
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(rig.settings.FilterRegValue, c.held);
        EXPECT_EQ(w.shapes(), uint32_t(c.held));
        EXPECT_EQ(rig.messages.texts(), c.message ? Lines{c.message} : Lines{});
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
    }
}

// Each change writes the register (once, or once per box it changes on the way to the answer of
// chop_skip) and shows the rate, or for the delay the box's text. Enter in Text2 writes the word
// for the rate within its limits, the low fields kept; Enter in delay puts the low four bits of
// its number into bits 3..0. Checking CHOP with SKIP set, SKIP with CHOP set, or AC (which needs
// CHOP) with SKIP set asks chop_skip: its answer decides which stays, and closing it without
// one keeps SKIP (an old answer in DialogChoice included); the word keeps the rate in Text2.
TEST(FilterWindow, EachChangeWritesTheRegister) {
    const struct {
        int32_t reg; const char* acts; const char* answer;  // nullptr: chop_skip must not come up; "": closed
        int32_t last; std::size_t writes; const char* boxes; const char* shown; const char* message = nullptr;
    } cases[] = {
        {0x4D0000, "Text2=50", nullptr, 0x800000, 1, "----", "150.00"},      // 6144, at most 2048
        {0x4D0200, "Text2=10000", nullptr, 0x028200, 1, "---s", "7680.00"},  // SKIP: 31, at least 40
        {0x4D0010, "Text2=10000", nullptr, 0x04B010, 1, "c---", "1365.33"},  // CHOP: 10, at least 75
        {0x4D0210, "Text2=10000", "Command1", 0x04B010, 1, "c---", "1365.33"},  // both as opened: CHOP's limit
        {0x4D0017, "Text2=100", nullptr, 0x400017, 1, "c---", "100.00"},
        {0x4D0000, "Text2=0.5", nullptr, 0x800000, 1, "----", "150.00"},     // below 1 counts as 1
        {0x4D0000, "ac", nullptr, 0x4D0030, 1, "ca--", "83.12", registers::kChopForAcMessage},  // CHOP on first
        {0x4D0030, "chop", nullptr, 0x4D0000, 1, "----", "249.35"},          // takes AC with it
        {0x4D0000, "chop", nullptr, 0x4D0010, 1, "c---", "83.12"},           // the word stays, the rate / 3
        {0x4D0010, "fast", nullptr, 0x4D0110, 1, "c-f-", "83.12"},
        {0x4D0110, "fast", nullptr, 0x4D0010, 1, "c---", "83.12"},
        {0x4D0000, "skip", nullptr, 0x4D0200, 1, "---s", "249.35"},
        {0x140000, "Text2~7680 skip", nullptr, 0x028200, 1, "---s", "7680.00"},  // SKIP's limit: word 20 -> 40
        {0x4D0600, "skip", nullptr, 0x4D0000, 1, "----", "249.35"},          // clears bits 11..9
        {0x4D00F0, "ac", nullptr, 0x4D0010, 1, "c---", "83.12"},             // clears bits 7..5
        {0x4D0200, "chop", "Command1", 0x19B010, 2, "c---", "249.15"},
        {0x4D0200, "chop", "Command2", 0x4D0200, 2, "---s", "249.35"},
        {0x4D0200, "chop", "", 0x4D0200, 2, "---s", "249.35"},
        {0x4D0010, "skip", "Command1", 0x4D0010, 2, "c---", "83.12"},
        {0x4D0010, "skip", "Command2", 0x4D0200, 2, "---s", "249.35"},
        {0x4D0030, "skip", "Command2", 0x4D0200, 2, "---s", "249.35"},      // AC goes with CHOP
        {0x4D0200, "ac", "Command1", 0x19B030, 1, "ca--", "249.15", registers::kChopForAcMessage},
        {0x4D0200, "ac", "Command2", 0x4D0200, 1, "---s", "249.35", registers::kChopForAcMessage},
        {0x4D0013, "delay=20", nullptr, 0x4D0014, 1, "c---", "20"},
        {0x4D0013, "delay=15", nullptr, 0x4D001F, 1, "c---", "15"},
        {0x4D0013, "delay=", nullptr, 0x4D0010, 1, "c---", "0"},
        {0x4D0013, "delay=-1", nullptr, 0x4D001F, 1, "c---", "-1"},
        {0x4D0013, "delay=x", nullptr, -1, 0, "c---", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.acts) + " on " + platform::Hex(c.reg) + " " + (c.answer ? c.answer : "-"));
        Rig rig;
        const bool asked = c.answer && c.reg != 0x4D0210;  // that one is asked at opening
        if (asked) rig.settings.DialogChoice = registers::kChopOnSkipOff;
        FilterWindow w(rig);
        ChoiceAnswers answers(c.reg == 0x4D0210 ? std::deque<std::string>{c.answer} : std::deque<std::string>{});
        w.run(c.reg, [&] {
            if (asked && *c.answer) answers.script({c.answer});
            w.act(c.acts);
            if (c.last >= 0) {
                ExpectWritten(rig, w, c.last);
            }
            EXPECT_EQ(Writes(rig).size(), c.writes);
            EXPECT_EQ(w.boxes(), c.boxes);
            EXPECT_EQ(w.text(std::string(c.acts).starts_with("delay") ? "delay" : "Text2")->str(), c.shown);
        });
        EXPECT_EQ(answers.seen, c.answer ? Lines{registers::kChopSkipCaption} : Lines{});
        EXPECT_EQ(rig.messages.texts(), c.message ? Lines{c.message} : Lines{});
        EXPECT_EQ(rig.settings.UpdatingControls, 0);
        if (std::string(c.acts).starts_with("Text2=")) {
            EXPECT_EQ(rig.settings.FilterWordValue, c.last >> 12);
        }
    }
}

// Enter in Text2, or a check box whose handler needs a number, with no usable number in Text2
// (no number, beyond 32 bits, not above 0) or mclk (no number, not above 0) leaves the register
// as it is: the offending box is emptied and takes the focus, and a click is undone.
TEST(FilterWindow, WithoutUsableNumbersNothingChanges) {
    const struct { int32_t reg; const char *acts, *emptied; } cases[] = {
        {0x4D0010, "Text2=abc", "Text2"}, {0x4D0010, "Text2=1e10", "Text2"}, {0x4D0010, "mclk~ Text2=100", "mclk"},
        {0x4D0010, "mclk~-5 Text2=100", "mclk"}, {0x4D0000, "Text2~0 skip", "Text2"}, {0x4D0000, "mclk~abc skip", "mclk"},
        {0x4D0010, "mclk~ chop", "mclk"}, {0x4D0000, "mclk~ ac", "mclk"},
        {0x4D0200, "Text2~ ac", "Text2"},  // AC would ask about SKIP, which needs the rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.acts);
        Rig rig;
        FilterWindow w(rig);
        w.run(c.reg, [&] {
            const std::string before = w.boxes();
            w.act(c.acts);
            EXPECT_EQ(w.boxes(), before);
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
        w.act("fast chop");
        ExpectWritten(rig, w, 0x000100);
        QTest::keyClicks(w.text("Text2"), "12.5");
        QTest::keyClick(w.text("Text2"), Qt::Key_Return);
        ExpectWritten(rig, w, 0x800100);  // 12.5 Hz: word 24576, at most 2048
    });
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
            Enter(w.form, "mclk", c.typed);
            EXPECT_EQ(w.text("mclk")->str(), c.mclkAfter);
            EXPECT_EQ(w.text("Text2")->str(), c.rate);
            EXPECT_TRUE(rig.port.log.empty());
            if (std::string(c.mclkAfter).empty()) return;
            w.act("Text2=100");
            ExpectWritten(rig, w, (c.reg & 0x10 ? 0x200000 : 0x600000) | (c.reg & 0xFFF));
        });
        EXPECT_EQ(rig.settings.MasterClockHz, c.clockHz);
    }
}

// When the register reads back other than written (this board flips bit 0 of what it reads
// back, also at opening), each change says so once (DialogChoice is 1 meanwhile) and the window
// keeps showing the value meant.
TEST(FilterWindow, ReadBackDifferenceIsSaidOncePerChange) {
    const std::pair<const char*, int32_t> cases[] = {
        {"Text2=100", 0x400011}, {"chop", 0x4D0001}, {"ac", 0x4D0031}, {"delay=6", 0x4D0016}, {"fast", 0x4D0111}};
    for (const auto& [acts, meant] : cases) {
        SCOPED_TRACE(acts);
        Rig rig(-1, Board(true));
        std::vector<int16_t> choiceWhileShown;
        rig.messages.onShow = [&](const platform::Message&) { choiceWhileShown.push_back(rig.settings.DialogChoice); };
        FilterWindow w(rig);
        w.run(0x4D0010, [&, &acts = acts, &meant = meant] {  // clang 14 captures no binding by itself
            w.act(acts);
            EXPECT_EQ(w.shapes(), uint32_t(meant));
            EXPECT_EQ(Text(w.form, "Label2"), platform::Hex(meant));
        });
        EXPECT_EQ(Writes(rig), Lines{W(meant)});
        EXPECT_EQ(rig.messages.texts(), Lines{link::kReadErrorMessage});
        EXPECT_EQ(choiceWhileShown, std::vector<int16_t>{1});
        EXPECT_EQ(rig.settings.DialogChoice, 0);
        EXPECT_EQ(rig.settings.FilterRegValue, meant);
    }
}

// ---- the offset and gain windows (one class) and the DAC window -----------------------------

// The two windows differ only by their data. Opening reads once, writes nothing and shows the
// same text in Label2 and new_word. Enter writes the hexadecimal value (never negative) and
// reads it back; an empty entry writes the register's value again; a text that is not
// hexadecimal of one to six digits is refused. On a read-back difference the shared setting holds the value meant
// while the indicators and Label2 keep the contents from before.
TEST(CalibrationWindows, OpeningAndEntries) {
    const struct { const char* typed; bool faulty; int32_t written; const char* shown; } cases[] = {
        {"FFFF", false, 65535, "FFFF"}, {"8000", false, 32768, "8000"}, {"FFFFFF", false, 16777215, "FFFFFF"},
        {"00ff", false, 255, "FF"},     {"", false, 0x123456, "0"},      {"12g", false, -1, ""},
        {"abc", true, 0xABC, "ABC"},    {" 12", false, -1, ""},
    };
    for (const auto& [which, reg, setting] : {std::tuple{&registers::offsetform, "offset", &link::SharedSettings::OffsetRegValue},
                                              std::tuple{&registers::gainform, "gain", &link::SharedSettings::GainRegValue}}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(reg) + " " + c.typed);
            Rig rig(-1, Board(c.faulty));
            rig.load(which->writeAddress, 0x123456);
            const int32_t opened = 0x123456 ^ c.faulty;
            CalibrationForm form(rig.ctx, *which);
            RunModal(form, [&, &reg = reg] {  // clang 14 captures no binding by itself
                EXPECT_EQ(rig.traffic(), Lines{std::string("R ") + reg + " " + platform::Hex(opened)});
                EXPECT_EQ(Shown(form, {"Label2", "new_word"}), platform::Hex(opened) + "|" + platform::Hex(opened) + "|" + platform::Hex(opened));
                rig.clear();
                Enter(form, "new_word", c.typed);
                const int32_t shownValue = c.written < 0 || c.faulty ? opened : c.written;
                EXPECT_EQ(Shown(form, {"Label2", "new_word"}), platform::Hex(shownValue) + "|" + c.shown + "|" + platform::Hex(shownValue));
            });
            EXPECT_EQ(rig.traffic(), c.written < 0 ? Lines{} : WriteAndReadBack(reg, c.written, c.faulty));
            EXPECT_EQ(rig.settings.*setting, c.written < 0 ? opened : c.written);
            EXPECT_EQ(rig.messages.texts(), c.faulty ? Lines{link::kReadErrorMessage} : Lines{});
        }
    }
}

// Typing into the opening text (selected, so the first key replaces it): at most six
// characters; in the gain window a key that is not a hexadecimal digit (Backspace too) empties
// the box; a click into the box empties it.
TEST(CalibrationWindows, TypingAndClicking) {
    const struct { const CalibrationRegister& which; std::function<void(TextBox*)> type; const char* shown; } cases[] = {
        {registers::offsetform, [](TextBox* b) { QTest::keyClicks(b, "1234567"); }, "123456"},
        {registers::gainform, [](TextBox* b) { QTest::keyClicks(b, "abCD1234"); }, "abCD12"},
        {registers::offsetform, [](TextBox* b) { QTest::keyClicks(b, "12g"); }, "12g"},
        {registers::gainform, [](TextBox* b) { QTest::keyClicks(b, "12g"); }, ""},
        {registers::gainform, [](TextBox* b) { QTest::keyClicks(b, "12g3"); }, "3"},
        {registers::offsetform, [](TextBox* b) { QTest::keyClicks(b, "123"), QTest::keyClick(b, Qt::Key_Backspace); }, "12"},
        {registers::gainform, [](TextBox* b) { QTest::keyClicks(b, "123"), QTest::keyClick(b, Qt::Key_Backspace); }, ""},
        {registers::gainform, [](TextBox* b) { QTest::mouseClick(b, Qt::LeftButton); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.which.name);
        Rig rig;
        CalibrationForm form(rig.ctx, c.which);
        RunModal(form, [&] {
            auto* box = Find<TextBox>(form, "new_word");
            EXPECT_EQ(box->str(), Text(form, "Label2"));
            c.type(box);
            EXPECT_EQ(box->str(), c.shown);
        });
    }
}

// Opening drops bits 7..6 and shows the offsets without the sign blank; nothing is written. Enter
// writes the word (at most 63), reads it back and shows its offsets with the sign blank. A
// negative, a non-number or one beyond 16 bits is refused: the box is emptied, nothing written.
// A read-back difference is said once and the word meant stays shown.
TEST(DacWindow, OpeningShowsTheLowSixBitsAndEntriesAreWrittenOrRefused) {
    const struct { int32_t held; const char* typed; bool faulty; int written; const char* shown; } cases[] = {
        {0xC5, nullptr, false, -1, "5|5|12.5mV|6.25mV|5"},     {0x25, nullptr, false, -1, "25|37|-12.5mV|-6.25mV|25"},
        {0x20, nullptr, false, -1, "20|32|0mV|0mV|20"},        {6, "70", false, 63, "3F|63|-77.5mV|-38.75mV|3F"},
        {6, "5", false, 5, "5|5| 12.5mV| 6.25mV|5"},           {6, "32", false, 32, "20|32| 0mV| 0mV|20"},
        {6, "", false, 0, "0|0| 0mV| 0mV|0"},                  {6, "2.5", false, 2, "2|2.5| 5mV| 2.5mV|2"},
        {6, "-5", false, -1, "6||15mV|7.5mV|6"},               {6, "abc", false, -1, "6||15mV|7.5mV|6"},
        {6, "99999", false, -1, "6||15mV|7.5mV|6"},            {6, "10", true, 10, "A|10| 25mV| 12.5mV|A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed ? c.typed : platform::Hex(c.held));
        Rig rig(-1, Board(c.faulty));
        rig.load(link::comms::kDacWrite, c.held);
        registers::DAC_form form(rig.ctx);
        RunModal(form, [&] {
            if (c.typed) rig.clear(), Enter(form, "dacword", c.typed);
            EXPECT_EQ(Shown(form, {"DAC1", "dacword", "off5", "off2"}), c.shown);
        });
        const Lines opening{"R DAC " + platform::Hex(c.held)};
        EXPECT_EQ(rig.traffic(), !c.typed ? opening : c.written < 0 ? Lines{} : WriteAndReadBack("DAC", c.written, c.faulty));
        EXPECT_EQ(rig.settings.DacRegValue, c.written < 0 ? c.held & 63 : c.written);
        EXPECT_EQ(rig.messages.texts(), c.faulty ? Lines{link::kReadErrorMessage} : Lines{});
    }
}

} // namespace
