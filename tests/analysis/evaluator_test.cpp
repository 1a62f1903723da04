// What the evaluator is given: the figures against hand-computed values (one code, two codes, a
// constant buffer, 16- and 24-bit words, both polarities; none with a reason where a figure has
// no value) and their texts; the noise spectrum against synthetic codes (a known sine: peak within
// one bin of its frequency, amplitude within 1 %; known white noise: mean density within 10 % of
// sigma x sqrt(2/fs)), how codes are cut into segments, no spectrum without codes or a rate, its
// CSV; the code buffer as CSV, which forgets the capture time when a file is loaded.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/CodesCsv.h"
#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"
#include "link/SharedSettings.h"
#include "link/Startup.h"

namespace qb::analysis {
namespace {

// The figures by key; a figure with no value must say why.
std::map<std::string, std::optional<double>> ByKey(const ResolutionFigures& f) {
    std::map<std::string, std::optional<double>> out;
    for (const auto& e : f.Entries()) {
        EXPECT_EQ(e.figure->value.has_value(), e.figure->reason.empty()) << e.key;
        out.emplace(std::string(e.key), e.figure->value);
    }
    return out;
}

// Each case names the figures it pins; every figure without a value says why (ByKey).
TEST(ResolutionFigures, HandComputedFigures) {
    using Want = std::map<std::string, std::optional<double>>;
    const std::optional<double> none;
    const double lsb24u20 = 0.020 / 16777216, lsb24b80 = 0.160 / 16777216, lsb16b80 = 0.160 / 65536;
    const struct {
        const char* what;
        std::vector<double> codes;
        DataFormat format;
        std::optional<double> rate;
        Want want;
    } cases[] = {
        {"one code, unipolar 24-bit", {1000}, {1, 20, 24, 2.5}, 50.0,
         {{"codes_read", 1}, {"word_length_bits", 24}, {"sample_rate_hz", 50}, {"full_scale_range_v", 0.020},
          {"lsb_v", lsb24u20}, {"mean_code", 1000}, {"mean_v", 1000 * lsb24u20}, {"max_v", 1000 * lsb24u20},
          {"rms_noise_lsb", none}, {"peak_to_peak_noise_v", none}, {"noise_free_resolution_from_rms_bits", none}}},
        {"two codes, bipolar 24-bit", {10, 12}, {2, 80, 24, 5.0}, std::nullopt,
         {{"sample_rate_hz", none}, {"full_scale_range_v", 0.160}, {"mean_v", -0.0799998950958252},
          {"min_code", 10}, {"max_code", 12}, {"min_v", (10 - 8388608.0) * lsb24b80},
          {"rms_noise_lsb", std::sqrt(2.0)}, {"rms_noise_v", std::sqrt(2.0) * lsb24b80}, {"peak_to_peak_noise_lsb", 2},
          {"peak_to_peak_noise_v", 2 * lsb24b80}, {"effective_resolution_bits", 23.5}, {"noise_free_resolution_bits", 23},
          {"noise_free_resolution_from_rms_bits", 20.777533975528907}}},
        {"constant buffer: no noise, no resolution", {500, 500, 500}, {2, 80, 24, 5.0}, 50.0,
         {{"codes_read", 3}, {"rms_noise_lsb", 0}, {"peak_to_peak_noise_v", 0}, {"effective_resolution_bits", none},
          {"noise_free_resolution_bits", none}, {"noise_free_resolution_from_rms_bits", none}}},
        {"bipolar 16-bit: zero volts at 32768", {32768, 32770}, {2, 80, 16, 5.0}, 2048.0,
         {{"word_length_bits", 16}, {"lsb_v", lsb16b80}, {"mean_v", lsb16b80}, {"min_v", 0}, {"max_v", 2 * lsb16b80},
          {"effective_resolution_bits", 15.5}, {"noise_free_resolution_bits", 15},
          {"noise_free_resolution_from_rms_bits", 16 - 3.2224660244710926}}},
        {"unipolar 16-bit, 10 mV", {0, 4, 8, 12}, {1, 10, 16, 2.5}, 50.0,
         {{"mean_code", 6}, {"min_v", 0}, {"rms_noise_lsb", 5.163977794943222}, {"peak_to_peak_noise_lsb", 12},
          {"effective_resolution_bits", 13.631517202916896}, {"noise_free_resolution_bits", 12.415037499278844},
          {"noise_free_resolution_from_rms_bits", 10.909051178445806}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = ByKey(ComputeResolutionFigures(c.codes, c.format, c.rate));
        for (const auto& [key, want] : c.want) {
            ASSERT_EQ(got.count(key), 1u) << key;
            const std::optional<double>& value = got.at(key);
            ASSERT_EQ(value.has_value(), want.has_value()) << key;
            if (want) {
                EXPECT_NEAR(*value, *want, std::fabs(*want) * 1e-12) << key;
            }
        }
    }
}

TEST(ResolutionFigures, NoCodesGiveNoneAndTheCountIsCappedByTheBuffer) {
    const ResolutionFigures empty = ComputeResolutionFigures({}, {2, 80, 24, 5.0}, 50.0);
    EXPECT_EQ(empty.codesRead.value, 0.0);
    EXPECT_EQ(empty.meanCode.reason, "no codes");
    EXPECT_FALSE(empty.effectiveResolutionBits.value);
    // Two codes held although 100 are claimed.
    link::SharedSettings s;
    s.Codes = {0, 4, 6};
    s.CodesRead = 100;
    EXPECT_EQ(ComputeResolutionFigures(s).codesRead.value, 2.0);
}

TEST(FigureText, UnitsDecimalsAndNone) {
    const double lsb24 = 0.160 / 16777216;  // 9.5 nV
    const double lsb16 = 0.160 / 65536;     // 2.4 uV
    const struct { Figure figure; FigureKind kind; double lsb; const char* text; } cases[] = {
        {Figure::Of(500), FigureKind::Count, lsb24, "500"},
        {Figure::Of(9437183.125), FigureKind::Code, lsb24, "9437183.13"},
        {Figure::Of(4.3333), FigureKind::Lsb, lsb24, "4.33 LSB"},
        {Figure::Of(19.186), FigureKind::Bits, lsb24, "19.19 bits"},
        {Figure::Of(50), FigureKind::Hertz, lsb24, "50.00 Hz"},
        {Figure::Of(0.160), FigureKind::FormatVolts, lsb24, "160 mV"},
        {Figure::Of(lsb24), FigureKind::FormatVolts, lsb24, "9.5367 nV"},
        // A tenth of an LSB shows: maximum and minimum near 10 mV differ by 315 nV.
        {Figure::Of(0.0100001234), FigureKind::Volts, lsb24, "10.0001234 mV"},
        {Figure::Of(0.0099998084), FigureKind::Volts, lsb24, "9.9998084 mV"},
        {Figure::Of(-0.0799998951), FigureKind::Volts, lsb24, "-79.9998951 mV"},
        {Figure::Of(41.4329e-9), FigureKind::Volts, lsb24, "41.43 nV"},  // at least two decimals
        {Figure::Of(3.4527e-6), FigureKind::Volts, lsb16, "3.45 uV"},
        {Figure::Of(0), FigureKind::Volts, lsb24, "0.00 nV"},
        {Figure::Of(1.25), FigureKind::Volts, lsb16, "1.2500000 V"},
        {Figure::None("no codes"), FigureKind::Volts, lsb24, "none (no codes)"},
    };
    for (const auto& c : cases) EXPECT_EQ(FigureText(c.figure, c.kind, c.lsb), c.text);
}

// ---- the noise spectrum ------------------------------------------------------------------------

constexpr DataFormat kBipolar24{2, 80, 24, 5.0};
const double kLsb24 = 0.160 / 16777216;  // volts per code

// n codes around mid-scale.
std::vector<double> Codes(int n, const std::function<double(int)>& code) {
    std::vector<double> b;
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
        const auto r = ComputeNoiseSpectrum(codes, kBipolar24, fs);
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
            const auto r = ComputeNoiseSpectrum(codes, kBipolar24, fs);
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
        std::vector<double> codes;
        for (double d : deviations) codes.push_back(level + d);
        return ComputeNoiseSpectrum(codes, kBipolar24, 50.0)->densityVPerRootHz;
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
        const auto r = ComputeNoiseSpectrum(Codes(n, [&](int i) { return i % 2 ? -a : a; }), kBipolar24, fs);
        ASSERT_TRUE(r.ok());
        const double want = a * kLsb24 * std::sqrt(2.0 * r->segmentLength / (3 * fs));
        EXPECT_NEAR(r->densityVPerRootHz.back(), want, 1e-9 * want) << n << " codes";
    }
}

TEST(NoiseSpectrum, NoneWithoutTwoCodesOrARate) {
    const auto two = Codes(2, [](int i) { return i; });
    EXPECT_EQ(ComputeNoiseSpectrum(std::span(two).first(1), kBipolar24, 50.0).error(), "a spectrum needs at least 2 codes");
    EXPECT_FALSE(ComputeNoiseSpectrum(two, kBipolar24, std::nullopt).ok());
    EXPECT_EQ(ComputeNoiseSpectrum(two, kBipolar24, 0.0).error(), kNoSampleRateReason);
    EXPECT_TRUE(ComputeNoiseSpectrum(two, kBipolar24, 50.0).ok());
}

TEST(NoiseSpectrum, CsvGivesTheSettingsThenOneLinePerBin) {
    const auto r = ComputeNoiseSpectrum(Codes(16, [](int i) { return i % 3; }), kBipolar24, 50.0);
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
        {41.33e-9, "41.3 nV/\u221AHz"}, {4.133e-9, "4.13 nV/\u221AHz"}, {999.6e-9, "1.00 \u00B5V/\u221AHz"},
        {0.5e-9, "500 pV/\u221AHz"},    {0, "0.00 pV/\u221AHz"},       {2.5, "2.50 V/\u221AHz"}};
    for (const auto& d : densities) EXPECT_EQ(DensityText(d.v), d.text) << d.v;
    const struct { double v; const char* text; } ticks[] = {  // the density axis, window and image alike
        {1e-7, "100 nV/\u221AHz"}, {1e-6, "1 \u00B5V/\u221AHz"}, {8e-9, "8 nV/\u221AHz"}, {2.5e-12, "2.5 pV/\u221AHz"}};
    for (const auto& t : ticks) EXPECT_EQ(DensityTickText(t.v), t.text) << t.v;
    const struct { double hz, bin; const char* text; } frequencies[] = {
        {50, 2, "50 Hz"}, {12.30469, 0.0488, "12.30 Hz"}, {1024, 32, "1024 Hz"}, {0.5, 0.25, "0.5 Hz"}};
    for (const auto& f : frequencies) EXPECT_EQ(FrequencyText(f.hz, f.bin), f.text) << f.hz;

    NoiseSpectrum s;
    s.densityVPerRootHz = {100, 1, 3, 2};  // bin 0 is left out of the mean and the peak
    EXPECT_EQ(MeanDensity(s), 2.0);
    EXPECT_EQ(PeakBin(s), 2u);
    EXPECT_EQ(PeakBin(NoiseSpectrum{}), 0u);
}

// ---- codes as CSV -----------------------------------------------------------------------------

TEST(CodesCsv, ConditionsThenOneLinePerCodeWithItsVolts) {
    using namespace std::chrono;
    const link::Conditions taken{0x21B0, 0x800010, 4915200, 37, 0x800000, {}, "simulated board (virtual time)"};
    EXPECT_EQ(CodesCsv(std::vector<double>{8388608, 8388610, 8388600}, taken, system_clock::time_point(seconds(1714566896))),
              "# QB4160 codes\n"
              "# captured: 2024-05-01T12:34:56Z\n"
              "# board: simulated board (virtual time)\n"
              "# mode_register: 21B0\n"
              "# filter_register: 800010\n"
              "# dac_register: 25\n"
              "# offset_register: 800000\n"
              "# gain_register: unknown\n"
              "# master_clock_hz: 4915200\n"
              "# sample_rate_hz: 50\n"
              "# polarity: bipolar\n"
              "# word_length_bits: 24\n"
              "# input_range_mv: +-80\n"
              "# reference_v: 5\n"
              "index,code,volts\n"
              "1,8388608,0\n"
              "2,8388610,1.9073486328125e-08\n"
              "3,8388600,-7.62939453125e-08\n");
}

} // namespace
} // namespace qb::analysis
