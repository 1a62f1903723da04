#include "platform/widgets/Wait.h"

#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/widgets/Controls.h"
#include "platform/widgets/Form.h"

namespace qb::platform {

bool WaitMs(PortIo& port, int ms, const std::function<bool()>& keepWaiting) {
    if (ms < 0) ms = 0;
    port.passTime(ms / 1000.0);
    const auto stillWaiting = [&] { return !keepWaiting || keepWaiting(); };
    if (port.clockIsVirtual()) return Form::doEvents() && stillWaiting();

    QElapsedTimer elapsed;
    elapsed.start();
    // A timer of our own wakes the event loop when the time is up, even if no other event comes.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(ms);
    while (elapsed.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (Form::programEnding() || !stillWaiting()) return false;
    }
    return Form::doEvents() && stillWaiting();
}

bool WaitMs(MsTimer& timer, PortIo& port, int ms, const std::function<bool()>& keepWaiting) {
    timer.onTimer([&timer] { timer.setEnabled(false); });
    timer.setInterval(ms);
    timer.setEnabled(true);
    const bool waited = WaitMs(port, ms, keepWaiting);
    timer.setEnabled(false);
    return waited;
}

void PauseMs(PortIo& port, int ms) {
    if (ms < 0) ms = 0;
    port.passTime(ms / 1000.0);
    if (port.clockIsVirtual()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace qb::platform
