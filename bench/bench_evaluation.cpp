// Speed of the evaluator's figures and the noise spectrum on a full analysis buffer (5000 codes).
// Targets: figures under 1 ms, spectrum under 5 ms of CPU.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"
#include "link/CodeCount.h"

#include "BenchCodes.h"

namespace {

using qb::bench::kCodes;
constexpr qb::analysis::DataFormat kFormat{2, 80, 24, 5.0};
const std::vector<double>& codeBuffer() { return qb::bench::CodeBuffer(); }

void ResolutionFigures(benchmark::State& state) {
    for (auto _ : state) {
        auto figures = qb::analysis::ComputeResolutionFigures(qb::link::HeldCodes(codeBuffer(), kCodes), kFormat, 50.0);
        benchmark::DoNotOptimize(figures);
    }
}
BENCHMARK(ResolutionFigures)->Unit(benchmark::kMicrosecond);

void ResolutionFiguresText(benchmark::State& state) {
    for (auto _ : state) {
        auto text = qb::analysis::FiguresText(qb::analysis::ComputeResolutionFigures(qb::link::HeldCodes(codeBuffer(), kCodes), kFormat, 50.0));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(ResolutionFiguresText)->Unit(benchmark::kMicrosecond);

void NoiseSpectrum(benchmark::State& state) {
    for (auto _ : state) {
        auto spectrum = qb::analysis::ComputeNoiseSpectrum(qb::link::HeldCodes(codeBuffer(), kCodes), kFormat, 50.0);
        benchmark::DoNotOptimize(spectrum);
    }
}
BENCHMARK(NoiseSpectrum)->Unit(benchmark::kMicrosecond);

void NoiseSpectrumCsv(benchmark::State& state) {
    const auto spectrum = *qb::analysis::ComputeNoiseSpectrum(qb::link::HeldCodes(codeBuffer(), kCodes), kFormat, 50.0);
    for (auto _ : state) {
        auto csv = qb::analysis::SpectrumCsv(spectrum);
        benchmark::DoNotOptimize(csv);
    }
}
BENCHMARK(NoiseSpectrumCsv)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
