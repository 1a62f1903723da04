// The behaviour the windows rely on from their controls: handlers run by changes from code as by
// clicks, nested handler runs, key-press hooks, bit indicators, the millisecond timer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Form.h"

using namespace qb::platform;

namespace {

// ---- option buttons -------------------------------------------------------------------------

// Three option buttons in one frame; each handler run is recorded by button number.
struct OptionFrame {
    QWidget frame;
    OptionButton* b[3];
    std::vector<int> runs;

    explicit OptionFrame(int selected) {
        auto* layout = new QVBoxLayout(&frame);
        for (int i = 0; i < 3; ++i) {
            b[i] = new OptionButton(("opt" + std::to_string(i)).c_str(), QString("Option %1").arg(i));
            layout->addWidget(b[i]);
        }
        if (selected >= 0) b[selected]->setValue(true);  // before the handlers exist: runs nothing
        for (int i = 0; i < 3; ++i) b[i]->onClick([this, i] { runs.push_back(i); });
        frame.show();
    }
    int selected() const {
        int found = -1;
        for (int i = 0; i < 3; ++i)
            if (b[i]->value()) found = found == -1 ? i : 99;  // 99: more than one selected
        return found;
    }
};

enum class Act { CodeSelect, CodeUnselect, UserClick };

struct OptionCase {
    const char* what;
    int initial;  // selected button, -1 none
    Act act;
    int target;
    std::vector<int> expectedRuns;
    int expectedSelected;
};

class OptionButtonSemantics : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionButtonSemantics, RunsTheHandlerExactlyWhenSelectionArrives) {
    const OptionCase& c = GetParam();
    OptionFrame f(c.initial);
    switch (c.act) {
    case Act::CodeSelect: f.b[c.target]->setValue(true); break;
    case Act::CodeUnselect: f.b[c.target]->setValue(false); break;
    case Act::UserClick: QTest::mouseClick(f.b[c.target], Qt::LeftButton); break;
    }
    EXPECT_EQ(f.runs, c.expectedRuns) << c.what;
    EXPECT_EQ(f.selected(), c.expectedSelected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OptionButtonSemantics,
    ::testing::Values(
        OptionCase{"code selects an unselected button", -1, Act::CodeSelect, 1, {1}, 1},
        OptionCase{"code selects, another one was selected", 0, Act::CodeSelect, 2, {2}, 2},
        OptionCase{"code selects the selected button", 1, Act::CodeSelect, 1, {}, 1},
        OptionCase{"code unselects the selected button of the group", 1, Act::CodeUnselect, 1, {}, -1},
        OptionCase{"code unselects an unselected button", 1, Act::CodeUnselect, 0, {}, 1},
        OptionCase{"user clicks an unselected button", 0, Act::UserClick, 2, {2}, 2},
        OptionCase{"user clicks with nothing selected", -1, Act::UserClick, 0, {0}, 0},
        OptionCase{"user clicks the selected button", 2, Act::UserClick, 2, {}, 2}));

TEST(OptionButton, AfterUnselectingFromCodeTheGroupStaysExclusive) {
    OptionFrame f(0);
    f.b[0]->setValue(false);
    f.b[1]->setValue(true);
    QTest::mouseClick(f.b[2], Qt::LeftButton);
    EXPECT_EQ(f.selected(), 2);
    EXPECT_EQ(f.runs, (std::vector<int>{1, 2}));
}

TEST(OptionButton, FramesAreIndependentGroups) {
    OptionFrame a(0), b(1);
    b.b[2]->setValue(true);
    EXPECT_EQ(a.selected(), 0);
    EXPECT_EQ(b.selected(), 2);
}

TEST(OptionButton, HandlerThatSelectsAnotherButtonRunsItsHandlerNestedAndWins) {
    // A handler that refuses its own selection and returns to the previous button, as a window
    // does when a choice is cancelled.
    OptionFrame f(0);
    f.b[1]->onClick([&] {
        f.runs.push_back(1);
        f.b[0]->setValue(true);
        f.runs.push_back(100);  // after the nested run
    });
    QTest::mouseClick(f.b[1], Qt::LeftButton);
    EXPECT_EQ(f.runs, (std::vector<int>{1, 0, 100}));
    EXPECT_EQ(f.selected(), 0);
}

TEST(OptionButton, CarriesItsNameAndCaption) {
    QWidget w;
    auto* b = new OptionButton("md3", "Power Down Mode", &w);
    EXPECT_EQ(w.findChild<OptionButton*>("md3"), b);
    EXPECT_EQ(b->text(), "Power Down Mode");
    EXPECT_FALSE(b->value());
}

// ---- check boxes ----------------------------------------------------------------------------

struct CheckCase {
    const char* what;
    bool initial;
    Act act;  // CodeSelect = setValue(true), CodeUnselect = setValue(false)
    int expectedRuns;
    bool expectedValue;
};

class CheckBoxSemantics : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckBoxSemantics, RunsTheHandlerOnRealChangesOnly) {
    const CheckCase& c = GetParam();
    QWidget w;
    auto* box = new CheckBox("Burn", "Burn-Out Enabled", &w);
    box->setValue(c.initial);
    int runs = 0;
    bool seen = !c.expectedValue;
    box->onClick([&] {
        ++runs;
        seen = box->value();  // the handler sees the new state
    });
    w.show();
    switch (c.act) {
    case Act::CodeSelect: box->setValue(true); break;
    case Act::CodeUnselect: box->setValue(false); break;
    case Act::UserClick: QTest::mouseClick(box, Qt::LeftButton); break;
    }
    EXPECT_EQ(runs, c.expectedRuns) << c.what;
    EXPECT_EQ(box->value(), c.expectedValue) << c.what;
    if (runs) {
        EXPECT_EQ(seen, c.expectedValue) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckBoxSemantics,
    ::testing::Values(CheckCase{"code checks an unchecked box", false, Act::CodeSelect, 1, true},
                      CheckCase{"code unchecks a checked box", true, Act::CodeUnselect, 1, false},
                      CheckCase{"code checks a checked box", true, Act::CodeSelect, 0, true},
                      CheckCase{"code unchecks an unchecked box", false, Act::CodeUnselect, 0, false},
                      CheckCase{"user checks", false, Act::UserClick, 1, true},
                      CheckCase{"user unchecks", true, Act::UserClick, 1, false}));

TEST(CheckBox, HandlerThatResetsItsOwnBoxRunsAgainNestedOnce) {
    // A guarded setting: the handler refuses a check by unchecking its own box.
    QWidget w;
    auto* box = new CheckBox("CLKOUT", "CLKOUT Disabled", &w);
    std::vector<bool> seen;
    box->onClick([&] {
        seen.push_back(box->value());
        box->setValue(false);
    });
    box->setValue(true);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(box->value());
}

// ---- text boxes -----------------------------------------------------------------------------

enum class Hook { None, DigitsOnly, Upper, MinusIsBackspace, Record };

struct KeyCase {
    const char* what;
    Hook hook;
    int maxLength;
    std::string initial;
    std::vector<int> keys;  // Qt keys (letters/digits as their character)
    std::string expectedText;
    std::vector<int> expectedSeen;
};

void Type(QWidget* w, int key) {
    if (key >= 0x20 && key < 0x7f) {
        QTest::keyClick(w, char(key));
    } else {
        QTest::keyClick(w, Qt::Key(key));
    }
}

class TextBoxKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TextBoxKeys, HookSeesReplacesOrDiscards) {
    const KeyCase& c = GetParam();
    QWidget w;
    auto* box = new TextBox("ReadNoValueText", QString::fromStdString(c.initial), &w);
    if (c.maxLength >= 0) box->setMaxLength(c.maxLength);
    std::vector<int> seen;
    switch (c.hook) {
    case Hook::None: break;
    case Hook::DigitsOnly:
        box->onKeyPress([&](int& k) {
            seen.push_back(k);
            if (!(k >= '0' && k <= '9') && k != 8) k = 0;
        });
        break;
    case Hook::Upper:
        box->onKeyPress([&](int& k) {
            seen.push_back(k);
            if (k >= 'a' && k <= 'z') k -= 32;
        });
        break;
    case Hook::MinusIsBackspace:
        box->onKeyPress([&](int& k) {
            seen.push_back(k);
            if (k == '-') k = 8;
        });
        break;
    case Hook::Record: box->onKeyPress([&](int& k) { seen.push_back(k); }); break;
    }
    w.show();
    box->end(false);
    for (int key : c.keys) Type(box, key);
    EXPECT_EQ(box->str(), c.expectedText) << c.what;
    EXPECT_EQ(seen, c.expectedSeen) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextBoxKeys,
    ::testing::Values(
        KeyCase{"digits pass, letters discarded", Hook::DigitsOnly, -1, "", {'1', 'a', '2'}, "12", {'1', 'a', '2'}},
        KeyCase{"backspace reaches the hook as 8 and still erases", Hook::DigitsOnly, -1, "", {'1', '2', Qt::Key_Backspace}, "1", {'1', '2', 8}},
        KeyCase{"replacement is what gets typed", Hook::Upper, -1, "", {'a', '1', 'b'}, "A1B", {'a', '1', 'b'}},
        KeyCase{"replacement by backspace erases", Hook::MinusIsBackspace, -1, "", {'1', '2', '-'}, "1", {'1', '2', '-'}},
        KeyCase{"enter is 13 and types nothing", Hook::Record, -1, "5", {Qt::Key_Return}, "5", {13}},
        KeyCase{"keypad enter is 13 as well", Hook::Record, -1, "5", {Qt::Key_Enter}, "5", {13}},
        KeyCase{"escape is 27", Hook::Record, -1, "", {Qt::Key_Escape}, "", {27}},
        KeyCase{"keys that type nothing skip the hook", Hook::Record, -1, "12", {Qt::Key_Left, Qt::Key_Delete, 'x'}, "1x", {'x'}},
        KeyCase{"max length stops typing", Hook::None, 3, "", {'1', '2', '3', '4', '5'}, "123", {}},
        KeyCase{"max length 0 means no limit", Hook::None, 0, "", {'1', '2', '3', '4', '5'}, "12345", {}},
        KeyCase{"hook sees keys refused by max length", Hook::Record, 1, "", {'7', '8'}, "7", {'7', '8'}}));

