// Every control of the register windows is reached from the keyboard and carries its caption as
// its accessible name, so screen readers and outside drivers find it by caption.
#include <set>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QRadioButton>

#include "registers/ChoiceForm.h"
#include "registers/Mode1.h"
#include "registers/ModeProbe.h"
#include "registers/program.h"

namespace qb::regtest {
namespace {

std::string AccessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name).toStdString() : "";
}

// Where the focus is: a control, or for an option button its frame (Tab stops once in a group
// of options; the arrow keys move within it).
std::string Stop(QWidget* w) {
    QWidget* at = qobject_cast<QRadioButton*>(w) ? w->parentWidget() : w;
    return at->objectName().toStdString();
}

// The stops the focus visits while Tab is pressed once for each button.
std::set<std::string> TabWalk(QWidget& form) {
    std::set<std::string> seen;
    const auto presses = form.findChildren<QAbstractButton*>().size();
    for (qsizetype i = 0; i < presses; ++i) {
        QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        if (QWidget* f = form.focusWidget()) seen.insert(Stop(f));
    }
    return seen;
}

// Each button, option button and check box takes the focus by Tab and is named by its caption
// (the caption-less output boxes by what checking them does).
// ... and Tab reaches every one that is shown.
void ExpectNamedAndFocusable(QWidget& form) {
    QApplication::setActiveWindow(&form);
    const auto buttons = form.findChildren<QAbstractButton*>();
    ASSERT_FALSE(buttons.empty());
    std::set<std::string> shown;
    for (QAbstractButton* b : buttons) {
        const std::string name = b->objectName().toStdString();
        const std::string caption = b->text().isEmpty() ? b->accessibleName().toStdString() : b->text().toStdString();
        EXPECT_FALSE(caption.empty()) << name;
        EXPECT_EQ(AccessibleName(b), caption) << name;
        EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << name;
        if (b->isVisible()) shown.insert(Stop(b));
    }
    buttons.front()->setFocus();
    EXPECT_EQ(TabWalk(form), shown);
}

TEST(RegisterKeyboard, ModeWindowControlsAreNamedAndReachedByTabArrowsAndSpace) {
    Rig rig(0x2180);
    registers::Mode1 form(rig.ctx);
    ChoiceAnswers answers({"Command1"});
    RunModal(form, [&] {
        Click(form, "den");  // shows the output boxes, so that they are reachable too
        ExpectNamedAndFocusable(form);
        EXPECT_EQ(AccessibleName(Find(form, "d1")), "D0 High");
        EXPECT_EQ(AccessibleName(Find(form, "d2")), "D1 High");
        // An arrow moves the selection inside a group (and so writes); Space toggles a box.
        rig.port.clear();
        Find(form, "range1")->setFocus();
        QTest::keyClick(form.focusWidget(), Qt::Key_Down);
        Find(form, "Burn")->setFocus();
        QTest::keyClick(form.focusWidget(), Qt::Key_Space);
        Find(form, "CLKOUT")->setFocus();
        QTest::keyClick(form.focusWidget(), Qt::Key_Space);
        EXPECT_EQ(State(form), "md1 bipolar bit24 v5 range2 ch1 Burn den +outputs");
        // Escape closes the window.
        QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(rig.traffic(), (Traffic{"W mode 2990", "R mode 2990", "W mode 2994", "R mode 2994", "W mode 2994", "R mode 2994"}));
    EXPECT_EQ(answers.seen, Strings{"QB4160 Read Error!"});
}

TEST(RegisterKeyboard, ProgramMenuAndChoiceWindowsAreNamedAndReachedByTab) {
    Rig rig(0x2180);
    registers::program menu(rig.ctx);
    RunModal(menu, [&] {
        ExpectNamedAndFocusable(menu);
        // Space on the focused button opens the mode register window.
        std::string opened;
        QTimer::singleShot(0, [&] {
            opened = QApplication::activeModalWidget()->windowTitle().toStdString();
            QApplication::activeModalWidget()->close();
        });
        Find(menu, "mode_reg")->setFocus();
        QTest::keyClick(menu.focusWidget(), Qt::Key_Space);
        EXPECT_EQ(opened, "QB4160 Mode Register");
    });
    registers::channelform channel(rig.ctx);
    registers::warning clock(rig.ctx);
    for (registers::ChoiceForm* form : {static_cast<registers::ChoiceForm*>(&channel), static_cast<registers::ChoiceForm*>(&clock)}) {
        RunModal(*form, [&] {
            ExpectNamedAndFocusable(*form);
        });
    }
}

} // namespace
} // namespace qb::regtest
