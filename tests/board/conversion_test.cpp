// Conversion timing, coding, calibration registers and noise, seen through port bytes.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimRig.h"

namespace qb::test {
namespace {

// Virtual time from one result to the next, averaged over `count` results.
double MeasuredPeriod(SimRig& rig, int count, int bits) {
    auto& h = rig.host;
    h.startContinuous();
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        if (!h.readWhenReady(bits)) break;
        times.push_back(rig.now());
    }
    h.stopContinuous();
    if (times.size() < 2) return 0;
    return (times.back() - times.front()) / static_cast<double>(times.size() - 1);
}

struct RateCase {
    uint32_t filter;
    const char* mclk;
    double period;
    uint32_t mode = 0x21B0;
};

class OutputRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(OutputRate, FollowsFilterWordClockAndChop) {
    const auto& c = GetParam();
    SimRig rig(Noiseless({c.mclk}));
    rig.host.write(kFilterReg, c.filter);
    rig.host.write(kModeReg, c.mode);
    const int bits = (c.mode & 0x100) ? 24 : 16;
    EXPECT_NEAR(MeasuredPeriod(rig, 12, bits), c.period, c.period * 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutputRate,
    ::testing::Values(RateCase{0x400010, "--sim-mclk=4915200", 0.010},       // 100 Hz with CHOP
                      RateCase{0x800010, "--sim-mclk=4915200", 0.020},       // the power-on 50 Hz
                      RateCase{0x400000, "--sim-mclk=4915200", 0.010 / 3},   // CHOP off: 3x faster
                      RateCase{0x400010, "--sim-mclk=2457600", 0.020},       // low-power clock
                      RateCase{0x0C0000, "--sim-mclk=4915200", 0.000625},    // word 192, no CHOP
                      // The minimum word, read in 16-bit words to keep up with 16 kHz.
                      RateCase{0x013000, "--sim-mclk=4915200", 16.0 * 19 / 4915200, 0x20B0}));

TEST(OutputRate, FilterWordsBelowTheMinimumGiveNoResults) {
    for (uint32_t filter : {0x000010u, 0x000000u, 0x012000u}) {
        SimRig rig;
        rig.host.write(kFilterReg, filter);
        rig.host.startContinuous();
        EXPECT_FALSE(rig.host.readWhenReady(24, 300'000)) << std::hex << filter;
        rig.host.stopContinuous();
        EXPECT_EQ(rig.host.read(kFilterReg), filter) << "the register keeps the word";
    }
}

// First result after a mode write, with the noise off.
uint32_t FirstCode(SimRig& rig, uint32_t mode, int bits) {
    rig.host.write(kModeReg, mode);
    rig.host.startContinuous();
    const auto code = rig.host.readWhenReady(bits);
    rig.host.stopContinuous();
    EXPECT_TRUE(code);
    return code.value_or(0);
}

struct CodeCase {
    const char* name;
    uint32_t mode;
    uint32_t dac;
    std::vector<const char*> options;
    uint32_t code;
};

class Coding : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Coding, IdealTransferWithPowerOnCalibration) {
    const auto& c = GetParam();
    board::SimOptions o = Noiseless();
    for (const char* text : c.options) ASSERT_FALSE(board::ApplySimOption(o, text));
    SimRig rig(o);
    rig.host.write(kDacReg, c.dac);
    EXPECT_EQ(FirstCode(rig, c.mode, (c.mode & 0x100) ? 24 : 16), c.code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Coding,
    ::testing::Values(
        // Ain1 = +10 mV on the 80 mV range.
        CodeCase{"Bipolar24", 0x21B0, 0, {}, 0x900000},
        CodeCase{"Bipolar16", 0x20B0, 0, {}, 0x9000},
        CodeCase{"Unipolar24", 0x31B0, 0, {}, 0x200000},
        CodeCase{"Unipolar16", 0x30B0, 0, {}, 0x2000},
        CodeCase{"Range40", 0x21A0, 0, {}, 0xA00000},
        CodeCase{"OddVoltage", 0x21B0, 0, {"--sim-ain1=12.3"}, 0x93AE14},
        // Clamping at both ends.
        CodeCase{"BipolarTopOfRange", 0x2180, 0, {}, 0xFFFFFF},
        CodeCase{"BipolarAboveRange", 0x2180, 0, {"--sim-ain1=4000"}, 0xFFFFFF},
        CodeCase{"BipolarBelowRange", 0x2180, 0, {"--sim-ain1=-10.5"}, 0x000000},
        CodeCase{"UnipolarNegative", 0x31B0, 0, {"--sim-ain1=-0.001"}, 0x000000},
        CodeCase{"Unipolar16Top", 0x3080, 0, {"--sim-ain1=50"}, 0xFFFF},
        // Channels: Ain2 (-5 mV), the internal short, and code 11 on Ain2.
        CodeCase{"ChannelAin2", 0x21B1, 0, {}, 0x780000},
        CodeCase{"ChannelShort", 0x21B2, 0, {}, 0x800000},
        CodeCase{"ChannelCode11", 0x21B3, 0, {}, 0x780000},
        // DAC: 2.5 mV steps at 5 V, 1.25 mV at 2.5 V, bit 5 negative, bits 7..6 ignored.
        CodeCase{"DacPlus2", 0x21B2, 2, {}, 0x880000},
        CodeCase{"DacMinus2", 0x21B2, 34, {}, 0x780000},
        CodeCase{"DacHighBitsIgnored", 0x21B2, 0xC2, {}, 0x880000},
        CodeCase{"DacAt2V5", 0x2132, 2, {}, 0x840000},
        CodeCase{"DacNegativeZero", 0x21B2, 32, {}, 0x800000},
        CodeCase{"DacPlusInput", 0x21B0, 29, {}, 0xFFFFFF},
        CodeCase{"DacFullNegative", 0x31B2, 63, {}, 0x000000}),
    [](const auto& info) { return std::string(info.param.name); });

struct CorrectionCase {
    uint32_t offset;
    uint32_t gain;
    uint32_t code;
};

class CalibrationRegisters : public ::testing::TestWithParam<CorrectionCase> {};

TEST_P(CalibrationRegisters, WrittenOffsetAndGainChangeTheCodes) {
    const auto& c = GetParam();
    SimRig rig;
    rig.host.write(kOffsetReg, c.offset);
    rig.host.write(kGainReg, c.gain);
    EXPECT_EQ(FirstCode(rig, 0x21B0, 24), c.code); // +10 mV, bipolar, 80 mV
}

INSTANTIATE_TEST_SUITE_P(Table, CalibrationRegisters,
                         ::testing::Values(CorrectionCase{0x800000, 0x555555, 0x900000},
                                           CorrectionCase{0x810000, 0x555555, 0x8F0000},
                                           CorrectionCase{0x7F0000, 0x555555, 0x910000},
                                           CorrectionCase{0x800000, 0xAAAAAA, 0xA00000},
                                           CorrectionCase{0x800000, 0x000000, 0x800000},
                                           CorrectionCase{0x900000, 0x555555, 0x800000},
                                           CorrectionCase{0x000000, 0xFFFFFF, 0xFFFFFF}));

TEST(CalibrationRegisters, ApplyToTheNextResultWithoutRestart) {
    SimRig rig;
    auto& h = rig.host;
    h.startContinuous();
    EXPECT_EQ(h.readWhenReady(24), 0x900000u);
    h.stopContinuous();
    h.write(kOffsetReg, 0x900000);
    h.startContinuous();
    EXPECT_EQ(h.readWhenReady(24), 0x800000u);
    h.stopContinuous();
}

struct NoiseCase {
    std::vector<const char*> options;
    uint32_t mode;
    uint32_t filter;
    double nanovolts; // the model's RMS figure
};

class Noise : public ::testing::TestWithParam<NoiseCase> {};

TEST_P(Noise, RmsOf2000ResultsMatchesTheModel) {
    const auto& c = GetParam();
    board::SimOptions o;
    for (const char* text : c.options) ASSERT_FALSE(board::ApplySimOption(o, text));
    SimRig rig(o);
    rig.host.write(kFilterReg, c.filter);
    rig.host.write(kModeReg, c.mode);
    const auto codes = rig.host.readResults(2000);
    ASSERT_EQ(codes.size(), 2000u);
    const double unipolar = (c.mode & 0x1000) ? 1.0 : 2.0;
    const double lsbNv = unipolar * 80e6 / 16777216.0;
    const double expected = std::sqrt(std::pow(c.nanovolts / lsbNv, 2) + 1.0 / 12.0);
    EXPECT_NEAR(Rms(codes), expected, 0.2 * expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Noise,
    ::testing::Values(NoiseCase{{}, 0x21B0, 0x800010, 40.0},                  // 50 Hz, CHOP
                      NoiseCase{{}, 0x31B0, 0x100010, 40.0 * std::sqrt(8.0)}, // 400 Hz
                      NoiseCase{{}, 0x21B0, 0x300000, 40.0 * std::sqrt(8.0) * 1.5},  // 400 Hz, no CHOP
                      NoiseCase{{}, 0x21B0, 0x300200, 40.0 * std::sqrt(8.0) * 3.0},  // and SKIP
                      NoiseCase{{"--sim-noise=500"}, 0x21B0, 0x200010, 500.0 * 2.0}));

TEST(Noise, OffGivesOneCodeAndSeedsGiveRepeatableStreams) {
    SimRig quiet;
    const auto steady = quiet.host.readResults(100);
    ASSERT_EQ(steady.size(), 100u);
    for (auto c : steady) EXPECT_EQ(c, 0x900000u);

    SimRig a(With({"--sim-seed=7"})), b(With({"--sim-seed=7"})),
        other(With({"--sim-seed=8"}));
    const auto first = a.host.readResults(50);
    EXPECT_EQ(first, b.host.readResults(50));
    EXPECT_NE(first, other.host.readResults(50));
}

} // namespace
} // namespace qb::test
