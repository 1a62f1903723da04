// The simulated port: the board on parallel port 1 at 378h, nothing at other addresses, and the
// board's clock (virtual: a microsecond per access, and every wait of the program; wall: real time).
#include <gtest/gtest.h>

#include "app/SimPort.h"

#include <tuple>
#include <vector>

#include "link/Serial.h"
#include "support/ScriptedMessages.h"

namespace qb::app {
namespace {

TEST(SimPort, TheBoardOnPortOneAndNothingElse) {
    SimPort port;
    platform::ParallelPortInfo info;
    EXPECT_EQ(std::vector<int>({port.ClaimParallelPort(1, 0), port.ClaimParallelPort(2, 0),
                                port.GetParallelPortInfo(2, info), port.GetParallelPortInfo(1, info)}),
              std::vector<int>({1, 0, 0, 1}));
    EXPECT_EQ(info.baseAddress, 0x378u);
    for (const uint16_t address : {0x377, 0x37B, 0x278, 0x3BC}) {
        port.OutByte(address, 0x00);
        EXPECT_EQ(port.InByte(address), 0xFF) << address;
    }
    port.OutByte(0x37A, 0xC4);  // the control register is the board's
    EXPECT_EQ(port.InByte(0x37A), 0xC4);
}

TEST(SimPort, VirtualTimeMovesOnlyWithAccessesAndWaits) {
    SimPort port;
    ASSERT_TRUE(port.clockIsVirtual());
    for (int i = 0; i < 10; ++i) port.InByte(0x379);
    EXPECT_NEAR(port.virtualTimeSeconds(), 10 * SimPort::kAccessSeconds, 1e-12);
    port.passTime(0.25);
    EXPECT_NEAR(port.virtualTimeSeconds(), 0.25 + 10 * SimPort::kAccessSeconds, 1e-12);

    SimPort wall({}, board::TimeMode::Wall);  // a real wait lets the time pass by itself
    EXPECT_FALSE(wall.clockIsVirtual());
    wall.passTime(100);
    EXPECT_LT(wall.virtualTimeSeconds(), 50);
}

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
