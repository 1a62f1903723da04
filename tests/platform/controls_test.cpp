// The behaviour the windows rely on from their controls: handlers run by changes from code as by
// clicks, nested handler runs, key-press hooks, the millisecond timer.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Form.h"
#include "platform/widgets/FormWidgets.h"

using namespace qb::platform;

namespace {

using Runs = std::vector<int>;

// Acts on a button: s selects it from code, u unselects it from code, c is a user's click.
template <class Button> void Act(Button* b, char act) {
    if (act == 'c') QTest::mouseClick(b, Qt::LeftButton);
    else b->setValue(act == 's');
}

TEST(OptionButton, RunsItsHandlerExactlyWhenItBecomesSelectedAndNestedRunsWin) {
    // Acts: pairs of an action and a button number; initial -1: none selected, -2: also a nested handler.
    struct Case { int initial; const char* acts; Runs runs; int selected; };
    for (const Case& c : {Case{0, "s2", {2}, 2}, {1, "s1", {}, 1}, {1, "u1", {}, -1}, {1, "u0", {}, 1},
                          {-1, "c0", {0}, 0}, {2, "c2", {}, 2}, {1, "u1s0c2", {0, 2}, 2}, {-2, "s1", {1, 0, 100}, 0}}) {
        SCOPED_TRACE(testing::Message() << c.initial << " " << c.acts);
        QWidget frame;
        OptionButton* b[3];
        auto* layout = new QVBoxLayout(&frame);
        for (int i = 0; i < 3; ++i) layout->addWidget(b[i] = new OptionButton(("opt" + std::to_string(i)).c_str()));
        if (c.initial >= 0) b[c.initial]->setValue(true);  // before the handlers exist: runs nothing
        Runs runs;
        for (int i = 0; i < 3; ++i) b[i]->onClick([&runs, i] { runs.push_back(i); });
        if (c.initial == -2)  // a handler that cancels the choice: the button selected in it wins
            b[1]->onClick([&] {
                runs.push_back(1);
                b[0]->setValue(true);
                runs.push_back(100);  // after the nested run
            });
        frame.show();
        for (const char* a = c.acts; *a; a += 2) Act(b[a[1] - '0'], a[0]);
        EXPECT_EQ(runs, c.runs);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(b[i]->value(), i == c.selected) << i;
    }
}

// (A check box runs its handler on real changes only: the filter and mode windows' tests click
// and set theirs, counting the writes that follow.)
TEST(TextBox, TheKeyHookSeesReplacesOrDiscardsEveryTypedKey) {
    // The hook discards x, turns u into U and - into Backspace.
    struct Case { int maxLength; const char* initial; std::vector<int> keys; std::string text; Runs seen; };
    const Case cases[] = {
        {-1, "", {'1', 'x', '2', 'u', '-', Qt::Key_Backspace}, "1", {'1', 'x', '2', 'u', '-', 8}},
        {-1, "5", {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}, "5", {13, 13, 27}},  // neither types
        {-1, "12", {Qt::Key_Left, Qt::Key_Delete, 'y'}, "1y", {'y'}},  // keys that type nothing skip the hook
        {3, "", {'1', '2', '3', '4'}, "123", {'1', '2', '3', '4'}},    // the hook still sees refused keys
        {0, "", {'1', '2', '3', '4', '5'}, "12345", {'1', '2', '3', '4', '5'}}};  // 0: no limit
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QWidget w;
        auto* box = new TextBox("ReadNoValueText", c.initial, &w);
        if (c.maxLength >= 0) box->setMaxLength(c.maxLength);
        Runs seen;
        box->onKeyPress([&](int& k) {
            seen.push_back(k);
            k = k == 'x' ? 0 : k == 'u' ? 'U' : k == '-' ? 8 : k;
        });
        w.show();
        box->end(false);
        for (int key : c.keys) {
            if (key < 0x7f) QTest::keyClick(box, char(key));
            else QTest::keyClick(box, Qt::Key(key));
        }
        EXPECT_EQ(box->str(), c.text);
        EXPECT_EQ(seen, c.seen);
    }
}

// Enter in a text box clicks no default button; Enter on a focused button clicks it.
TEST(TextBox, EnterDoesNotClickTheDefaultButtonAndALeftClickRunsTheClickHook) {
    Form window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new TextBox("dacword", "1");
    auto* button = new QPushButton("Back...");
    layout->addWidget(box);
    layout->addWidget(button);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, [] { ADD_FAILURE() << "the default button was clicked"; });
    auto* other = CommandButton("Command1", "Other");
    layout->addWidget(other);
    int clicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&clicks] { ++clicks; });
    box->onClick([box] { box->setStr(""); });  // a window that clears the box when clicked
    window.show();
    QTest::keyClick(box, Qt::Key_Return);
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(box, Qt::RightButton);
    EXPECT_EQ(box->str(), "1");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->str(), "");
}

// The read windows' pause: the timer runs only while enabled with an interval above zero, in
// whichever order the two are set. (Its ticks through the event loop pace the data window's
// display read, whose tests run them.)
TEST(MsTimer, RunsOnlyWhileEnabledWithAnIntervalAboveZero) {
    struct Case { int interval; bool enabled, running; };
    for (const Case c : {Case{100, true, true}, {0, true, false}, {-5, true, false}, {100, false, false}}) {
        MsTimer timer("Timer1");
        int ticks = 0;
        timer.onTimer([&] { ++ticks; });
        timer.setEnabled(c.enabled);
        timer.setInterval(c.interval);
        timer.fireNow();  // runs the handler only while running
        EXPECT_EQ(ticks, c.running ? 1 : 0) << c.interval << " " << c.enabled;
        EXPECT_EQ(timer.running(), c.running);
    }
}

} // namespace

namespace qb::platform {
namespace {

TEST(BitRow, ShapeOneShowsTheMostSignificantBitOfEachWidth) {
    const struct { int bits; uint32_t value; std::vector<int> filled; } cases[] = {  // the shapes filled
        {8, 0xC5, {1, 2, 6, 8}}, {16, 0x8001, {1, 16}}, {24, 0x4D0010, {2, 5, 6, 8, 20}}, {8, 0x1FF, {1, 2, 3, 4, 5, 6, 7, 8}}};
    for (const auto& c : cases) {
        BitRow row(c.bits);
        row.show(c.value);
        std::vector<int> filled;
        for (int k = 1; k <= c.bits; ++k)
            if (row.findChild<CircleShape*>(QStringLiteral("Shape%1").arg(k))->filled()) filled.push_back(k);
        EXPECT_EQ(filled, c.filled) << c.bits << " bits of " << c.value;
        EXPECT_EQ(row.value(), c.value & ((1u << c.bits) - 1));
    }
}

} // namespace
} // namespace qb::platform
