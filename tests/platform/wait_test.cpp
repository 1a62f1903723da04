// The program's waits: a virtual clock moves on and no real time passes; a real clock waits at
// least as long as asked, with events running, and a wait can be cut short.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "platform/widgets/Wait.h"
#include "support/RecordingPort.h"

namespace qb::platform {
namespace {

// A port on the wall clock: waits take real time.
struct WallPort : test::RecordingPort {
    bool clockIsVirtual() const override { return false; }
};

TEST(Wait, AVirtualClockMovesOnByEachWaitAndEventsStillRun) {
    test::RecordingPort port;  // alone, it keeps virtual time
    int eventsRun = 0;
    QTimer::singleShot(0, [&] { ++eventsRun; });
    QElapsedTimer real;
    real.start();
    EXPECT_TRUE(WaitMs(port, 30000));
    PauseMs(port, 5);
    WaitMs(port, -3);  // a negative wait is no wait
    EXPECT_EQ(port.waits, (std::vector<double>{30.0, 0.005, 0.0}));
    EXPECT_EQ(eventsRun, 1);
    EXPECT_LT(real.elapsed(), 10000) << "thirty virtual seconds must not be waited for";
    EXPECT_FALSE(WaitMs(port, 10, [] { return false; }));
}

// On the wall clock a wait lasts at least as long as asked, unless the caller's hook says stop.
TEST(Wait, ARealClockWaitsAtLeastTheTimeUnlessToldToStop) {
    for (const bool stop : {false, true}) {
        WallPort port;
        bool stopped = false;
        if (stop) QTimer::singleShot(10, [&] { stopped = true; });
        QElapsedTimer real;
        real.start();
        EXPECT_EQ(WaitMs(port, stop ? 5000 : 20, [&] { return !stopped; }), !stop);
        EXPECT_TRUE(stop ? real.elapsed() < 5000 : real.elapsed() >= 20) << real.elapsed();
    }
}

} // namespace
} // namespace qb::platform
