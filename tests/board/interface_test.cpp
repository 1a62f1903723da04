// The board's serial interface and port lines, driven with the program's byte sequences.
#include <gtest/gtest.h>

#include "SimRig.h"

namespace qb::test {
namespace {

struct RegisterCase {
    RegisterAccess reg;
    uint32_t powerOn;
    uint32_t written; // a value other than the power-on one
};

class RegisterFileTest : public ::testing::TestWithParam<RegisterCase> {};

TEST_P(RegisterFileTest, PowerOnValueWriteReadBackAndHardwareReset) {
    const auto& c = GetParam();
    SimRig rig;
    EXPECT_EQ(rig.host.read(c.reg), c.powerOn);
    rig.host.write(c.reg, c.written);
    EXPECT_EQ(rig.host.read(c.reg), c.written);
    rig.host.hardwareReset();
    EXPECT_EQ(rig.host.read(c.reg), c.powerOn);
}

INSTANTIATE_TEST_SUITE_P(Registers, RegisterFileTest,
                         ::testing::Values(RegisterCase{kModeReg, 0x21B0, 0x0132},
                                           RegisterCase{kFilterReg, 0x800010, 0x4D0110},
                                           RegisterCase{kDacReg, 0x00, 0xC5},
                                           RegisterCase{kOffsetReg, 0x800000, 0x123456},
                                           RegisterCase{kGainReg, 0x555555, 0xFFFFFF}),
                         [](const auto& info) { return std::string(info.param.reg.name); });

TEST(SerialInterface, InputBitsAreTakenOnTheRisingEdgeOnly) {
    // Data-in changed while the clock is low: the converter must take the level at the rise.
    SimRig rig;
    auto& h = rig.host;
    const uint32_t value = 0xA5;
    h.writeSerial(4, 8); // write DAC
    h.out(26);
    for (int j = 7; j >= 0; --j) {
        const uint8_t b = (value >> j) & 1u;
        h.out(18 + (1 - b)); // falls with the opposite level
        h.out(26 + b);       // rises with the bit
    }
    h.out(26);
    EXPECT_EQ(h.read(kDacReg), value);
}

TEST(SerialInterface, OutputBitChangesAfterTheFallingEdge) {
    SimRig rig;
    auto& h = rig.host;
    h.writeSerial(18, 8); // read mode: 0010 0001 1011 0000
    h.out(26);
    const uint32_t expected = 0x21B0;
    for (int j = 15; j >= 0; --j) {
        h.out(18);
        const bool whileLow = h.status() & 0x10;
        h.out(26);
        const bool afterRise = h.status() & 0x10;
        EXPECT_EQ(whileLow, ((expected >> j) & 1) != 0) << "bit " << j;
        EXPECT_EQ(afterRise, whileLow) << "bit " << j;
    }
}

TEST(SerialInterface, ClocksAreIgnoredWhileTheBoardLineIsLow) {
    SimRig rig;
    auto& h = rig.host;
    // A complete DAC write with bit 4 of every byte cleared.
    const auto low = [&](uint8_t b) { h.out(b & ~0x10); };
    const uint32_t words[2] = {4, 0x3F};
    low(26);
    for (uint32_t w : words)
        for (int j = 7; j >= 0; --j) {
            const uint8_t b = (w >> j) & 1u;
            low(26 + b);
            low(18 + b);
            low(26 + b);
        }
    low(26);
    h.out(11); // the start-up byte: board line low, clock high
    EXPECT_EQ(h.read(kDacReg), 0u);
}

TEST(SerialInterface, InterfaceResetAbandonsAHalfDoneWrite) {
    SimRig rig;
    auto& h = rig.host;
    h.writeSerial(3, 8);   // write filter ...
    h.writeSerial(0x12, 5); // ... only five of its 24 bits
    h.interfaceReset();
    EXPECT_EQ(h.read(kFilterReg), 0x800010u);
    EXPECT_EQ(h.read(kModeReg), 0x21B0u);
}

TEST(SerialInterface, ThirtyOneOnesDoNotResetTheInterface) {
    SimRig rig;
    auto& h = rig.host;
    h.writeSerial(5, 8);            // write offset: 24 bits follow
    h.writeSerial(0xFFFFFF, 24);    // with the comms byte's last bit: 25 ones in a row
    EXPECT_EQ(h.read(kOffsetReg), 0xFFFFFFu);
}

TEST(SerialInterface, InterfaceResetEndsContinuousRead) {
    SimRig rig;
    auto& h = rig.host;
    h.startContinuous();
    ASSERT_TRUE(h.readWhenReady(24));
    h.interfaceReset();
    EXPECT_EQ(h.read(kModeReg), 0x21B0u);
}

TEST(SerialInterface, CommandsAreIgnoredDuringContinuousRead) {
    // While in continuous read, a register command is not obeyed; after 48 it is.
    SimRig rig;
    auto& h = rig.host;
    h.startContinuous();
    h.write(kDacReg, 7);
    h.stopContinuous();
    EXPECT_EQ(h.read(kDacReg), 0u);
    h.write(kDacReg, 7);
    EXPECT_EQ(h.read(kDacReg), 7u);
}

TEST(Board, ResetLineHeldLowKeepsTheChipAtPowerOn) {
    SimRig rig;
    auto& h = rig.host;
    h.write(kModeReg, 0x0132);
    h.out(24); // reset low
    // Clocks while held are ignored: a full DAC write with the reset line low.
    for (int i = 0; i < 200; ++i) h.out(i % 2 ? 0x19 : 0x11);
    EXPECT_TRUE(h.status() & 0x40) << "no result while held in reset";
    h.out(26);
    EXPECT_EQ(h.read(kModeReg), 0x21B0u);
    EXPECT_EQ(h.read(kDacReg), 0u);
}

TEST(Board, PortRegistersAndAddresses) {
    platform::SimPort port;
    EXPECT_EQ(port.ClaimParallelPort(1, -1), 1);
    platform::ParallelPortInfo info;
    EXPECT_EQ(port.GetParallelPortInfo(1, info), 1);
    EXPECT_EQ(info.baseAddress, 0x378u);
    EXPECT_EQ(port.GetParallelPortInfo(2, info), 0);

    const uint8_t control = port.InByte(0x37A);
    port.OutByte(0x37A, control & 212);
    EXPECT_EQ(port.InByte(0x37A), control & 212);
    port.OutByte(0x378, 0x1B);
    EXPECT_EQ(port.InByte(0x378), 0x1B);
    for (uint16_t other : {0x278, 0x279, 0x3BC, 0x37B, 0x377}) EXPECT_EQ(port.InByte(other), 0xFF);
}

TEST(Board, VirtualTimeMovesOneMicrosecondPerAccessAndOnAdvance) {
    platform::SimPort port;
    EXPECT_EQ(port.virtualTimeSeconds(), 0.0);
    for (int i = 0; i < 1000; ++i) port.InByte(0x379);
    EXPECT_NEAR(port.virtualTimeSeconds(), 1e-3, 1e-12);
    port.advance(0.5);
    EXPECT_NEAR(port.virtualTimeSeconds(), 0.501, 1e-12);
}

TEST(Board, WallTimeAccessesTakeAtLeastAMicrosecond) {
    board::SimOptions o;
    o.time = board::TimeMode::Wall;
    platform::SimPort port(o);
    const double start = port.virtualTimeSeconds();
    for (int i = 0; i < 200; ++i) port.InByte(0x379);
    EXPECT_GE(port.virtualTimeSeconds() - start, 199e-6);
}

} // namespace
} // namespace qb::test
