// Speed of the two chart windows on a full analysis buffer (5000 codes): opening the window
// (building it, plotting, laying it out and drawing it once), drawing again as a zoom or a
// cursor move does, and the headless PNG. Runs on the offscreen platform.
//
// The histogram runs on narrow data (noise of 3 codes: about 20 spikes) and on wide data (noise
// of a million codes: about 5000 distinct codes, one spike each). Targets for the wide case, in
// CPU time: opening under 50 ms, a redraw under 15 ms, the PNG no more than twice the graph's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>

#include <QFile>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "analysis/ChartImages.h"
#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "link/SharedSettings.h"
#include "platform/chart/StripChart.h"

namespace {

// Noise of the wide histogram case: nearly every one of the 5000 codes is a code of its own.
constexpr int kWide = 1'000'000;

// 5000 noisy codes around 0x900000; `sigma` sets how many distinct codes the histogram gets.
qb::link::SharedSettings Buffer(double sigma) {
    qb::link::SharedSettings s;
    s.WordLengthBits = 24;
    s.Polarity = 2;
    s.InputRangeMv = 20;
    s.RefVoltage = 2.5;
    std::mt19937 g(4160);
    std::normal_distribution<double> noise(0x900000, sigma);
    s.Codes.push_back(0.0);
    for (int i = 0; i < 5000; ++i) s.Codes.push_back(std::round(noise(g)));
    s.CodesRead = 5000;
    qb::analysis::ComputeNoiseStatistics(s);
    return s;
}

// Opens the window as the program does: loading it plots the codes, then it is shown and its
// events run. The counter "draws" is how many times its chart was drawn per opening.
template <class Form>
void OpenWindow(benchmark::State& state, double sigma) {
    const qb::link::SharedSettings s = Buffer(sigma);
    int draws = 0;
    for (auto _ : state) {
        auto form = std::make_unique<Form>(s);
        QObject::connect(&form->chart(), &QCustomPlot::afterReplot, [&draws] { ++draws; });
        if constexpr (std::is_same_v<Form, qb::analysis::HistForm>) form->BuildHistogram();
        else form->PlotCodes();
        form->resize(900, 600);
        form->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.get());
    }
    state.counters["draws"] = benchmark::Counter(draws, benchmark::Counter::kAvgIterations);
}

void GraphOpen(benchmark::State& state) { OpenWindow<qb::analysis::GraphForm>(state, 3.0); }
BENCHMARK(GraphOpen)->Unit(benchmark::kMillisecond);

// arg: noise in codes (3: about 20 distinct codes; kWide: about 5000)
void HistogramOpen(benchmark::State& state) {
    OpenWindow<qb::analysis::HistForm>(state, static_cast<double>(state.range(0)));
}
BENCHMARK(HistogramOpen)->Arg(3)->Arg(kWide)->Unit(benchmark::kMillisecond);

// One drawing of the open graph: what every zoom step, pan step and cursor move costs.
void GraphRedraw(benchmark::State& state) {
    const qb::link::SharedSettings s = Buffer(3.0);
    qb::analysis::GraphForm form(s);
    form.resize(900, 600);
    form.show();
    form.PlotCodes();
    for (auto _ : state) form.chart().redraw();
}
BENCHMARK(GraphRedraw)->Unit(benchmark::kMillisecond);

void HistogramRedraw(benchmark::State& state) {
    const qb::link::SharedSettings s = Buffer(static_cast<double>(state.range(0)));
    qb::analysis::HistForm form(s);
    form.resize(900, 600);
    form.show();
    form.BuildHistogram();
    for (auto _ : state) form.chart().redraw();
}
BENCHMARK(HistogramRedraw)->Arg(3)->Arg(kWide)->Unit(benchmark::kMillisecond);

void GraphPng(benchmark::State& state) {
    const qb::link::SharedSettings s = Buffer(3.0);
    const std::string path = QDir::temp().filePath("qb_bench_graph.png").toStdString();
    for (auto _ : state) {
        const auto saved = qb::analysis::SaveGraphImage(s, path);
        if (!saved.ok()) state.SkipWithError(saved.error().c_str());
    }
    QFile::remove(QString::fromStdString(path));
}
BENCHMARK(GraphPng)->Unit(benchmark::kMillisecond);

void HistogramPng(benchmark::State& state) {
    const qb::link::SharedSettings s = Buffer(static_cast<double>(state.range(0)));
    const std::string path = QDir::temp().filePath("qb_bench_histogram.png").toStdString();
    for (auto _ : state) {
        const auto saved = qb::analysis::SaveHistogramImage(s, path);
        if (!saved.ok()) state.SkipWithError(saved.error().c_str());
    }
    QFile::remove(QString::fromStdString(path));
}
BENCHMARK(HistogramPng)->Arg(3)->Arg(kWide)->Unit(benchmark::kMillisecond);

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
