// Long logging and its analysis. LogThroughput: codes logged to a CSV file per CPU second on
// virtual time at the highest output rate (filter word 19, no chopping). LogMemory: the growth of
// the process's peak memory from a log of ten thousand codes to one of a million ("rss_growth_kib",
// about nothing: the log keeps no codes). AllanMillion: the overlapping Allan deviation of a
// million readings, every octave.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "analysis/AllanDeviation.h"
#include "app/SimPort.h"
#include "cli/LogCommand.h"
#include "link/Startup.h"
#include "platform/base/Messages.h"

namespace {

using namespace qb;

constexpr int32_t kFastestFilter = 19 << 12;

class QuietMessages : public platform::MessageSink {
public:
    platform::MsgAnswer show(const platform::Message&) override { return platform::MsgAnswer::Ok; }
};

// Logs `codes` codes at the highest rate into a scratch file; the status.
int Log(int64_t codes) {
    app::SimPort port;
    QuietMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    link::StartUp(ctx);
    cli::LogRequest request{.csvFile = (std::filesystem::temp_directory_path() / "qb_bench_log.csv").string(), .count = codes};
    request.setUp[link::SetUpRegister::Filter] = kFastestFilter;
    std::ostringstream err;
    const int status = cli::RunLog(request, ctx, err);
    std::filesystem::remove(request.csvFile);
    return status;
}

long PeakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void LogThroughput(benchmark::State& state) {
    for (auto _ : state)
        if (Log(state.range(0)) != 0) state.SkipWithError("the log failed");
    state.counters["codes_per_cpu_s"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                           benchmark::Counter::kIsRate);
}
BENCHMARK(LogThroughput)->Arg(100000)->Unit(benchmark::kMillisecond);

void LogMemory(benchmark::State& state) {
    for (auto _ : state) {
        Log(10000);
        const long small = PeakKib();
        Log(1000000);
        state.counters["rss_growth_kib"] = static_cast<double>(PeakKib() - small);
    }
}
BENCHMARK(LogMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void AllanMillion(benchmark::State& state) {
    std::mt19937_64 random(1);
    std::normal_distribution<double> normal(8388608, 4);
    std::vector<double> readings(1000000);
    for (double& r : readings) r = std::round(normal(random));
    for (auto _ : state) benchmark::DoNotOptimize(analysis::OverlappingAllanDeviation(readings, 0.02));
    state.counters["readings_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(AllanMillion)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
