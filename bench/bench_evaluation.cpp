// Speed of the evaluator's figures and the noise spectrum on a full analysis buffer (5000 codes).
// Targets: figures under 1 ms, spectrum under 5 ms of CPU.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"

namespace {

constexpr int16_t kCodes = 5000;
constexpr qb::analysis::DataFormat kFormat{2, 80, 24, 5.0};

// A noisy 24-bit reading around mid-scale, as the converter delivers it (index 0 unused).
const std::vector<double>& codeBuffer() {
    static const std::vector<double> buffer = [] {
        std::mt19937 g(2024);
        std::normal_distribution<double> noise(8388608.0, 40.0);
        std::vector<double> b{0.0};
        for (int i = 0; i < kCodes; ++i) b.push_back(std::round(noise(g)));
        return b;
    }();
    return buffer;
}

void ResolutionFigures(benchmark::State& state) {
    for (auto _ : state) {
        auto figures = qb::analysis::ComputeResolutionFigures(codeBuffer(), kCodes, kFormat, 50.0);
        benchmark::DoNotOptimize(figures);
    }
}
BENCHMARK(ResolutionFigures)->Unit(benchmark::kMicrosecond);

void ResolutionFiguresText(benchmark::State& state) {
    for (auto _ : state) {
        auto text = qb::analysis::FiguresText(qb::analysis::ComputeResolutionFigures(codeBuffer(), kCodes, kFormat, 50.0));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(ResolutionFiguresText)->Unit(benchmark::kMicrosecond);

void NoiseSpectrum(benchmark::State& state) {
    for (auto _ : state) {
        auto spectrum = qb::analysis::ComputeNoiseSpectrum(codeBuffer(), kCodes, kFormat, 50.0);
        benchmark::DoNotOptimize(spectrum);
    }
}
BENCHMARK(NoiseSpectrum)->Unit(benchmark::kMicrosecond);

void NoiseSpectrumCsv(benchmark::State& state) {
    const auto spectrum = *qb::analysis::ComputeNoiseSpectrum(codeBuffer(), kCodes, kFormat, 50.0);
    for (auto _ : state) {
        auto csv = qb::analysis::SpectrumCsv(spectrum);
        benchmark::DoNotOptimize(csv);
    }
}
BENCHMARK(NoiseSpectrumCsv)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
