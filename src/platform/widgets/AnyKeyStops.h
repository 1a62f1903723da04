#pragma once
// "Press any key to stop": while `active` says so, every key pressed in `window` runs `stop` and
// goes no further. Any key counts: one that types a character, Enter and Escape included, and
// one that types nothing but is a key of its own (arrows, function keys, Delete); a lone
// modifier does not. It sees the keys before any control of the window does, also while a
// handler runs a loop that lets pending events run.
#include <functional>

#include <QObject>

class QWidget;

namespace qb::platform {

class AnyKeyStops : public QObject {
    Q_OBJECT
public:
    // Becomes a child of `window`.
    AnyKeyStops(QWidget* window, std::function<bool()> active, std::function<void()> stop);
    ~AnyKeyStops() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<bool()> active_;
    std::function<void()> stop_;
};

} // namespace qb::platform
