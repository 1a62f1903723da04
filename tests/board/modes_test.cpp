// Operating modes, calibrations and the status register.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimRig.h"

namespace qb::test {
namespace {

// Polls the ready line for up to `seconds` of virtual time; true when it went low.
bool ReadyWithin(SimRig& rig, double seconds) {
    const double end = rig.now() + seconds;
    while (rig.now() < end)
        if (rig.host.readyLow()) return true;
    return false;
}

struct CalCase {
    const char* name;
    std::vector<const char*> options;
    RegisterAccess corrupted; // written first so the calibration has something to mend
    uint32_t corruptValue;
    uint32_t mode;
    RegisterAccess result;
    uint32_t expected;
    uint32_t codeAfter; // first code in continuous conversion afterwards
};

class Calibration : public ::testing::TestWithParam<CalCase> {};

TEST_P(Calibration, BusyForSomePeriodsThenRegisterSetAndIdle) {
    const auto& c = GetParam();
    board::SimOptions o;
    for (const char* text : c.options) ASSERT_FALSE(board::ApplySimOption(o, text));
    SimRig rig(o);
    auto& h = rig.host;
    h.write(c.corrupted, c.corruptValue);
    const uint32_t before = h.read(c.result);

    h.write(kModeReg, c.mode);
    const double start = rig.now();
    EXPECT_FALSE(h.readyLow()) << "busy right after the write";
    EXPECT_TRUE(h.read(kStatusReg) & 0x08) << "status shows the calibration";
    ASSERT_TRUE(ReadyWithin(rig, 1.0));
    const double took = rig.now() - start;
    EXPECT_GT(took, 3 * 0.020);
    EXPECT_LT(took, 6 * 0.020);

    EXPECT_EQ(h.read(kModeReg), c.mode & 0x1FFF) << "mode field back to 000";
    const uint32_t after = h.read(c.result);
    EXPECT_NE(after, before);
    EXPECT_LE(std::abs(static_cast<int>(after) - static_cast<int>(c.expected)), 64)
        << std::hex << after;
    EXPECT_TRUE(h.readyLow()) << "the ready line stays low in idle";

    h.write(kModeReg, 0x21B0);
    const auto codes = h.readResults(1);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_LE(std::abs(static_cast<int>(codes[0]) - static_cast<int>(c.codeAfter)), 64)
        << std::hex << codes[0];
}

INSTANTIATE_TEST_SUITE_P(
    Table, Calibration,
    ::testing::Values(
        CalCase{"InternalZeroScale", {}, kOffsetReg, 0x812345, 0x81B0, kOffsetReg, 0x800000, 0x900000},
        CalCase{"InternalFullScale", {}, kGainReg, 0x600000, 0xA1B0, kGainReg, 0x555555, 0x900000},
        // +10 mV on the pins becomes zero; the codes then sit at mid-scale.
        CalCase{"SystemZeroScale", {}, kDacReg, 0, 0xC1B0, kOffsetReg, 0x900000, 0x800000},
        // +60 mV on the pins becomes full scale of the 80 mV range.
        CalCase{"SystemFullScale", {"--sim-ain1=60"}, kDacReg, 0, 0xE1B0, kGainReg, 0x71C71C, 0xFFFFFF}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Calibration, SystemZeroScaleIncludesTheDacOffset) {
    SimRig rig;
    auto& h = rig.host;
    h.write(kDacReg, 36); // -10 mV against Ain1's +10 mV: zero on the converter's input
    h.write(kModeReg, 0xC1B0);
    ASSERT_TRUE(ReadyWithin(rig, 1.0));
    EXPECT_EQ(h.read(kOffsetReg), 0x800000u);
}

TEST(Modes, SingleConversionGivesOneResultThenIdles) {
    SimRig rig;
    auto& h = rig.host;
    h.write(kModeReg, 0x41B0);
    h.startContinuous();
    EXPECT_EQ(h.readWhenReady(24), 0x900000u);
    EXPECT_FALSE(h.readWhenReady(24, 300'000)) << "no second result";
    h.stopContinuous();
    EXPECT_EQ(h.read(kModeReg), 0x01B0u);
}

TEST(Modes, PowerDownAndSyncGiveNoResults) {
    for (uint32_t mode : {0x61B0u, 0x01B0u}) {
        SimRig rig;
        auto& h = rig.host;
        h.write(kModeReg, mode);
        const bool standby = (mode >> 13) == 3;
        EXPECT_EQ((h.read(kStatusReg) & 0x20) != 0, standby) << "STBY";
        EXPECT_FALSE(ReadyWithin(rig, 0.3)) << std::hex << mode;
        EXPECT_EQ(h.read(kModeReg), mode);
        h.write(kModeReg, 0x21B0);
        EXPECT_EQ(h.read(kStatusReg) & 0x20, 0);
        EXPECT_EQ(h.readResults(2).size(), 2u) << "conversions resume";
    }
}

TEST(Modes, ReadingTheDataRegisterOnceClearsTheReadyLine) {
    SimRig rig;
    auto& h = rig.host;
    ASSERT_TRUE(ReadyWithin(rig, 1.0));
    EXPECT_EQ(h.read(kStatusReg) & 0x80, 0) << "RDY clear: a result is unread";
    h.writeSerial(0x11, 8); // single read of the data register
    EXPECT_EQ(h.readSerial(24), 0x900000u);
    EXPECT_FALSE(h.readyLow());
    EXPECT_EQ(h.read(kStatusReg) & 0x80, 0x80);
}

struct StatusCase {
    const char* name;
    std::vector<const char*> options;
    uint32_t mode;
    uint8_t mask;
    uint8_t expected;
    uint32_t code; // the first result
};

class StatusRegister : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusRegister, BitsAfterTheFirstResult) {
    const auto& c = GetParam();
    board::SimOptions o = Noiseless();
    for (const char* text : c.options) ASSERT_FALSE(board::ApplySimOption(o, text));
    SimRig r(o);
    r.host.write(kModeReg, c.mode);
    const auto codes = r.host.readResults(1, (c.mode & 0x100) ? 24 : 16);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0], c.code);
    EXPECT_EQ(r.host.read(kStatusReg) & c.mask, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusRegister,
    ::testing::Values(StatusCase{"ReferencePresent", {}, 0x21B0, 0x10, 0x00, 0x900000},
                      StatusCase{"NoReference", {"--sim-noref"}, 0x21B0, 0x10, 0x10, 0xFFFFFF},
                      StatusCase{"NoReference16", {"--sim-noref"}, 0x20B0, 0x10, 0x10, 0xFFFF},
                      StatusCase{"ChannelBits", {}, 0x21B3, 0x03, 0x03, 0x780000},
                      StatusCase{"InRange", {}, 0x21B0, 0x04, 0x00, 0x900000},
                      StatusCase{"OutOfRange", {"--sim-ain1=100"}, 0x21B0, 0x04, 0x04, 0xFFFFFF},
                      StatusCase{"SettlingAfterModeWrite", {}, 0x21B0, 0x40, 0x40, 0x900000}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qb::test
