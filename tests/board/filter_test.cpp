// Step response of the digital filter: the fast-step demonstration's DAC step from 2 to 29 on
// the shorted channel, with the filter settings the demonstration and the user can choose.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimRig.h"

namespace qb::test {
namespace {

constexpr uint32_t kStepMode = 0x31B2; // continuous, unipolar, 24 bit, 5 V, 0..80 mV, short
constexpr uint32_t kHighLevel = 0xE80000; // 72.5 mV of 80 mV
constexpr uint32_t kLowLevel = 0x100000;  // 5 mV

// The demonstration's sequence for one filter setting: 40 readings at DAC 2, then 40 at DAC 29.
std::vector<uint32_t> StepRun(SimRig& rig, uint32_t filter) {
    auto& h = rig.host;
    h.write(kModeReg, kStepMode);
    h.write(kFilterReg, filter);
    h.write(kDacReg, 2);
    h.startContinuous();
    rig.port.advance(0.1);
    std::vector<uint32_t> codes;
    for (int i = 0; i < 40; ++i) codes.push_back(h.readWhenReady(24).value_or(0));
    h.stopContinuous();
    h.write(kDacReg, 29);
    h.startContinuous();
    for (int i = 0; i < 40; ++i) codes.push_back(h.readWhenReady(24).value_or(0));
    h.stopContinuous();
    return codes;
}

// Readings after the step until the code stays within 0.1 % of the final level.
int ResultsToSettle(const std::vector<uint32_t>& codes) {
    const double tolerance = kHighLevel * 1e-3;
    int last = 40;
    for (int i = 40; i < 80; ++i)
        if (std::abs(static_cast<double>(codes[i]) - kHighLevel) > tolerance) last = i + 1;
    return last - 40 + 1;
}

struct StepCase {
    const char* name;
    uint32_t filter;
    int atLeast;
    int atMost;
};

class StepResponse : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepResponse, SettlesWithinTheFilterSettingsReach) {
    const auto& c = GetParam();
    SimRig rig(With({"--sim-seed=3"}));
    const auto codes = StepRun(rig, c.filter);
    for (int i = 0; i < 40; ++i)
        EXPECT_NEAR(codes[i], kLowLevel, kLowLevel * 1e-3) << "low level, reading " << i + 1;
    const int settle = ResultsToSettle(codes);
    EXPECT_GE(settle, c.atLeast);
    EXPECT_LE(settle, c.atMost);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepResponse,
    ::testing::Values(StepCase{"FastStepOff", 0x400010, 10, 30},
                      StepCase{"FastStepOn", 0x400110, 1, 4},
                      StepCase{"Skip", 0x400200, 1, 4},
                      StepCase{"FastStepOffNoChop", 0xC00000, 10, 30},
                      StepCase{"FastStepOnNoChop", 0xC00100, 1, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StepResponse, FastStepAnswersEarlyThenReturnsToFullFiltering) {
    SimRig rig;
    auto& h = rig.host;
    const auto stdy = [&] { return (h.read(kStatusReg) & 0x40) != 0; };
    StepRun(rig, 0x400110);
    EXPECT_FALSE(stdy()) << "steady 40 results after the step";

    h.write(kDacReg, 2);
    h.startContinuous();
    const auto first = h.readWhenReady(24);
    const auto second = h.readWhenReady(24);
    const auto third = h.readWhenReady(24);
    h.stopContinuous();
    ASSERT_TRUE(first && second && third);
    EXPECT_GT(*first, kLowLevel + 1000) << "the first result still sees part of the old level";
    EXPECT_EQ(*third, kLowLevel) << "noiseless: the third result is on the new level";
    EXPECT_TRUE(stdy()) << "settling while the averaging window grows again";
    h.readResults(25);
    EXPECT_FALSE(stdy());
}

TEST(StepResponse, WithoutFastStepTheResponseIsMonotonic) {
    SimRig rig;
    const auto codes = StepRun(rig, 0x400010);
    for (int i = 41; i < 80; ++i) EXPECT_GE(codes[i], codes[i - 1]) << "reading " << i + 1;
    EXPECT_EQ(codes[79], kHighLevel);
}

TEST(StepResponse, ModeWriteRestartsTheFilter) {
    SimRig rig;
    auto& h = rig.host;
    h.readResults(30); // settled on Ain1 = +10 mV
    h.write(kModeReg, 0x21B2); // to the short: no trace of the old input may remain
    const double written = rig.now();
    h.startContinuous();
    EXPECT_EQ(h.readWhenReady(24), 0x800000u);
    EXPECT_GE(rig.now() - written, 0.040 - 1e-4) << "two periods of 20 ms before the first result";
    h.stopContinuous();
    EXPECT_TRUE(h.read(kStatusReg) & 0x40) << "STDY: the filter is still filling";
}

TEST(StepResponse, SmallChangesDoNotTriggerFastStep) {
    // 0.25 mV is below the step threshold (range / 256): the full filter keeps averaging.
    SimRig rig;
    auto& h = rig.host;
    h.write(kFilterReg, 0x400110);
    h.readResults(30);
    rig.port.board().setAnalogInput(1, 10.25, rig.now());
    const auto codes = h.readResults(6);
    ASSERT_EQ(codes.size(), 6u);
    const uint32_t target = 0x900000 + 26214; // +0.25 mV
    EXPECT_LT(codes[3], target - 100) << "still averaging after four results";
}

} // namespace
} // namespace qb::test
