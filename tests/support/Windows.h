#pragma once
// Driving windows as a user does: a modal opening that runs the test's acts once the window is
// up, controls found by name, clicks, typing, and keys that arrive while a handler runs.
#include <algorithm>
#include <functional>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/widgets/Form.h"

namespace qb::test {

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
// Sets the text of the box `box` and presses Enter in it.
inline void Enter(QWidget& form, const char* box, const char* typed) {
    auto* b = Find<QLineEdit>(form, box);
    b->setText(QString::fromUtf8(typed));
    QTest::keyClick(b, Qt::Key_Return);
}
// A key typed while a handler runs: posted, so it arrives when the handler lets events run.
inline void PostKey(QWidget* to, int qtKey, const QString& text) {
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, qtKey, Qt::NoModifier, text));
}

} // namespace qb::test
