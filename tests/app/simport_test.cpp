// The simulated port's wait for the ready line, which skips the reads that cannot see a change.
#include <gtest/gtest.h>

#include "app/SimPort.h"

#include <tuple>
#include <vector>

#include "link/Serial.h"
#include "support/ScriptedMessages.h"

namespace qb::app {
namespace {

// A simulated board on virtual time with the link's routines at hand.
struct Board {
    explicit Board(const board::SimOptions& options) : port(options) { settings.PortAddress = 0x378; }
    SimPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
};

// A wait for the ready line that skips the reads which cannot see a change gives what reading the
// status one by one gives: the same reads and values, the same clock after, the same results.
TEST(SimPort, AWaitForTheReadyLineGivesWhatReadsOneByOneGive) {
    board::SimOptions absent, noReady;
    absent.fault = board::Fault::Absent;
    noReady.fault = board::Fault::NoReady;
    using Transfers = std::vector<std::pair<uint32_t, int16_t>>;  // value, bits
    const struct { const char* name; board::SimOptions options; Transfers setUp; int32_t limit; } cases[] = {
        {"continuous read at 50 Hz", {}, {{33, 8}}, 10'000'000},
        {"the highest rate, a stretch at a time", {}, {{3, 8}, {0x013000, 24}, {33, 8}}, 2048},
        {"a single read of the stretch", {}, {{33, 8}}, 1},
        {"a calibration", {}, {{2, 8}, {0x8180, 16}}, 200'000},
        {"no conversion ever", noReady, {{33, 8}}, 300'000},
        {"no board", absent, {{33, 8}}, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Board skipping(c.options), stepping(c.options);
        for (Board* b : {&skipping, &stepping})
            for (const auto& [value, bits] : c.setUp) link::WriteSerial(b->ctx, static_cast<int32_t>(value), 0x378, bits);
        for (int result = 0; result < 3; ++result) {
            const platform::PollRun a = skipping.port.pollUntil(0x379, 0x40, 0, c.limit);
            const platform::PollRun b = stepping.port.PortIo::pollUntil(0x379, 0x40, 0, c.limit);
            EXPECT_EQ(std::tie(a.reads, a.first, a.last), std::tie(b.reads, b.first, b.last)) << result;
            EXPECT_EQ(skipping.port.virtualTimeSeconds(), stepping.port.virtualTimeSeconds());
            EXPECT_EQ(link::ReadSerial(skipping.ctx, 24, 0x378), link::ReadSerial(stepping.ctx, 24, 0x378));
        }
    }
}

} // namespace
} // namespace qb::app
