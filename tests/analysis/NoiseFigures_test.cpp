// Noise statistics and the noise window's label texts, against hand-computed figures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "analysis/NoiseFigures.h"
#include "link/SharedSettings.h"

namespace qb::analysis {
namespace {

std::vector<double> buffer(const std::vector<double>& codes) {
    std::vector<double> b{0.0};
    b.insert(b.end(), codes.begin(), codes.end());
    return b;
}

NoiseStatistics statsOf(const std::vector<double>& codes) {
    return ComputeNoiseStatistics(buffer(codes), static_cast<int16_t>(codes.size()));
}

TEST(ComputeNoiseStatistics, HandComputedFigures) {
    struct Case {
        std::string name;
        std::vector<double> codes;
        double average, rms, max, min;
    };
    const std::vector<Case> cases = {
        {"one code", {8388608}, 8388608, 0, 8388608, 8388608},
        {"all equal", {7, 7, 7, 7}, 7, 0, 7, 7},
        {"two codes", {10, 12}, 11, std::sqrt(2.0), 12, 10},
        {"divisor n-1", {1, 2, 3, 4}, 2.5, std::sqrt(5.0 / 3.0), 4, 1},
        {"max and min anywhere", {5, -3, 9, 0}, 2.75, std::sqrt(84.75 / 3), 9, -3},
        {"halfway average", {8388607, 8388608}, 8388607.5, std::sqrt(0.5), 8388608, 8388607},
        // Summed one after another in index order: 1e16 + 1 is 1e16 in doubles, so the mean is
        // exactly 0 (a compensated sum would give 1/3).
        {"index order", {1e16, 1, -1e16}, 0, std::sqrt(2e32 / 2), 1e16, -1e16},
    };
    for (const auto& c : cases) {
        const NoiseStatistics s = statsOf(c.codes);
        EXPECT_EQ(s.AverageCode, c.average) << c.name;
        EXPECT_DOUBLE_EQ(s.RmsNoiseCodes, c.rms) << c.name;
        EXPECT_EQ(s.MaxCode, c.max) << c.name;
        EXPECT_EQ(s.MinCode, c.min) << c.name;
    }
}

TEST(ComputeNoiseStatistics, EmptyOrShortBuffersGiveFiguresWithoutReadingPastTheEnd) {
    EXPECT_EQ(ComputeNoiseStatistics({}, 0).AverageCode, 0);
    EXPECT_EQ(ComputeNoiseStatistics({0.0}, 0).RmsNoiseCodes, 0);
    EXPECT_EQ(ComputeNoiseStatistics({}, 5).MaxCode, 0);
    const NoiseStatistics s = ComputeNoiseStatistics({0.0, 4.0, 6.0}, 100);  // only two codes held
    EXPECT_EQ(s.AverageCode, 5);
    EXPECT_EQ(s.MaxCode, 6);
    EXPECT_EQ(s.MinCode, 4);
}

TEST(ComputeNoiseStatistics, StoresTheFourSharedFigures) {
    link::SharedSettings settings;
    settings.Codes = buffer({10, 12});
    settings.CodesRead = 2;
    ComputeNoiseStatistics(settings);
    EXPECT_EQ(settings.AverageCode, 11);
    EXPECT_DOUBLE_EQ(settings.RmsNoiseCodes, std::sqrt(2.0));
    EXPECT_EQ(settings.MaxCode, 12);
    EXPECT_EQ(settings.MinCode, 10);
}

const DataFormat kUni20mV24{1, 20, 24, 2.5};
const DataFormat kBi20mV24{2, 20, 24, 5.0};
const DataFormat kUni10mV16{1, 10, 16, 5.0};
const DataFormat kBi10mV16{2, 10, 16, 5.0};

using Texts = std::vector<std::optional<std::string>>;

// Every label in the window's order (see NoiseLabels::Entries).
Texts textsOf(const NoiseLabels& l) {
    Texts t;
    for (const auto& [name, text] : l.Entries()) t.push_back(text);
    return t;
}

struct LabelsCase {
    std::string name;
    std::vector<double> codes;
    DataFormat format;
    // AverageValueLable, AveragevValueLable, RMSValueLable, SpanValueLable, MaxValueLable,
    // MinValueLable, RefValueLable, Label13, LSBValueLable, Label14, PkValueLabel, rms_noise,
    // NoCodesLabel, Label15, Label16, Label17, lblPkToPkResolution
    Texts texts;
};

void PrintTo(const LabelsCase& c, std::ostream* os) { *os << c.name; }

class NoiseLabelsTest : public ::testing::TestWithParam<LabelsCase> {};

TEST_P(NoiseLabelsTest, ShowsEveryLabel) {
    const LabelsCase& c = GetParam();
    const NoiseLabels l = ShowNoiseResults(statsOf(c.codes), static_cast<int16_t>(c.codes.size()), c.format);
    const Texts got = textsOf(l);
    ASSERT_EQ(got.size(), c.texts.size());
    const auto entries = l.Entries();
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], c.texts[i]) << entries[i].first;
}

