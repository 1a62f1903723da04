// The DAC, offset and gain register windows through their real controls, on the simulated
// board (virtual time): opening reads once and writes nothing, entries are written and read
// back, refused entries write nothing, the gain window's key filter, read-back differences.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include "platform/BitRow.h"
#include "platform/Controls.h"
#include "platform/Numbers.h"
#include "registers/CalibrationForm.h"
#include "registers/DAC_form.h"
#include "registers/RegisterRig.h"

namespace {

using namespace qb;
using namespace qb::regtest;
using platform::TextBox;
using registers::CalibrationForm;
using registers::DAC_form;
using Texts = std::vector<std::string>;

using Lines = std::vector<std::string>;

// A label's or a text box's text.
std::string Shown(QWidget& form, const char* name) {
    if (auto* box = form.findChild<TextBox*>(QString::fromUtf8(name))) return box->str();
    return Text(form, name);
}
uint32_t Shapes(QWidget& form) { return form.findChild<platform::BitRow*>()->value(); }
void Enter(QWidget& form, const char* box, const char* typed) {
    Find<TextBox>(form, box)->setText(QString::fromUtf8(typed));
    QTest::keyClick(Find<TextBox>(form, box), Qt::Key_Return);
}
// The traffic of a write of `value` to `reg` ("DAC", "offset", "gain") and its read-back.
Lines WriteAndReadBack(const char* reg, int32_t value) {
    const std::string hex = platform::Hex(value);
    return {std::string("W ") + reg + " " + hex, std::string("R ") + reg + " " + hex};
}

board::SimOptions Faulty() {
    board::SimOptions o;
    o.fault = board::Fault::Readback;
    return o;
}

// ---- DAC ------------------------------------------------------------------------------------

struct DacView {
    std::string DAC1, dacword, off5, off2;
    uint32_t shapes;
    bool operator==(const DacView&) const = default;
};
std::ostream& operator<<(std::ostream& out, const DacView& v) {
    return out << v.DAC1 << " / " << v.dacword << " / " << v.off5 << " / " << v.off2 << " / " << v.shapes;
}
DacView View(DAC_form& f) { return {Shown(f, "DAC1"), Shown(f, "dacword"), Shown(f, "off5"), Shown(f, "off2"), Shapes(f)}; }

// Opening drops bits 7..6 and shows the offsets without the sign blank; nothing is written.
TEST(DacWindow, OpeningShowsTheLowSixBits) {
    const struct { int32_t reg; DacView shown; } cases[] = {
        {0xC5, {"5", "5", "12.5mV", "6.25mV", 0x05}},
        {0x25, {"25", "37", "-12.5mV", "-6.25mV", 0x25}},
        {0x20, {"20", "32", "0mV", "0mV", 0x20}},
        {0x00, {"0", "0", "0mV", "0mV", 0x00}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.load(link::comms::kDacWrite, c.reg);
        DAC_form form(rig.ctx);
        DacView shown{};
        RunModal(form, [&] { shown = View(form); });
        EXPECT_EQ(shown, c.shown) << c.reg;
        EXPECT_EQ(rig.traffic(), Lines{"R DAC " + platform::Hex(c.reg)});
        EXPECT_EQ(rig.settings.DacRegValue, c.reg & 63);
    }
}

// Enter writes the word (at most 63) and shows its offsets with the sign blank. A negative, a
// non-number or one beyond 16 bits is refused: the box is emptied and nothing is written.
TEST(DacWindow, EntriesAreWrittenOrRefused) {
    const struct { const char* typed; int written; DacView shown; } cases[] = {
        {"70", 63, {"3F", "63", "-77.5mV", "-38.75mV", 0x3F}},
        {"5", 5, {"5", "5", " 12.5mV", " 6.25mV", 0x05}},
        {"32", 32, {"20", "32", " 0mV", " 0mV", 0x20}},
        {"", 0, {"0", "0", " 0mV", " 0mV", 0x00}},
        {"2.5", 2, {"2", "2.5", " 5mV", " 2.5mV", 0x02}},
        {"-5", -1, {"7", "", "17.5mV", "8.75mV", 0x07}},
        {"abc", -1, {"7", "", "17.5mV", "8.75mV", 0x07}},
        {"99999", -1, {"7", "", "17.5mV", "8.75mV", 0x07}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Rig rig;
        rig.load(link::comms::kDacWrite, 7);
        DAC_form form(rig.ctx);
        DacView shown{};
        RunModal(form, [&] {
            rig.clear();
            Enter(form, "dacword", c.typed);
            shown = View(form);
        });
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(rig.traffic(), c.written < 0 ? Lines{} : WriteAndReadBack("DAC", c.written));
        EXPECT_EQ(rig.settings.DacRegValue, c.written < 0 ? 7 : c.written);
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

// A read-back difference is said once; the window shows the word meant, and keeps it.
TEST(DacWindow, ReadBackDifferenceIsSaidOnce) {
    Rig rig(-1, Faulty());
    DAC_form form(rig.ctx);
    DacView shown{};
    RunModal(form, [&] {
        Enter(form, "dacword", "10");
        shown = View(form);
    });
    EXPECT_EQ(rig.messages.texts(), Texts{link::kReadErrorMessage});
    EXPECT_EQ(shown, (DacView{"A", "10", " 25mV", " 12.5mV", 0x0A}));
    EXPECT_EQ(rig.settings.DacRegValue, 10);
}

// ---- offset and gain ------------------------------------------------------------------------

// What differs between the two windows comes from their data: captions, the register and its
// communications bytes, the shared setting.
TEST(CalibrationWindows, OpeningShowsTheRegisterAndWritesNothing) {
    const struct { const registers::CalibrationRegister& which; int16_t write; const char* read; int32_t link::SharedSettings::*value; } cases[] = {
        {registers::offsetform, 5, "R offset A50F3", &link::SharedSettings::OffsetRegValue},
        {registers::gainform, 6, "R gain A50F3", &link::SharedSettings::GainRegValue}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.which.name);
        Rig rig;
        rig.load(c.write, 0x0A50F3);
        CalibrationForm form(rig.ctx, c.which);
        std::string label, entry, frame, heading;
        RunModal(form, [&] {
            label = Shown(form, "Label2"), entry = Shown(form, "new_word");
            frame = Find<QGroupBox>(form, "Frame2")->title().toStdString();
            heading = Shown(form, "Label1");
        });
        EXPECT_EQ(form.objectName().toStdString(), c.which.name);
        EXPECT_EQ(form.caption(), c.which.caption);
        EXPECT_EQ(frame, c.which.frameCaption);
        EXPECT_EQ(heading, c.which.heading);
        EXPECT_EQ(label, "A50F3");
        EXPECT_EQ(entry, "A50F3");
        EXPECT_EQ(Shapes(form), 0x0A50F3u);
        EXPECT_EQ(rig.settings.*c.value, 0x0A50F3);
        EXPECT_EQ(rig.traffic(), Lines{c.read});
    }
}

// Enter writes the hexadecimal value (never negative) and reads it back; an empty entry writes
// the register's value again; a text that is not hexadecimal is refused in the offset window.
TEST(CalibrationWindows, EntriesAreWrittenOrRefused) {
    const struct { const char* typed; int32_t written; const char* shown; } cases[] = {
        {"FFFF", 65535, "FFFF"},       {"8000", 32768, "8000"}, {"FFFFFF", 16777215, "FFFFFF"},
        {"00ff", 255, "FF"},           {"", 0x123456, "0"},     {"12g", -1, ""},
        {" 12", -1, ""},               {"-1", -1, ""}};
    for (const registers::CalibrationRegister* which : {&registers::offsetform, &registers::gainform}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(which->name) + " " + c.typed);
            Rig rig;
            rig.load(which->writeAddress, 0x123456);
            CalibrationForm form(rig.ctx, *which);
            std::string label, entry;
            uint32_t shapes = 0;
            RunModal(form, [&] {
                rig.clear();
                Enter(form, "new_word", c.typed);  // set as a whole: the gain key filter plays no part
                label = Shown(form, "Label2"), entry = Shown(form, "new_word"), shapes = Shapes(form);
            });
            const int32_t held = c.written < 0 ? 0x123456 : c.written;
            EXPECT_EQ(entry, c.shown);
            EXPECT_EQ(label, platform::Hex(held));
            EXPECT_EQ(shapes, uint32_t(held));
            EXPECT_EQ(rig.settings.*which->value, held);
            const char* reg = which->writeAddress == link::comms::kOffsetWrite ? "offset" : "gain";
            EXPECT_EQ(rig.traffic(), c.written < 0 ? Lines{} : WriteAndReadBack(reg, c.written));
        }
    }
}

// Typing into the opening text (selected, so the first key replaces it): at most six
// characters; in the gain window a key that is not a hexadecimal digit (Backspace too) empties
// the box; a click into the box empties it.
TEST(CalibrationWindows, TypingAndClicking) {
    const struct { const registers::CalibrationRegister& which; std::function<void(TextBox*)> type; const char* shown; } cases[] = {
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
        std::string shown;
        RunModal(form, [&] {
            auto* box = Find<TextBox>(form, "new_word");
            EXPECT_EQ(box->str(), Shown(form, "Label2"));
            c.type(box);
            shown = box->str();
        });
        EXPECT_EQ(shown, c.shown);
    }
}

// A read-back difference is said once; the shared setting holds the value meant while the
// indicators and Label2 keep the contents from before.
TEST(CalibrationWindows, ReadBackDifferenceKeepsTheDisplay) {
    for (const registers::CalibrationRegister* which : {&registers::offsetform, &registers::gainform}) {
        SCOPED_TRACE(which->name);
        Rig rig(-1, Faulty());
        rig.load(which->writeAddress, 0x100);  // reads back as 101
        CalibrationForm form(rig.ctx, *which);
        std::string label, entry;
        RunModal(form, [&] {
            Enter(form, "new_word", "abc");
            label = Shown(form, "Label2"), entry = Shown(form, "new_word");
        });
        EXPECT_EQ(rig.messages.texts(), Texts{link::kReadErrorMessage});
        EXPECT_EQ(label, "101");
        EXPECT_EQ(Shapes(form), 0x101u);
        EXPECT_EQ(entry, "ABC");
        EXPECT_EQ(rig.settings.*which->value, 0xABC);
    }
}

} // namespace
