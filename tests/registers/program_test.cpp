// The program menu: the status register read once at opening and shown bit by bit, the register
// buttons, and "Back...".
#include <gtest/gtest.h>

#include "registers/RegisterRig.h"
#include "registers/program.h"
#include "support/RecordingPort.h"

namespace qb::regtest {
namespace {

const char* const kStatusLabels[8] = {"Label3", "Label4", "Label5", "Label6", "Label7", "Label8", "Label9", "Label10"};

std::string StatusRow(QWidget& form) {
    std::string row;
    for (const char* name : kStatusLabels) row += (row.empty() ? "" : "|") + Text(form, name);
    return row;
}

TEST(Program, ShowsTheStatusRegisterReadOnceAtOpening) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {0x00, "R status 0", "RDY Clear|STDY Clear|STBY Clear|Ref OK|0|0|0|0"},
        {0xFF, "R status FF", "RDY Set|STDY Set|STBY Set|No Ref|1|1|1|1"},
        {0x90, "R status 90", "RDY Set|STDY Clear|STBY Clear|No Ref|0|0|0|0"},
        {0x65, "R status 65", "RDY Clear|STDY Set|STBY Set|Ref OK|0|1|0|1"},
    };
    for (const auto& [status, read, row] : cases) {
        SCOPED_TRACE(status);
        // A chip that shifts out `status`, most significant bit first, on the data-out line.
        test::RecordingPort port;
        int sample = 0;
        port.reader = [&, &status = status](uint16_t) { return uint8_t((status >> (7 - sample++ % 8)) & 1 ? 0x10 : 0); };
        test::ScriptedMessages messages;
        link::SharedSettings settings;
        settings.PortAddress = 0x378;
        registers::program form({port, messages, settings, ""});
        RunModal(form, [&, &row = row] {  // clang 14 captures no binding by itself
            EXPECT_EQ(form.caption(), "QB4160 Main Program Menu");
            EXPECT_EQ(StatusRow(form), row);
        });
        EXPECT_EQ(test::RegisterTraffic(port.log), std::vector<std::string>{read});
        EXPECT_TRUE(messages.shown.empty());
    }
}

// Each button opens its register window over this one, which reads its register once;
// "Back..." closes the menu.
TEST(Program, ButtonsOpenTheEditors) {
    Rig rig(0x2180);
    registers::program form(rig.ctx);
    ChoiceAnswers answers;
    RunModal(form, [&] {
        const std::tuple<const char*, const char*, const char*, const char*> buttons[] = {
            {"mode_reg", "Program Mode Register", "QB4160 Mode Register", "R mode 2180"},
            {"Filter_Reg", "Program Filter Register", "QB4160 Filter Register", "R filter 800010"},
            {"DAC_Reg", "Program DAC Register", "QB4160 DAC Register", "R DAC 0"},
            {"Offset_Reg", "Program Offset Register", "QB4160 Offset Register", "R offset 800000"},
            {"Gain_Reg", "Program Gain Register", "QB4160 Gain Register", "R gain 555555"}};
        for (const auto& [name, caption, window, read] : buttons) {
            SCOPED_TRACE(name);
            EXPECT_EQ(Find(form, name)->text().remove(QLatin1Char('&')).toStdString(), caption);
            rig.port.clear();
            std::string opened;
            QTimer::singleShot(0, [&] {
                auto* w = QApplication::activeModalWidget();
                opened = w->windowTitle().toStdString();
                EXPECT_EQ(w->parentWidget(), &form);
                Click(*w, "Command3D1");
            });
            Click(form, name);
            EXPECT_EQ(opened, window);
            EXPECT_EQ(rig.traffic(), std::vector<std::string>{read});
        }
        EXPECT_EQ(Find(form, "Command3D1")->text().remove(QLatin1Char('&')).toStdString(), "Back...");
        Click(form, "Command3D1");
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_TRUE(rig.messages.shown.empty());
}

} // namespace
} // namespace qb::regtest
