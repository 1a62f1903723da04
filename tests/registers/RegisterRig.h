#pragma once
// Shared by the register window tests: the started board (support/BoardRig.h); an answerer for
// the small choice windows that come up while a handler runs; what a window shows.
#include <deque>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/base/Numbers.h"
#include "support/BoardRig.h"
#include "support/Windows.h"

namespace qb::regtest {

using Rig = test::BoardRig;
using test::Click, test::Enter, test::Find, test::RunModal, test::Text;

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
// The traffic of a write of `value` to `reg` ("filter", "DAC", ...) and its read-back, on a
// board that reads back faithfully or, `faulty`, with bit 0 flipped.
inline std::vector<std::string> WriteAndReadBack(const std::string& reg, int32_t value, bool faulty = false) {
    return {"W " + reg + " " + platform::Hex(value), "R " + reg + " " + platform::Hex(value ^ (faulty ? 1 : 0))};
}
inline board::SimOptions Board(bool faulty) { return test::Fault(faulty ? board::Fault::Readback : board::Fault::None); }

} // namespace qb::regtest
