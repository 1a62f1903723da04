#pragma once
// Shared by the register window tests: the started board (support/BoardRig.h); modal openings
// driven from a timer; an answerer for the small choice windows that come up while a handler
// runs; reading and typing into windows.
#include <algorithm>
#include <deque>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Form.h"
#include "platform/base/Numbers.h"
#include "support/BoardRig.h"

namespace qb::regtest {

using Rig = test::BoardRig;

// Shows `form` modally and runs `act` once it is up and takes input (not while a window that its
// opening showed is still up); closes it afterwards if still open.
inline void RunModal(platform::Form& form, const std::function<void()>& act) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != &form || !form.isVisible()) return;
        timer.stop();
        act();
        if (form.isVisible()) form.close();
    });
    timer.start(0);
    form.showModal();
}

// Answers the choice windows (captions in `captions`) as they come up: clicks the next scripted
// button (by name) of each, or closes it without a choice when the script is empty. Records
// each caption seen.
class ChoiceAnswers {
public:
    explicit ChoiceAnswers(std::deque<std::string> buttons = {},
                           std::set<std::string> captions = {"QB4160", "QB4160 Read Error!"})
        : buttons_(std::move(buttons)), captions_(std::move(captions)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(0);
    }
    void script(std::deque<std::string> buttons) { buttons_ = std::move(buttons); }
    std::vector<std::string> seen;

private:
    void tick() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || !captions_.count(w->windowTitle().toStdString())) return;
        seen.push_back(w->windowTitle().toStdString());
        if (buttons_.empty()) {
            w->close();
            return;
        }
        auto* b = w->findChild<QAbstractButton*>(QString::fromStdString(buttons_.front()));
        buttons_.pop_front();
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    std::deque<std::string> buttons_;
    std::set<std::string> captions_;
    QTimer timer_;
};

template <class W = QAbstractButton>
W* Find(QWidget& form, const std::string& name) {
    auto* w = form.findChild<W*>(QString::fromStdString(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}
inline std::string Text(QWidget& form, const std::string& name) { return Find<QLabel>(form, name)->text().toStdString(); }
// A user's click on the control `name` (near its left end, where option buttons and check boxes
// have their mark).
inline void Click(QWidget& form, const std::string& name) {
    QAbstractButton* b = Find(form, name);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
}

// The texts of labels and text boxes, and the register's indicators in hexadecimal, joined by
// "|".
inline std::string Shown(QWidget& form, std::initializer_list<const char*> names) {
    std::string out;
    for (const char* name : names) {
        auto* box = form.findChild<platform::TextBox*>(QString::fromUtf8(name));
        out += (box ? box->str() : Text(form, name)) + "|";
    }
    return out + platform::Hex(form.findChild<platform::BitRow*>()->value());
}
// Sets the text of the text box `box` and presses Enter in it.
inline void Enter(QWidget& form, const char* box, const char* typed) {
    Find<platform::TextBox>(form, box)->setText(QString::fromUtf8(typed));
    QTest::keyClick(Find<platform::TextBox>(form, box), Qt::Key_Return);
}
// The traffic of a write of `value` to `reg` ("filter", "DAC", ...) and its read-back, on a
// board that reads back faithfully or, `faulty`, with bit 0 flipped.
inline std::vector<std::string> WriteAndReadBack(const std::string& reg, int32_t value, bool faulty = false) {
    return {"W " + reg + " " + platform::Hex(value), "R " + reg + " " + platform::Hex(value ^ (faulty ? 1 : 0))};
}
inline board::SimOptions Board(bool faulty) { return test::Fault(faulty ? board::Fault::Readback : board::Fault::None); }

} // namespace qb::regtest
