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

TEST(Wait, ARealClockWaitsAtLeastTheTimeUnlessToldToStop) {
    const struct {
        int ms;
        int stopAfterMs;  // the event that ends the wait early; -1: none
        bool completes;
    } cases[] = {{20, -1, true}, {5000, 10, false}};
    for (const auto& c : cases) {
        WallPort port;
        bool stop = false;
        if (c.stopAfterMs >= 0) QTimer::singleShot(c.stopAfterMs, [&] { stop = true; });
        QElapsedTimer real;
        real.start();
        EXPECT_EQ(WaitMs(port, c.ms, [&] { return !stop; }), c.completes) << c.ms;
        if (c.completes) EXPECT_GE(real.elapsed(), c.ms);
        else EXPECT_LT(real.elapsed(), c.ms);
        EXPECT_EQ(port.waits, std::vector<double>{c.ms / 1000.0});
    }
    WallPort port;
    QElapsedTimer real;
    real.start();
    PauseMs(port, 15);
    EXPECT_GE(real.elapsed(), 15);
}

} // namespace
} // namespace qb::platform
