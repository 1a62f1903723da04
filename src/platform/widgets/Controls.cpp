#include "platform/widgets/Controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <memory>

namespace qb::platform {

int KeyAscii(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Delete:
        return 0;  // deletes, types nothing
    default:
        break;
    }
    const QString text = event.text();
    if (text.size() != 1) return 0;  // no character, or one outside the basic plane
    const int code = text.at(0).unicode();
    if (code == 0 || code == 127) return 0;
    return code;
}

bool IsActionKey(const QKeyEvent& event) {
    if (KeyAscii(event) != 0) return false;
    switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_unknown:
        return false;
    default:
        return true;
    }
}

QKeyEvent* MakeKeyEvent(int keyAscii, const QKeyEvent& original) {
    int key = 0;
    const QString text{QChar{char16_t(keyAscii)}};
    switch (keyAscii) {
    case 13: key = Qt::Key_Return; break;
    case 8: key = Qt::Key_Backspace; break;
    case 27: key = Qt::Key_Escape; break;
    case 9: key = Qt::Key_Tab; break;
    default: {
        const QChar c{char16_t(keyAscii)};
        key = c.isLetter() && keyAscii < 128 ? c.toUpper().unicode() : keyAscii;
        break;
    }
    }
    return new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text, original.isAutoRepeat());
}

// ---- OptionButton --------------------------------------------------------------------------

OptionButton::OptionButton(const char* name, const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent) {
    setObjectName(QString::fromUtf8(name));
    // Every way of becoming selected (click, arrow keys, setValue) runs the handler once; Qt
    // unselects the frame's other buttons before it signals, so the handler sees a settled group.
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on) return;
        QPointer<OptionButton> alive(this);
        if (click_) click_();
        // Selected from code or by a click elsewhere: the next Tab into the frame lands here.
        if (alive && isChecked() && !frameOptions().contains(qobject_cast<OptionButton*>(QApplication::focusWidget()))) tabStopAtSelected();
    });
}

void OptionButton::arrowsMoveFocusOnly(std::span<OptionButton* const> options) {
    for (OptionButton* b : options) b->arrowsSelect_ = false;
}

QList<OptionButton*> OptionButton::frameOptions() {
    QWidget* frame = parentWidget();
    return frame ? frame->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly) : QList<OptionButton*>{this};
}

void OptionButton::tabStopAtSelected() {
    const QList<OptionButton*> options = frameOptions();
    const bool anySelected = std::any_of(options.begin(), options.end(), [](OptionButton* b) { return b->isChecked(); });
    if (!anySelected) return;
    for (OptionButton* b : options)
        b->setFocusPolicy(b->isChecked() ? Qt::FocusPolicy(b->focusPolicy() | Qt::TabFocus)
                                         : Qt::FocusPolicy(b->focusPolicy() & ~Qt::TabFocus));
}

void OptionButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool arrow = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
    if (arrowsSelect_ || !arrow || event->modifiers() != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    event->accept();
    QList<OptionButton*> options = frameOptions();
    options.removeIf([this](OptionButton* b) { return b != this && (!b->isVisible() || !b->isEnabled()); });
    const qsizetype next = options.indexOf(this) + (key == Qt::Key_Down || key == Qt::Key_Right ? 1 : -1);
    if (next >= 0 && next < options.size()) options[next]->setFocus(Qt::OtherFocusReason);
}

void OptionButton::focusOutEvent(QFocusEvent* event) {
    QRadioButton::focusOutEvent(event);
    // The focus has left the frame: Tab back into it lands on the selected option.
    if (!frameOptions().contains(qobject_cast<OptionButton*>(QApplication::focusWidget()))) tabStopAtSelected();
}

void OptionButton::setValue(bool selected) {
    if (selected == isChecked()) return;
    if (selected) {
        setChecked(true);
        return;
    }
    // Qt refuses to unselect the selected button of an exclusive group; lift the exclusion for
    // the moment of the change.
    const bool exclusive = autoExclusive();
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(exclusive);
}

// ---- CheckBox ------------------------------------------------------------------------------

CheckBox::CheckBox(const char* name, const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {
    setObjectName(QString::fromUtf8(name));
    connect(this, &QAbstractButton::toggled, this, [this](bool) {
        if (click_) click_();
    });
}

void CheckBox::setValue(bool checked) {
    if (checked != isChecked()) setChecked(checked);
}

// ---- TextBox -------------------------------------------------------------------------------

TextBox::TextBox(const char* name, const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setObjectName(QString::fromUtf8(name));
}

void TextBox::setMaxLength(int characters) {
    QLineEdit::setMaxLength(characters <= 0 ? 32767 : characters);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    const int code = KeyAscii(*event);
    if (code == 0 || !keyPress_) {
        deliverKey(event);
        return;
    }
    int key = code;
    QPointer<TextBox> alive(this);
    keyPress_(key);
    if (!alive) return;
    event->accept();
    if (key == 0) return;  // discarded
    if (key == code) {
        deliverKey(event);
        return;
    }
    std::unique_ptr<QKeyEvent> replacement(MakeKeyEvent(key, *event));
    deliverKey(replacement.get());
}

void TextBox::deliverKey(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    // A line edit passes Enter on to its window, whose default button would then be clicked; in
    // these windows Enter in a text box means only what the box's own hook makes of it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && click_)
        click_();
}

// ---- CircleShape ---------------------------------------------------------------------------

CircleShape::CircleShape(const char* name, const QString& shows, QWidget* parent) : QWidget(parent), shows_(shows) {
    setObjectName(QString::fromUtf8(name));
    setFixedSize(kDiameter, kDiameter);
    this->name();
}

void CircleShape::setFilled(bool filled) {
    if (filled == filled_) return;
    filled_ = filled;
    name();
    update();
}

void CircleShape::name() { setAccessibleName(shows_ + (filled_ ? QStringLiteral(": 1") : QStringLiteral(": 0"))); }

void CircleShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    painter.setPen(QPen(ink, 1.5));
    painter.setBrush(filled_ ? QBrush(ink) : Qt::NoBrush);
    painter.drawEllipse(QRectF(1, 1, kDiameter - 2, kDiameter - 2));
}

// ---- MsTimer -------------------------------------------------------------------------------

MsTimer::MsTimer(const char* name, QObject* parent) : QObject(parent) {
    setObjectName(QString::fromUtf8(name));
    // A coarse timer may fire up to 5 % early; a wait must last at least its interval.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (tick_) tick_();
    });
}

void MsTimer::setInterval(int milliseconds) {
    interval_ = milliseconds < 0 ? 0 : milliseconds;
    update();
}

void MsTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    update();
}

void MsTimer::update() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

void MsTimer::fireNow() {
    if (running() && tick_) tick_();
}

} // namespace qb::platform
