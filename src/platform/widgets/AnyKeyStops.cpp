#include "platform/widgets/AnyKeyStops.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "platform/widgets/Controls.h"

namespace qb::platform {

AnyKeyStops::AnyKeyStops(QWidget* window, std::function<bool()> active, std::function<void()> stop)
    : QObject(window), window_(window), active_(std::move(active)), stop_(std::move(stop)) {
    // Keys go straight to the focused control; only an application-wide filter sees them first.
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

AnyKeyStops::~AnyKeyStops() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool AnyKeyStops::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    if (static_cast<QWidget*>(watched)->window() != window_ || !active_()) return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (KeyAscii(key) == 0 && !IsActionKey(key)) return false;
    stop_();
    event->accept();
    return true;
}

} // namespace qb::platform
