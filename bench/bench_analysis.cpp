// Speed of the Qt-free analysis and file units on a full analysis buffer (5000 codes): noise
// figures, histogram points, the sort, and the data file in both forms, in memory and on disk.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "analysis/HistPoints.h"
#include "analysis/NoiseFigures.h"
#include "link/CodeCount.h"
#include "analysis/mdlArray.h"
#include "files/DataFile.h"

#include "BenchCodes.h"

namespace {

using qb::bench::kCodes;
const std::vector<double>& codeBuffer() { return qb::bench::CodeBuffer(); }

void NoiseFigures(benchmark::State& state) {
    const qb::analysis::DataFormat format{2, 20, 24, 2.5};
    for (auto _ : state) {
        const auto stats = qb::analysis::ComputeNoiseStatistics(qb::link::HeldCodes(codeBuffer(), kCodes));
        auto labels = qb::analysis::ShowNoiseResults(stats, kCodes, format);
        benchmark::DoNotOptimize(labels);
    }
}
BENCHMARK(NoiseFigures);

void HistogramPoints(benchmark::State& state) {
    for (auto _ : state) {
        auto points = qb::analysis::BuildHistPoints(codeBuffer(), kCodes);
        benchmark::DoNotOptimize(points);
    }
}
BENCHMARK(HistogramPoints);

void SortLongArray(benchmark::State& state) {
    std::vector<int32_t> codes(codeBuffer().begin() + 1, codeBuffer().end());
    for (auto _ : state) {
        std::vector<int32_t> a = codes;
        qb::analysis::SortLongArray(a, 0);
        benchmark::DoNotOptimize(a.data());
    }
}
BENCHMARK(SortLongArray);

qb::files::CodeForm formOf(const benchmark::State& state) {
    return state.range(0) ? qb::files::CodeForm::Hex : qb::files::CodeForm::Decimal;
}

void EncodeCodes(benchmark::State& state) {
    for (auto _ : state) {
        auto e = qb::files::EncodeCodes(codeBuffer(), kCodes, formOf(state));
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(EncodeCodes)->Arg(0)->Arg(1)->ArgName("hex");

void ParseCodes(benchmark::State& state) {
    const std::string content = *qb::files::EncodeCodes(codeBuffer(), kCodes, formOf(state));
    for (auto _ : state) {
        auto r = qb::files::ParseCodes(content, formOf(state));
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * content.size()));
}
BENCHMARK(ParseCodes)->Arg(0)->Arg(1)->ArgName("hex");

std::string benchFile() {
    return (std::filesystem::temp_directory_path() / ("qb-bench-" + std::to_string(::getpid()) + ".dat")).string();
}

// Includes flushing the file to the disk, which dominates on most machines.
void SaveFile(benchmark::State& state) {
    const std::string path = benchFile();
    for (auto _ : state) {
        const auto e = qb::files::EncodeCodes(codeBuffer(), kCodes, formOf(state));
        auto saved = qb::files::SaveFileSafely(path, *e);
        benchmark::DoNotOptimize(saved);
    }
    std::filesystem::remove(path);
}
BENCHMARK(SaveFile)->Arg(0)->Arg(1)->ArgName("hex")->Unit(benchmark::kMicrosecond);

void ReadFile(benchmark::State& state) {
    const std::string path = benchFile();
    (void)qb::files::SaveFileSafely(path, *qb::files::EncodeCodes(codeBuffer(), kCodes, formOf(state)));
    for (auto _ : state) {
        auto r = qb::files::ReadCodesFile(path, formOf(state));
        benchmark::DoNotOptimize(r);
    }
    std::filesystem::remove(path);
}
BENCHMARK(ReadFile)->Arg(0)->Arg(1)->ArgName("hex")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
