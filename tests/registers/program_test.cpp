// The program menu: the status register read once at opening and shown bit by bit, the register
// buttons, and "Back..."; every register window's controls from the keyboard.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QRadioButton>

#include "registers/CalibrationForm.h"
#include "registers/ChoiceForm.h"
#include "registers/DAC_form.h"
#include "registers/Mode1.h"
#include "registers/RegisterRig.h"
#include "registers/filter.h"
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
            EXPECT_EQ(Find(form, name)->text().toStdString(), caption);
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
        EXPECT_EQ(Find(form, "Command3D1")->text().toStdString(), "Back...");
        Click(form, "Command3D1");
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_TRUE(rig.messages.shown.empty());
}

// ---- every register window from the keyboard: each control takes the focus and carries its
// caption as its accessible name, so screen readers and outside drivers find it by caption ------

// Each button, option button and check box takes the focus by Tab and is named by its caption,
// without the mark of its Alt key (the caption-less output boxes by what checking them does).
void ExpectNamedAndFocusable(QWidget& form) {
    const auto buttons = form.findChildren<QAbstractButton*>();
    ASSERT_FALSE(buttons.empty()) << form.objectName().toStdString();
    for (QAbstractButton* b : buttons) {
        const std::string name = form.objectName().toStdString() + "." + b->objectName().toStdString();
        const std::string caption =
            b->text().isEmpty() ? b->accessibleName().toStdString() : QString(b->text()).remove('&').toStdString();
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
        EXPECT_FALSE(caption.empty()) << name;
        EXPECT_EQ(a ? a->text(QAccessible::Name).toStdString() : "", caption) << name;
        // Tab stops in a frame of options at the selected one.
        EXPECT_TRUE((qobject_cast<QRadioButton*>(b) && !b->isChecked()) || (b->focusPolicy() & Qt::TabFocus)) << name;
    }
}

TEST(RegisterKeyboard, EveryControlIsNamedAndTakesTheFocus) {
    Rig rig(0x2180);
    registers::Mode1 mode(rig.ctx);
    ChoiceAnswers answers({"Command1"});
    RunModal(mode, [&] {
        Click(mode, "den");  // shows the output boxes
        ExpectNamedAndFocusable(mode);
        EXPECT_EQ(Find(mode, "d1")->accessibleName().toStdString() + "|" + Find(mode, "d2")->accessibleName().toStdString(),
                  "D0 High|D1 High");
    });
    registers::program menu(rig.ctx);
    registers::filter filter(rig.ctx);
    registers::DAC_form dac(rig.ctx);
    registers::CalibrationForm offset(rig.ctx, registers::offsetform), gain(rig.ctx, registers::gainform);
    registers::channelform channel(rig.ctx);
    registers::warning clock(rig.ctx);
    registers::chop_skip choice(rig.ctx);
    for (platform::Form* form : std::initializer_list<platform::Form*>{&menu, &filter, &dac, &offset, &gain, &channel,
                                                                       &clock, &choice})
        RunModal(*form, [&] { ExpectNamedAndFocusable(*form); });
}

} // namespace
} // namespace qb::regtest
