#pragma once
// The controls every window is built from. Each is a plain Qt widget (usable in any Qt layout)
// with the behaviour the windows rely on:
//
//  - Setting an option button to selected, or a check box to a different state, from code runs
//    its click handler at once, exactly as a user click; setting the state it already has runs
//    nothing; unselecting an option button runs nothing.
//  - Text boxes have a key-press hook that sees the key as an ASCII code and may replace or
//    discard it.
//  - Every control carries its window's name for it as its Qt objectName, so tests and
//    screenshots find it with findChild<T*>("name").
//
// Handlers may change other controls (and the control itself) from inside a handler; the
// handlers of those controls then run nested, before the changing call returns.
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>
#include <QRadioButton>
#include <QString>
#include <QTimer>
#include <QWidget>

class QKeyEvent;

namespace qb::platform {

// Sets `widget`'s objectName and returns it: `auto* b = named(new QPushButton("OK"), "Command1");`
template <class W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// The key of a key-press event as the code a key-press hook sees: the character typed (Enter 13,
// Backspace 8, Escape 27, Tab 9, printable characters their code, Ctrl+letter 1..26), or 0 for
// keys that type no character (arrows, function keys, Delete, lone modifiers).
int KeyAscii(const QKeyEvent& event);

// A key that types no character but is a key of its own (arrows, function keys, Delete, Home),
// not a lone modifier (Shift, Ctrl, Alt, Meta, the locks). "Press any key" counts these too.
bool IsActionKey(const QKeyEvent& event);

// A key-press event that types `keyAscii` (the inverse of KeyAscii), modelled on `original`
// (same auto-repeat flag). The caller owns the result.
QKeyEvent* MakeKeyEvent(int keyAscii, const QKeyEvent& original);

// Key-press hook: sees the key code; may set another code (what is then typed) or 0 (discard).
using KeyPressHandler = std::function<void(int& keyAscii)>;

// An option button. Buttons with the same parent widget (the same frame) exclude each other.
// Tab into a frame of options lands on the selected one. The arrow keys move the selection
// through the frame, unless the frame's options are set to move only the focus (options whose
// selection starts something the user should not start by looking around); Space or a click
// then selects.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const char* name, const QString& caption = {}, QWidget* parent = nullptr);

    // For every option of the frame `options` lies in: the arrow keys move only the focus.
    static void arrowsMoveFocusOnly(std::span<OptionButton* const> options);

    // Runs whenever the button becomes selected: from a user click, keyboard navigation or
    // setValue(true). Clicking the already-selected button runs nothing.
    void onClick(std::function<void()> handler) { click_ = std::move(handler); }

    bool value() const { return isChecked(); }
    // true: selects the button (the others of its frame are unselected first) and runs its
    // handler, unless it was already selected. false: unselects it (also when it is the selected
    // button of its frame, leaving none selected); runs nothing.
    void setValue(bool selected);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The options of this one's frame, in their order.
    QList<OptionButton*> frameOptions();
    // Tab stops at the selected option of the frame only (at none when none is selected).
    void tabStopAtSelected();

    std::function<void()> click_;
    bool arrowsSelect_ = true;
};

// A check box.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const char* name, const QString& caption = {}, QWidget* parent = nullptr);

    // Runs whenever the state changes: a user click or setValue() with the other state.
    void onClick(std::function<void()> handler) { click_ = std::move(handler); }

    bool value() const { return isChecked(); }
    // Sets the state; runs the handler only when it changes.
    void setValue(bool checked);

private:
    std::function<void()> click_;
};

// A single-line text box.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(const char* name, const QString& text = {}, QWidget* parent = nullptr);

    // Runs for every key that types a character, before the box acts on it. Enter (13) never
    // reaches the window's default button: the box keeps it.
    void onKeyPress(KeyPressHandler handler) { keyPress_ = std::move(handler); }
    // Runs when the box is clicked with the left mouse button (after it took the focus).
    void onClick(std::function<void()> handler) { click_ = std::move(handler); }

    // The text as UTF-8.
    std::string str() const { return text().toStdString(); }
    void setStr(std::string_view text) { setText(QString::fromUtf8(text.data(), qsizetype(text.size()))); }

    // Most characters the user may type; 0 means no limit. Text set from code is cut to it.
    void setMaxLength(int characters);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void deliverKey(QKeyEvent* event);

    KeyPressHandler keyPress_;
    std::function<void()> click_;
};

// A small round bit indicator: filled (solid) for 1, hollow (outline only) for 0. A screen reader
// reads what it shows and its state: "bit 13: 1".
class CircleShape : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDiameter = 14;

    // `shows`: what the indicator stands for ("bit 13").
    CircleShape(const char* name, const QString& shows, QWidget* parent = nullptr);

    bool filled() const { return filled_; }
    void setFilled(bool filled);

    QSize sizeHint() const override { return {kDiameter, kDiameter}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void name();

    QString shows_;
    bool filled_ = false;
};

// A millisecond timer. While enabled with an interval above 0 it runs its handler every
// `interval` milliseconds (never earlier) until disabled; an interval of 0 keeps it quiet.
// Changing the interval of a running timer starts the period afresh.
class MsTimer : public QObject {
    Q_OBJECT
public:
    explicit MsTimer(const char* name, QObject* parent = nullptr);

    void onTimer(std::function<void()> handler) { tick_ = std::move(handler); }

    int interval() const { return interval_; }
    void setInterval(int milliseconds);  // negative counts as 0
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // True while a tick is pending (enabled with an interval above 0).
    bool running() const { return timer_.isActive(); }
    // Runs the handler now, as if the interval had passed, when the timer is running. For tests
    // that must not wait for real time; the period is not restarted.
    void fireNow();

private:
    void update();

    QTimer timer_;
    std::function<void()> tick_;
    int interval_ = 0;
    bool enabled_ = false;
};

} // namespace qb::platform