const auto none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Cases, NoiseLabelsTest,
    ::testing::Values(
        // All codes equal: no spread, "ERROR" for the resolutions, the full word length in bits.
        LabelsCase{"OneCodeUnipolar24", {1000}, kUni20mV24,
                   {"3E8", "1000", "0", "0", "3E8", "3E8", "2.5V", "0.000nV", "1.1921nV", "1.192uV",
                    "ERROR", "ERROR", "1", "0.000nV", "1.192uV", "1.192uV", " 24 Bits"}},
        LabelsCase{"AllEqualUnipolar16", {300, 300, 300}, kUni10mV16,
                   {"12C", "300", "0", "0", "12C", "12C", "5.0V", "0.000nV", "152.5879nV",
                    "45.776uV", "ERROR", "ERROR", "3", "0.000nV", "45.776uV", "45.776uV", " 16 Bits"}},
        // {10, 12}: RMS sqrt 2 shows as hex 1, span 2; bipolar voltages from mid-scale.
        LabelsCase{"TenTwelveBipolar24", {10, 12}, kBi20mV24,
                   {"B", "11", "1", "2", "C", "A", "5.0V", "3.372nV", "2.3842nV", "-19999.974uV",
                    "8388608", "11863283", "2", "4.768nV", "-20.000mV", "-20.000mV", " 23 Bits"}},
        // A span of 100 codes: 24 - log2(100) = 17.356 bits, 2^24 / 100 counts.
        LabelsCase{"SpanHundredUnipolar24", {0, 100}, kUni20mV24,
                   {"32", "50", "47", "64", "64", "0", "2.5V", "84.294nV", "1.1921nV", "0.060uV",
                    "167772", "237266", "2", "119.209nV", "119.209nV", "0.000nV", " 17.36 Bits"}},
        // Mid-scale of 16-bit bipolar words is code 32768: zero volts.
        LabelsCase{"MidScaleBipolar16", {32767, 32769}, kBi10mV16,
                   {"8000", "32768", "1", "2", "8001", "7FFF", "5.0V", "431.584nV", "305.1758nV",
                    ".000uV", "32768", "46341", "2", "610.352nV", "305.176nV", "-305.176nV",
                    " 15 Bits"}}),
    [](const auto& info) { return info.param.name; });

TEST(ShowNoiseResults, HalfwayAverageRoundsToTheEvenCode) {
    const NoiseLabels l = ShowNoiseResults(statsOf({8388607, 8388608}), 2, kBi20mV24);
    EXPECT_EQ(l.AverageValueLable, "800000");
    EXPECT_EQ(l.AveragevValueLable, "8388607");
    EXPECT_EQ(l.Label14, "-.001uV");
}

