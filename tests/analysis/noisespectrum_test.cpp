// The noise spectrum against synthetic codes: a known sine (peak within one bin of its frequency,
// amplitude within 1 %) and known white noise (mean density within 10 % of sigma x sqrt(2/fs));
// how codes are cut into segments; no spectrum without codes or a rate; the CSV.
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"

namespace qb::analysis {
namespace {

constexpr DataFormat kBipolar24{2, 80, 24, 5.0};
const double kLsb24 = 0.160 / 16777216;  // volts per code

// A buffer of n codes around mid-scale: index 0 is not a code.
std::vector<double> Codes(int n, const std::function<double(int)>& code) {
    std::vector<double> b{0.0};
    for (int i = 0; i < n; ++i) b.push_back(8388608 + code(i));
    return b;
}

TEST(NoiseSpectrum, SegmentsOfHalfOverlapEightOrMoreWhenTheCodesAllow) {
    const struct { int codes, length, step, count; } cases[] = {
        {5000, 1024, 512, 8}, {4608, 1024, 512, 8}, {4607, 512, 256, 16}, {500, 64, 32, 14},
        {16, 8, 4, 3}, {15, 15, 15, 1}, {5, 5, 5, 1}, {2, 2, 2, 1}, {1, 0, 0, 0}, {0, 0, 0, 0}};
    for (const auto& c : cases) {
        const Segmentation s = SegmentationFor(c.codes);
        EXPECT_EQ(std::vector<int>({s.length, s.step, s.count}), std::vector<int>({c.length, c.step, c.count})) << c.codes;
        // The segments stay inside the codes.
        if (s.count) {
            EXPECT_LE((s.count - 1) * s.step + s.length, c.codes);
        }
    }
}

TEST(NoiseSpectrum, SineShowsAtItsFrequencyWithItsAmplitude) {
    const double fs = 1000;
    const struct { double hz, amplitudeCodes; } cases[] = {
        {50, 1000},            // between bins (51.2 bins of 0.977 Hz)
        {fs * 100 / 1024, 37}, // on bin 100
        {433.3, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hz);
        const auto codes = Codes(5000, [&](int i) { return c.amplitudeCodes * std::sin(2 * std::numbers::pi * c.hz * i / fs + 0.3); });
        const auto r = ComputeNoiseSpectrum(codes, 5000, kBipolar24, fs);
        ASSERT_TRUE(r.ok()) << r.error();
        const NoiseSpectrum& s = *r;
        ASSERT_EQ(s.frequencyHz.size(), 513u);
        EXPECT_DOUBLE_EQ(s.binWidthHz, fs / 1024);
        const auto peak = static_cast<std::size_t>(
            std::max_element(s.densityVPerRootHz.begin(), s.densityVPerRootHz.end()) - s.densityVPerRootHz.begin());
        EXPECT_LE(std::fabs(s.frequencyHz[peak] - c.hz), s.binWidthHz);
        // The sine's power (A^2 / 2) is the density squared summed over its peak.
        double power = 0;
        for (std::size_t k = peak - 4; k <= peak + 4; ++k) power += s.densityVPerRootHz[k] * s.densityVPerRootHz[k] * s.binWidthHz;
        const double amplitude = c.amplitudeCodes * kLsb24;
        EXPECT_NEAR(std::sqrt(2 * power), amplitude, 0.01 * amplitude);
    }
}

TEST(NoiseSpectrum, WhiteNoiseHasTheDensityOfItsSigma) {
    for (const double fs : {50.0, 2048.0}) {
        for (const int n : {5000, 500}) {
            SCOPED_TRACE(testing::Message() << fs << " Hz, " << n << " codes");
            std::mt19937 g(42);
            std::normal_distribution<double> noise(0, 20);
            const auto codes = Codes(n, [&](int) { return noise(g); });
            const auto r = ComputeNoiseSpectrum(codes, static_cast<int16_t>(n), kBipolar24, fs);
            ASSERT_TRUE(r.ok());
            const auto& d = r->densityVPerRootHz;
            double mean = 0;  // over every bin but 0, whose mean the segments lost
            for (std::size_t k = 1; k < d.size(); ++k) mean += d[k];
            mean /= static_cast<double>(d.size() - 1);
            const double want = 20 * kLsb24 * std::sqrt(2 / fs);
            EXPECT_NEAR(mean, want, 0.1 * want);
            EXPECT_DOUBLE_EQ(r->frequencyHz.back(), fs / 2);
        }
    }
}

// The codes' level does not blur the spectrum: noise around 0x900000 or near full scale gives, bin
// for bin, the densities of the same noise around zero.
TEST(NoiseSpectrum, TheLevelOfTheCodesCostsNoDigits) {
    std::mt19937 g(7);
    std::normal_distribution<double> noise(0, 4.2);
    std::vector<double> deviations;
    for (int i = 0; i < 5000; ++i) deviations.push_back(std::round(noise(g)));
    const auto spectrum = [&](double level) {
        std::vector<double> codes{0.0};
        for (double d : deviations) codes.push_back(level + d);
        return ComputeNoiseSpectrum(codes, 5000, kBipolar24, 50.0)->densityVPerRootHz;
    };
    const std::vector<double> atZero = spectrum(0);
    for (const double level : {9437184.0, 16777000.0}) {
        const std::vector<double> d = spectrum(level);
        ASSERT_EQ(d.size(), atZero.size());
        double worst = 0;
        for (std::size_t k = 1; k < d.size(); ++k) worst = std::max(worst, std::fabs(d[k] / atZero[k] - 1));
        EXPECT_LT(worst, 1e-12) << level;
    }
}

// Codes alternating +a, -a put their power into the top bin, at half the sample rate, which has
// no negative-frequency twin to add: with the Hann window its density is a sqrt(2 L / (3 fs)) for
// segments of L codes, not sqrt(2) times that.
TEST(NoiseSpectrum, TheTopBinOfAlternatingCodesHasNoTwin) {
    for (const int n : {16, 500, 5000}) {
        const double fs = 50, a = 7;
        const auto r = ComputeNoiseSpectrum(Codes(n, [&](int i) { return i % 2 ? -a : a; }), int16_t(n), kBipolar24, fs);
        ASSERT_TRUE(r.ok());
        const double want = a * kLsb24 * std::sqrt(2.0 * r->segmentLength / (3 * fs));
        EXPECT_NEAR(r->densityVPerRootHz.back(), want, 1e-9 * want) << n << " codes";
    }
}

TEST(NoiseSpectrum, NoneWithoutTwoCodesOrARate) {
    const auto two = Codes(2, [](int i) { return i; });
    EXPECT_EQ(ComputeNoiseSpectrum(two, 1, kBipolar24, 50.0).error(), "a spectrum needs at least 2 codes");
    EXPECT_FALSE(ComputeNoiseSpectrum(two, 2, kBipolar24, std::nullopt).ok());
    EXPECT_EQ(ComputeNoiseSpectrum(two, 2, kBipolar24, 0.0).error(), kNoSampleRateReason);
    EXPECT_TRUE(ComputeNoiseSpectrum(two, 2, kBipolar24, 50.0).ok());
    EXPECT_TRUE(ComputeNoiseSpectrum(two, 100, kBipolar24, 50.0).ok());  // taken as far as the buffer goes
}

TEST(NoiseSpectrum, CsvGivesTheSettingsThenOneLinePerBin) {
    const auto r = ComputeNoiseSpectrum(Codes(16, [](int i) { return i % 3; }), 16, kBipolar24, 50.0);
    const std::string csv = SpectrumCsv(*r);
    EXPECT_EQ(csv.rfind("# noise spectrum: amplitude spectral density, one-sided\n# sample_rate_hz: 50\n"
                        "# bin_width_hz: 6.25\n# segments: 3 of 8 codes, half overlapping, mean removed, "
                        "Hann window\nfrequency_hz,asd_v_per_sqrt_hz\n0,",
                        0),
              0u)
        << csv;
    EXPECT_NE(csv.find("\n25,"), std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5 + 5);
}

TEST(NoiseSpectrum, TextsOfTheWindow) {
    const struct { double v; const char* text; } densities[] = {
        {41.33e-9, "41.3 nV/\u221AHz"}, {4.133e-9, "4.13 nV/\u221AHz"}, {999.6e-9, "1.00 uV/\u221AHz"},
        {0.5e-9, "500 pV/\u221AHz"},    {0, "0.00 pV/\u221AHz"},       {2.5, "2.50 V/\u221AHz"}};
    for (const auto& d : densities) EXPECT_EQ(DensityText(d.v), d.text) << d.v;
    const struct { double hz, bin; const char* text; } frequencies[] = {
        {50, 2, "50 Hz"}, {12.30469, 0.0488, "12.30 Hz"}, {1024, 32, "1024 Hz"}, {0.5, 0.25, "0.5 Hz"}};
    for (const auto& f : frequencies) EXPECT_EQ(FrequencyText(f.hz, f.bin), f.text) << f.hz;

    NoiseSpectrum s;
    s.densityVPerRootHz = {100, 1, 3, 2};  // bin 0 is left out of the mean and the peak
    EXPECT_EQ(MeanDensity(s), 2.0);
    EXPECT_EQ(PeakBin(s), 2u);
    EXPECT_EQ(PeakBin(NoiseSpectrum{}), 0u);
}

} // namespace
} // namespace qb::analysis
