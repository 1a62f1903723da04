// Every control of the register windows takes the focus from the keyboard and carries its caption
// as its accessible name, so screen readers and outside drivers find it by caption.
#include <gtest/gtest.h>

#include <QAccessible>

#include "registers/CalibrationForm.h"
#include "registers/ChoiceForm.h"
#include "registers/DAC_form.h"
#include "registers/Mode1.h"
#include "registers/RegisterRig.h"
#include "registers/filter.h"
#include "registers/program.h"

namespace qb::regtest {
namespace {

// Each button, option button and check box takes the focus by Tab and is named by its caption
// (the caption-less output boxes by what checking them does).
void ExpectNamedAndFocusable(QWidget& form) {
    const auto buttons = form.findChildren<QAbstractButton*>();
    ASSERT_FALSE(buttons.empty()) << form.objectName().toStdString();
    for (QAbstractButton* b : buttons) {
        const std::string name = form.objectName().toStdString() + "." + b->objectName().toStdString();
        const std::string caption = b->text().isEmpty() ? b->accessibleName().toStdString() : b->text().toStdString();
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
        EXPECT_FALSE(caption.empty()) << name;
        EXPECT_EQ(a ? a->text(QAccessible::Name).toStdString() : "", caption) << name;
        EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << name;
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
