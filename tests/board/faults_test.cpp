// Broken boards, hostile byte streams and long idle times.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimRig.h"

namespace qb::test {
namespace {

struct FaultCase {
    const char* name;
    const char* option;
    uint32_t modeRead;      // mode register as read at start-up
    uint32_t dacReadAfter5; // DAC register read after writing 5
    bool results;
};

class Faults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Faults, RegistersAndResults) {
    const auto& c = GetParam();
    SimRig rig(Noiseless({c.option}));
    auto& h = rig.host;
    EXPECT_EQ(h.read(kModeReg), c.modeRead);
    h.write(kDacReg, 5);
    EXPECT_EQ(h.read(kDacReg), c.dacReadAfter5);
    h.startContinuous();
    EXPECT_EQ(h.readWhenReady(24, 300'000).has_value(), c.results);
    h.stopContinuous();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Faults,
    ::testing::Values(FaultCase{"None", "--sim-fault=none", 0x21B0, 5, true},
                      FaultCase{"Absent", "--sim-fault=absent", 0xFFFF, 0xFF, false},
                      FaultCase{"NoReady", "--sim-fault=no-ready", 0x21B0, 5, false},
                      FaultCase{"Readback", "--sim-fault=readback", 0x21B0, 4, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Faults, AbsentBoardStatusFloatsHighButThePortRegistersWork) {
    SimRig rig(Noiseless({"--sim-fault=absent"}));
    EXPECT_EQ(rig.port.InByte(0x379), 0xFF);
    rig.port.OutByte(0x37A, 0xC4);
    EXPECT_EQ(rig.port.InByte(0x37A), 0xC4);
}

TEST(Faults, ReadbackFlipsOnlyWrittenRegisters) {
    SimRig rig(Noiseless({"--sim-fault=readback"}));
    auto& h = rig.host;
    EXPECT_EQ(h.read(kFilterReg), 0x800010u);
    h.write(kFilterReg, 0x400010);
    EXPECT_EQ(h.read(kFilterReg), 0x400011u);
    EXPECT_EQ(h.read(kOffsetReg), 0x800000u);
}

// Random traffic on the data port with status reads and idle gaps, then a recovery.
void Scramble(SimRig& rig, uint32_t seed, int bytes) {
    std::mt19937 random(seed);
    for (int i = 0; i < bytes; ++i) {
        const uint32_t r = random();
        switch (r % 8) {
        case 0: rig.port.InByte(0x379); break;
        case 1: rig.port.advance((r >> 8) % 1000 * 1e-4); break;
        default: rig.port.OutByte(0x378, static_cast<uint8_t>(r >> 8)); break;
        }
    }
}

struct RecoveryCase {
    uint32_t seed;
    bool hardware;
};

class RandomTraffic : public ::testing::TestWithParam<RecoveryCase> {};

TEST_P(RandomTraffic, NeverWedgesAndAResetRecovers) {
    const auto& c = GetParam();
    SimRig rig;
    auto& h = rig.host;
    Scramble(rig, c.seed, 200'000);
    if (c.hardware) {
        h.hardwareReset();
        EXPECT_EQ(h.read(kModeReg), 0x21B0u);
        EXPECT_EQ(h.read(kFilterReg), 0x800010u);
    } else {
        h.interfaceReset();
        h.write(kDacReg, 0x2A);
        EXPECT_EQ(h.read(kDacReg), 0x2Au);
        h.write(kDacReg, 0);
        h.write(kOffsetReg, 0x800000);
        h.write(kGainReg, 0x555555);
        h.write(kFilterReg, 0x800010);
        h.write(kModeReg, 0x21B0);
    }
    const auto codes = h.readResults(3);
    ASSERT_EQ(codes.size(), 3u);
    EXPECT_EQ(codes.back(), 0x900000u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTraffic,
                         ::testing::Values(RecoveryCase{1, true}, RecoveryCase{2, false},
                                           RecoveryCase{3, true}, RecoveryCase{4, false},
                                           RecoveryCase{5, false}, RecoveryCase{6, true}));

TEST(RandomTraffic, StatusPortLinesStayWithinTheirBits) {
    // Whatever happens, only data-out and ready move; the other status bits float high.
    SimRig rig;
    std::mt19937 random(11);
    for (int i = 0; i < 100'000; ++i) {
        rig.port.OutByte(0x378, static_cast<uint8_t>(random() | 0x02)); // no hardware reset
        EXPECT_EQ(rig.port.InByte(0x379) & 0xAF, 0xAF);
    }
}

TEST(LongIdle, ResultsAfterADayAtTheHighestRateAreCurrent) {
    SimRig rig;
    auto& h = rig.host;
    h.write(kFilterReg, 0x013000); // word 19, no CHOP: about 16 kHz
    h.readResults(5);
    rig.port.board().setAnalogInput(1, 20.0, rig.now());
    rig.port.advance(86400.0);
    const auto codes = h.readResults(2);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], 0xA00000u);
    EXPECT_EQ(h.read(kStatusReg) & 0x40, 0) << "settled";
}

} // namespace
} // namespace qb::test
