#include "platform/widgets/EventTurns.h"

#include <time.h>

#include <QCoreApplication>

#include "platform/widgets/Form.h"

namespace qb::platform {

int64_t CoarseMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1'000'000;
}

bool EventTurns::run() {
    const int64_t now = CoarseMs();
    if (windowSystemAskedMs_ == INT64_MIN || now - windowSystemAskedMs_ >= kWindowSystemMs) {
        windowSystemAskedMs_ = now;
        return Form::doEvents();
    }
    QCoreApplication::sendPostedEvents();
    return !Form::programEnding();
}

} // namespace qb::platform
