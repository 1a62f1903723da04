// The simulated port: the board on parallel port 1 at 378h, nothing at other addresses, and the
// board's clock (virtual: a microsecond per access, and every wait of the program; wall: real time).
#include <gtest/gtest.h>

#include "app/SimPort.h"

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

} // namespace
} // namespace qb::app