// Mid-scale is 2^(word length - 1): 32768 for 16-bit words, not the 24-bit 8388608 (which would
// put every 16-bit bipolar voltage beyond a volt).
TEST(ShowNoiseResults, BipolarZeroIsMidScaleOfTheWordLength) {
    struct Case {
        DataFormat format;
        double code;
    };
    for (const Case& c : {Case{kBi10mV16, 32768}, Case{kBi20mV24, 8388608}}) {
        const NoiseLabels l = ShowNoiseResults(statsOf({c.code}), 1, c.format);
        EXPECT_EQ(l.Label14, ".000uV") << c.format.WordLengthBits;
        EXPECT_EQ(l.Label16, "0.000nV") << c.format.WordLengthBits;
        EXPECT_EQ(l.Label17, "0.000nV") << c.format.WordLengthBits;
    }
    EXPECT_EQ(BipolarZeroCode(16), 32768);
    EXPECT_EQ(BipolarZeroCode(24), 8388608);
    // Full scale of bipolar 16-bit, 10 mV: the ends are -10 mV and just under +10 mV.
    const NoiseLabels ends = ShowNoiseResults(statsOf({0, 65535}), 2, kBi10mV16);
    EXPECT_EQ(ends.Label16, "10.000mV");  // 9.9997 mV
    EXPECT_EQ(ends.Label17, "-10.000mV");
}

TEST(ShowNoiseResults, VoltsOfAVoltOrMoreLeaveTheirLabels) {
    // Unipolar 80 mV, 16-bit: 1220.7 nV per code; code 1000000 (from a file) is 1.22 V.
    const NoiseLabels l = ShowNoiseResults(statsOf({0, 1000000}), 2, DataFormat{1, 80, 16, 5.0});
    EXPECT_EQ(l.Label16, none);
    EXPECT_EQ(l.Label15, none);
    EXPECT_EQ(l.Label17, "0.000nV");
    EXPECT_TRUE(l.Label13.has_value());  // RMS of 707107 codes: 863 mV
    EXPECT_EQ(*l.Label13, "863.167mV");
}

TEST(ScaleVolts, PicksTheUnitByMagnitude) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double v, t;
        std::optional<std::string> text;
    };
    const std::vector<Case> cases = {
        {0, 0, "0.000nV"},
        {999.9994, 999.9994, "999.999nV"},
        {1000, 1000, "1.000uV"},
        {-1000, 1000, "-1.000uV"},
        {-999, 999, "-999.000nV"},
        {999999.4, 999999.4, "999.999uV"},
        {1000000, 1000000, "1.000mV"},
        {-20000000, 20000000, "-20.000mV"},
        {999999000, 999999000, "999.999mV"},
        {1000000000, 1000000000, none},
        {-2e12, 2e12, none},
        {nan, nan, none},
        // The RMS label tests v itself, so a negative v stays in nanovolts.
        {-5000, -5000, "-5000.000nV"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaleVolts(c.v, c.t), c.text) << c.v;
}

TEST(LsbNanovolts, SpanOverTwoToTheWordLength) {
    EXPECT_DOUBLE_EQ(LsbNanovolts(kBi20mV24), 2.384185791015625);
    EXPECT_DOUBLE_EQ(LsbNanovolts(kUni10mV16), 152.587890625);
    EXPECT_DOUBLE_EQ(LsbNanovolts(DataFormat{2, 80, 16, 2.5}), 2441.40625);
}

TEST(ShowNoiseResults, FromTheSharedSettings) {
    link::SharedSettings s;
    s.Codes = buffer({10, 12});
    s.CodesRead = 2;
    s.Polarity = 2;
    s.InputRangeMv = 20;
    s.WordLengthBits = 24;
    s.RefVoltage = 2.5;
    ComputeNoiseStatistics(s);
    const NoiseLabels l = ShowNoiseResults(s);
    EXPECT_EQ(l.RMSValueLable, "1");
    EXPECT_EQ(l.RefValueLable, "2.5V");
    EXPECT_EQ(l.LSBValueLable, "2.3842nV");
    EXPECT_EQ(l.NoCodesLabel, "2");
}

TEST(HistogramAllowed, SpanFromTwoToFullScale) {
    struct Case {
        double max, min;
        int16_t bits;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {10, 10, 24, false}, {11, 10, 24, false}, {12, 10, 24, true},
        {16777215, 0, 24, true}, {16777216, 0, 24, false},
        {65535, 0, 16, true}, {65536, 0, 16, false}, {65537, 2, 16, true},
        {5, 10, 24, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HistogramAllowed(c.max, c.min, c.bits), c.allowed) << c.max << " " << c.min << " " << c.bits;
}

} // namespace
} // namespace qb::analysis
