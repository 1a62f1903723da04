// The analysis read from the simulated board, as the data reading window makes it (its progress
// shown, its events let run after every code and during every wait) and as the headless --acquire
// makes it. Argument 0: 5000 codes on virtual time, where the window's read should cost within
// 1.5 times the headless one in CPU time. Argument 1: 100 codes at 50 Hz on wall-clock time (two
// seconds), where "core" is the share of a core the read uses: a few percent, not a busy loop.
// Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <chrono>
#include <ctime>

#include "analysis/AnalysisRead.h"
#include "analysis/ReadDataForm.h"
#include "app/SimPort.h"
#include "link/Register.h"
#include "link/Startup.h"
#include "platform/base/Messages.h"

namespace {

using namespace qb;

// The codes read and the clock, by the benchmark's argument.
int16_t Count(const benchmark::State& state) { return state.range(0) == 0 ? 5000 : 100; }
board::TimeMode Clock(const benchmark::State& state) {
    return state.range(0) == 0 ? board::TimeMode::Virtual : board::TimeMode::Wall;
}

// The share of a core used: CPU time over real time, once the run is over.
void ReportCoreShare(benchmark::State& state, const std::clock_t cpu, const std::chrono::steady_clock::time_point start) {
    const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - start;
    state.counters["core"] = cpuSeconds / real.count();
}

class QuietMessages : public platform::MessageSink {
public:
    platform::MsgAnswer show(const platform::Message&) override { return platform::MsgAnswer::Ok; }
};

struct Board {
    explicit Board(board::TimeMode clock) : port({}, clock) { link::StartUp(ctx); }
    app::SimPort port;
    QuietMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
};

void HeadlessRead(benchmark::State& state) {
    Board b(Clock(state));
    bool interrupted = false;  // as Ctrl-C would set it
    const std::clock_t cpu = std::clock();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        link::ReadData reader(link::WithStopHook(b.ctx, [&interrupted] { return interrupted; }));
        reader.setReadAddress(link::comms::kStartContinuousRead);
        reader.setWordLength(b.settings.WordLengthBits);
        if (!analysis::CheckContinuousMode(b.ctx)) state.SkipWithError("not converting");
        analysis::ReadForAnalysis(b.ctx, reader, Count(state), [&](int16_t, int16_t) { return !interrupted; });
    }
    ReportCoreShare(state, cpu, start);
    if (b.settings.CodesRead != Count(state)) state.SkipWithError("codes missing");
}
BENCHMARK(HeadlessRead)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(HeadlessRead)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void WindowRead(benchmark::State& state) {
    Board b(Clock(state));
    analysis::ReadDataForm form(b.ctx);
    QTimer::singleShot(0, &form, [&] {
        form.findChild<QLineEdit*>("ReadNoValueText")->setText(QString::number(Count(state)));
        const std::clock_t cpu = std::clock();
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state) form.Command3D1_Click();
        ReportCoreShare(state, cpu, start);
        form.unload();
    });
    form.showModal();
    if (b.settings.CodesRead != Count(state)) state.SkipWithError("codes missing");
}
BENCHMARK(WindowRead)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowRead)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
