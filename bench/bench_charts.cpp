// Speed of the two chart windows on a full analysis buffer (5000 codes): opening the window
// (building it, plotting, laying it out and drawing it once), drawing again as a zoom or a
// cursor move does, and the headless PNG. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>

#include <QFile>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/ChartImages.h"
#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "link/SharedSettings.h"
#include "platform/chart/StripChart.h"

namespace {

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

template <class F>
void OpenWindow(benchmark::State& state, double sigma, F plot) {
    const qb::link::SharedSettings s = Buffer(sigma);
    for (auto _ : state) {
        auto form = plot(s);
        benchmark::DoNotOptimize(form.get());
    }
}

void GraphOpen(benchmark::State& state) {
    OpenWindow(state, 3.0, [](const qb::link::SharedSettings& s) {
        auto form = std::make_unique<qb::analysis::GraphForm>(s);
        form->resize(900, 600);
        form->show();
        form->PlotCodes();  // plots and draws
        QApplication::processEvents();
        return form;
    });
}
BENCHMARK(GraphOpen)->Unit(benchmark::kMillisecond);

// arg: noise in codes (3: about 20 distinct codes; 2000: about 4000 spikes)
void HistogramOpen(benchmark::State& state) {
    OpenWindow(state, static_cast<double>(state.range(0)), [](const qb::link::SharedSettings& s) {
        auto form = std::make_unique<qb::analysis::HistForm>(s);
        form->resize(900, 600);
        form->show();
        form->BuildHistogram();
        QApplication::processEvents();
        return form;
    });
}
BENCHMARK(HistogramOpen)->Arg(3)->Arg(2000)->Unit(benchmark::kMillisecond);

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
BENCHMARK(HistogramRedraw)->Arg(3)->Arg(2000)->Unit(benchmark::kMillisecond);

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
    const qb::link::SharedSettings s = Buffer(3.0);
    const std::string path = QDir::temp().filePath("qb_bench_histogram.png").toStdString();
    for (auto _ : state) {
        const auto saved = qb::analysis::SaveHistogramImage(s, path);
        if (!saved.ok()) state.SkipWithError(saved.error().c_str());
    }
    QFile::remove(QString::fromStdString(path));
}
BENCHMARK(HistogramPng)->Unit(benchmark::kMillisecond);

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
