// The demonstration's sequence without the window (a whole run's traffic is the window's test): the
// time-out path, a stop, and what the lists and the chart's y range make of a run. (How the simulated
// board answers the step, with and without fast step, is pinned in the board's tests.)
#include <gtest/gtest.h>


#include "faststep/FastStepListing.h"
#include "faststep/FastStepRun.h"
#include "faststep/FastStepRig.h"
#include "platform/widgets/Wait.h"

namespace qb::fasttest {
namespace {

using namespace faststep;

// The hooks a window gives, minus the window: the settling wait passes the port's clock.
RunHooks Waiting(platform::PortIo& port) {
    RunHooks h;
    h.settle = [&port](int16_t ms) { platform::WaitMs(port, ms); };
    return h;
}

// A board whose ready line never falls: each level loop says so once, stops reading (so the
// register writes that follow reach a chip that listens) and leaves its routine; the run goes on
// with the other routine and keeps zeros for the readings not taken.
TEST(FastStepRun, ATimeOutStopsReadingKeepsTheMessageAndTheRunGoesOn) {
    test::QuietPollPort port;  // nothing behind it: the status lines float high
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    settings.PortAddress = 0x378;
    const link::Context ctx{port, messages, settings, ""};
    EXPECT_EQ(RunFastStep(ctx, Waiting(port)), RunEnd::Complete);
    const std::vector<std::string> readsNothing = {"C 33", "out 1A", "C 48", "out 1B"};  // 26, then only busy polls
    EXPECT_EQ(test::RegisterTraffic(port.log),
              (std::vector<std::string>{"W mode 31B2", "W filter 400010", "W DAC 2"} + readsNothing +
               std::vector<std::string>{"W DAC 2", "W filter 400110"} + readsNothing));
    EXPECT_EQ(port.busyPolls, 2 * link::kDataReadyPolls);
    EXPECT_EQ(messages.texts(), std::vector<std::string>(2, link::kReadErrorMessage));
    EXPECT_EQ(settings.FastStepOffCodes, std::vector<double>(81, 0.0));
    EXPECT_EQ(settings.FastStepOnCodes, std::vector<double>(81, 0.0));
}

// The caller's stop ends the level loop after the reading in hand; a stop of the wait itself
// ends it without a reading. Either way reading is stopped and the routine left.
TEST(FastStepRun, AStopEndsTheLevelLoopAndLeavesContinuousReading) {
    const struct { const char* what; int stopAfter; bool inWait; int stored; } cases[] = {
        {"after the third reading", 3, false, 3}, {"in the wait for the third", 2, true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.settings.StepReadCount = 40;
        std::vector<double> codes(81, 0.0);
        int taken = 0;
        bool stopWait = false;
        RunHooks hooks;
        hooks.afterReading = [&] {
            ++taken;
            stopWait = c.inWait && taken == c.stopAfter;
            return c.inWait || taken < c.stopAfter;
        };
        const link::Context ctx = link::WithStopHook(rig.ctx, [&] { return stopWait; });
        ReadFastStepOn(ctx, codes, hooks);
        EXPECT_EQ(Shape(rig.traffic()), (std::vector<std::string>{"W DAC 2", "W filter 400110", "C 33"} +
                                         Results(c.stored) + std::vector<std::string>(c.inWait, "out 1A") + kStop));
        EXPECT_EQ(std::count_if(codes.begin(), codes.end(), [](double v) { return v != 0; }), c.stored);
    }
}

TEST(FastStepListing, EveryReadingListedUnderItsOwnNumber) {
    std::vector<double> codes(81, 0.0);
    codes[1] = 1048576;
    codes[40] = 8388608;
    codes[80] = 15204352;
    const std::vector<std::string> lines = ListLines(codes, 40);
    ASSERT_EQ(lines.size(), 80u);
    EXPECT_EQ(lines[0], "001       01048576");
    EXPECT_EQ(lines[1], "002       00000000") << "a reading not taken";
    EXPECT_EQ(lines[39], "040       08388608");
    EXPECT_EQ(lines[79], "080       15204352") << "the last reading is listed";
    EXPECT_EQ(ListLines(std::vector<double>(5, 7.0), 40).size(), 4u) << "a short series lists what it holds";
    EXPECT_EQ(ListLine(7, 16777215), "007       16777215");
}

TEST(FastStepListing, YRangeSpansTheFastStepOffReadingsWithAMargin) {
    const struct { std::vector<double> off; int16_t n; YRange range; } cases[] = {
        {{0, 1048576, 15204352, 1048580, 15204350}, 2, {48576, 16204352}},
        {{0, 1048576, 1048576, 0, 0}, 2, {-1000000, 2048576}},  // an aborted run: its zeros count
        {{0, 9, 5, 7, 999}, 1, {-999995, 1000009}},              // only readings 1..2N are scanned
        {{0, 10.5, 11.5}, 1, {-999990, 1000012}},               // whole numbers, halves to even
        {{0, 5}, 40, {-999995, 1000005}},                       // one reading
        {{0}, 40, {-1000000, 1000000}}};                        // nothing read
    for (const auto& c : cases) EXPECT_EQ(ChartYRange(c.off, c.n), c.range) << c.off.size();
}

} // namespace
} // namespace qb::fasttest
