// The evaluator's figures against hand-computed values: one code, two codes, a constant buffer,
// 16- and 24-bit words, both polarities; none with a reason where a figure has no value; and the
// texts made of them.
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/ResolutionFigures.h"
#include "link/SharedSettings.h"

namespace qb::analysis {
namespace {

std::vector<double> Buffer(std::vector<double> codes) {
    codes.insert(codes.begin(), 0.0);
    return codes;
}

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
        const auto got = ByKey(ComputeResolutionFigures(Buffer(c.codes), static_cast<int16_t>(c.codes.size()),
                                                        c.format, c.rate));
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
    const ResolutionFigures empty = ComputeResolutionFigures({}, 0, {2, 80, 24, 5.0}, 50.0);
    EXPECT_EQ(empty.codesRead.value, 0.0);
    EXPECT_EQ(empty.meanCode.reason, "no codes");
    EXPECT_FALSE(empty.effectiveResolutionBits.value);
    // Two codes held although 100 are claimed.
    EXPECT_EQ(ComputeResolutionFigures({0, 4, 6}, 100, {2, 80, 24, 5.0}, 50.0).codesRead.value, 2.0);
}

TEST(ResolutionFigures, TakesTheSharedBufferFormatAndFilterRate) {
    link::SharedSettings s;
    s.Codes = Buffer({8388608, 8388610});
    s.CodesRead = 2;
    s.Polarity = 2;
    s.InputRangeMv = 80;
    s.WordLengthBits = 24;
    s.RefVoltage = 5.0;
    s.FilterRegValue = 0x096000;  // word 150, no chopping
    s.MasterClockHz = 4915200;
    const ResolutionFigures f = ComputeResolutionFigures(s);
    EXPECT_EQ(f.sampleRateHz.value, 2048.0);
    EXPECT_EQ(f.meanV.value, 0.160 / 16777216);
    s.FilterRegValue = 0x000010;  // word 0: no rate, and the reason says why
    EXPECT_EQ(ComputeResolutionFigures(s).sampleRateHz.reason, kNoSampleRateReason);
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

TEST(FiguresText, HeadingThenAlignedRowsOfEveryFigure) {
    const ResolutionFigures f = ComputeResolutionFigures(Buffer({10, 12}), 2, {2, 80, 24, 5.0}, 50.0);
    const std::string text = FiguresText(f);
    EXPECT_EQ(text.rfind("Noise and Resolution\n  Codes read  ", 0), 0u) << text;
    EXPECT_NE(text.find("\n  RMS noise in LSB                   1.41 LSB\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n  Noise-free resolution (6.6 x RMS)  20.78 bits\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + static_cast<long>(f.Entries().size()));
}

} // namespace
} // namespace qb::analysis
