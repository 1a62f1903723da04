// The program menu: the status register read once at opening and shown bit by bit, the register
// buttons, and "Back...".
#include <gtest/gtest.h>

#include "registers/program.h"
#include "support/RecordingPort.h"
#include "registers/RegisterRig.h"

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
        port.reader = [&](uint16_t) { return uint8_t((status >> (7 - sample++ % 8)) & 1 ? 0x10 : 0); };
        test::ScriptedMessages messages;
        link::SharedSettings settings;
        settings.PortAddress = 0x378;
        registers::program form({port, messages, settings, ""});
        RunModal(form, [&] {
            EXPECT_EQ(form.caption(), "QB4160 Main Program Menu");
            EXPECT_EQ(StatusRow(form), row);
        });
        EXPECT_EQ(test::RegisterTraffic(port.log), std::vector<std::string>{read});
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST(Program, ReferenceBitOfTheSimulatedBoard) {
    for (const bool noRef : {false, true}) {
        board::SimOptions options;
        options.noReference = noRef;
        Rig rig(-1, options);
        registers::program form(rig.ctx);
        RunModal(form, [&] { EXPECT_EQ(Text(form, "Label6"), noRef ? "No Ref" : "Ref OK"); });
        ASSERT_EQ(rig.traffic().size(), 1u);
        EXPECT_EQ(rig.traffic()[0].substr(0, 9), "R status ");
    }
}

TEST(Program, ButtonsOpenTheEditorsAndTheRowKeepsWhatWasRead) {
    Rig rig(0x2180);
    registers::program form(rig.ctx);
    ChoiceAnswers answers;
    RunModal(form, [&] {
        const std::string row = StatusRow(form);
        const std::tuple<const char*, const char*, const char*> buttons[] = {
            {"mode_reg", "Program Mode Register", nullptr},
            {"Filter_Reg", "Program Filter Register", "The filter register editor is not available yet."},
            {"DAC_Reg", "Program DAC Register", "The DAC register editor is not available yet."},
            {"Offset_Reg", "Program Offset Register", "The offset register editor is not available yet."},
            {"Gain_Reg", "Program Gain Register", "The gain register editor is not available yet."},
            {"Command3D1", "Back...", nullptr}};
        for (const auto& [name, caption, message] : buttons) {
            auto* b = Find(form, name);
            EXPECT_EQ(b->text().toStdString(), caption);
            EXPECT_TRUE(b->isVisible() && b->isEnabled() && (b->focusPolicy() & Qt::TabFocus)) << name;
        }
        rig.port.clear();
        // The mode register window opens over this one; a change there leaves the row as it was.
        std::string opened;
        QTimer::singleShot(0, [&] {
            auto* w = QApplication::activeModalWidget();
            opened = w->windowTitle().toStdString();
            EXPECT_EQ(w->parentWidget(), &form);
            Click(*w, "range2");
            Click(*w, "Command3D1");
        });
        Click(form, "mode_reg");
        EXPECT_EQ(opened, "QB4160 Mode Register");
        EXPECT_EQ(rig.traffic(), (std::vector<std::string>{"R mode 2180", "W mode 2190", "R mode 2190"}));
        EXPECT_EQ(StatusRow(form), row);
        for (const auto& [name, caption, message] : buttons) {
            if (!message) continue;
            rig.messages.clear();
            Click(form, name);
            EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{message});
            EXPECT_EQ(rig.messages.shown[0].icon, platform::MsgIcon::Information);
        }
        EXPECT_EQ(rig.traffic().size(), 3u);
        Click(form, "Command3D1");
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_TRUE(answers.seen.empty());
}

} // namespace
} // namespace qb::regtest