TEST(TextBox, EnterDoesNotClickTheWindowsDefaultButton) {
    // Neither in one of our windows nor in a plain dialog.
    Form form;
    QDialog dialog;
    for (QDialog* window : {static_cast<QDialog*>(&form), &dialog}) {
        auto* layout = new QVBoxLayout(window);
        auto* box = new TextBox("dacword", "1");
        auto* button = new QPushButton("Back...");
        layout->addWidget(box);
        layout->addWidget(button);
        button->setDefault(true);
        int clicks = 0;
        int enters = 0;
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
        box->onKeyPress([&](int& k) { enters += k == 13; });
        window->show();
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(enters, 1);
        EXPECT_EQ(clicks, 0) << (window == &form ? "form" : "dialog");
        window->hide();
    }
}

TEST(TextBox, ClickRunsTheClickHook) {
    QWidget w;
    auto* box = new TextBox("new_word", "ABCDEF", &w);
    box->onClick([box] { box->setStr(""); });  // a window that clears the box when clicked
    w.show();
    QTest::mouseClick(box, Qt::RightButton);
    EXPECT_EQ(box->str(), "ABCDEF");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->str(), "");
}

TEST(TextBox, KeyAsciiAndMakeKeyEventAreInverse) {
    for (int code : std::vector<int>{8, 9, 13, 27, '0', '9', 'A', 'z', ' ', '.', '-', 0xE9}) {
        QKeyEvent original(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        std::unique_ptr<QKeyEvent> made(MakeKeyEvent(code, original));
        EXPECT_EQ(KeyAscii(*made), code) << code;
    }
}

// ---- circle indicators ----------------------------------------------------------------------

TEST(CircleShape, PaintsSolidWhenFilledAndHollowOtherwise) {
    CircleShape shape("Shape1");
    EXPECT_EQ(shape.size(), QSize(CircleShape::kDiameter, CircleShape::kDiameter));
    const auto centreInk = [&] {
        const QImage img = shape.grab().toImage();
        const QColor c = img.pixelColor(img.width() / 2, img.height() / 2);
        const QColor ink = shape.palette().color(QPalette::WindowText);
        return std::abs(c.lightness() - ink.lightness()) < 40;
    };
    EXPECT_FALSE(shape.filled());
    EXPECT_FALSE(centreInk());
    shape.setFilled(true);
    EXPECT_TRUE(shape.filled());
    EXPECT_TRUE(centreInk());
    shape.setFilled(false);
    EXPECT_FALSE(centreInk());
}

// ---- millisecond timer ----------------------------------------------------------------------

struct TimerCase {
    const char* what;
    int interval;
    bool enabled;
    bool expectRunning;
};

class MsTimerState : public ::testing::TestWithParam<TimerCase> {};

TEST_P(MsTimerState, RunsOnlyWhenEnabledWithAnInterval) {
    const TimerCase& c = GetParam();
    MsTimer timer("Timer1");
    int ticks = 0;
    timer.onTimer([&] { ++ticks; });
    timer.setInterval(c.interval);
    timer.setEnabled(c.enabled);
    EXPECT_EQ(timer.running(), c.expectRunning) << c.what;
    timer.fireNow();
    EXPECT_EQ(ticks, c.expectRunning ? 1 : 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, MsTimerState,
                         ::testing::Values(TimerCase{"enabled with interval", 100, true, true},
                                           TimerCase{"interval 0 keeps it quiet", 0, true, false},
                                           TimerCase{"negative interval counts as 0", -5, true, false},
                                           TimerCase{"disabled", 100, false, false}));

TEST(MsTimer, EnablingOrderDoesNotMatterAndDisablingStops) {
    MsTimer timer("Timer1");
    timer.setEnabled(true);
    EXPECT_FALSE(timer.running());
    timer.setInterval(50);
    EXPECT_TRUE(timer.running());
    timer.setEnabled(false);
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(timer.interval(), 50);
}

TEST(MsTimer, TicksThroughTheEventLoopUntilItsHandlerDisablesIt) {
    // The wait pattern of the read windows: enable, let events run until the tick disables it.
    MsTimer timer("Timer1");
    int ticks = 0;
    timer.onTimer([&] {
        if (++ticks == 2) timer.setEnabled(false);
    });
    timer.setInterval(1);
    timer.setEnabled(true);
    QDeadlineTimer giveUp(10000);
    while (timer.enabled() && !giveUp.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(timer.running());
}

TEST(Named, SetsTheObjectName) {
    QWidget w;
    auto* b = named(new QPushButton("Back...", &w), "Command3D1");
    EXPECT_EQ(w.findChild<QPushButton*>("Command3D1"), b);
}

} // namespace
