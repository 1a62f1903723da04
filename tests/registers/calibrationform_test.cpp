// The DAC, offset and gain register windows (the last two one class) through their real
// controls, on the simulated board (virtual time): opening reads once and writes nothing, entries
// are written and read back or refused, the gain window's key filter, read-back differences (the
// faulty board flips bit 0 of every register it reads back, also at opening); hexadecimal words.
#include <gtest/gtest.h>

#include <QTest>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/base/Numbers.h"
#include "registers/CalibrationForm.h"
#include "registers/DAC_form.h"
#include "registers/RegisterRig.h"

namespace {

using namespace qb;
using namespace qb::regtest;
using platform::TextBox;
using registers::CalibrationForm;
using registers::CalibrationRegister;
using registers::ParseHexWord;
using Lines = std::vector<std::string>;

// The two windows differ only by their data. Opening reads once, writes nothing and shows the
// same text in Label2 and new_word. Enter writes the hexadecimal value (never negative) and
// reads it back; an empty entry writes the register's value again; a text that is not
// hexadecimal is refused. On a read-back difference the shared setting holds the value meant
// while the indicators and Label2 keep the contents from before.
TEST(CalibrationWindows, OpeningAndEntries) {
    const struct { const char* typed; bool faulty; int32_t written; const char* shown; } cases[] = {
        {"FFFF", false, 65535, "FFFF"}, {"8000", false, 32768, "8000"}, {"FFFFFF", false, 16777215, "FFFFFF"},
        {"00ff", false, 255, "FF"},     {"", false, 0x123456, "0"},      {"12g", false, -1, ""},
        {"abc", true, 0xABC, "ABC"},
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

TEST(HexWord, WholeTextOfOneToSixDigits) {
    const struct { const char* text; std::optional<int32_t> value; } cases[] = {
        {"FFFF", 65535},  {"8000", 32768}, {"FFFFFF", 16777215}, {"00ff", 255}, {"0", 0}, {"aBc", 0xABC},
        {"", {}},         {"1234567", {}}, {" 12", {}},          {"12 ", {}},   {"+1", {}},  {"0x12", {}}};
    for (const auto& c : cases) EXPECT_EQ(ParseHexWord(c.text), c.value) << '"' << c.text << '"';
}

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
