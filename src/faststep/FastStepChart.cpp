#include "faststep/FastStepChart.h"

#include <algorithm>
#include <cmath>
#include <span>

#include <QApplication>

#include "faststep/FastStepListing.h"
#include "faststep/FastStepRun.h"
#include "platform/base/Numbers.h"
#include "platform/chart/StripChart.h"
#include "platform/base/Text.h"

namespace qb::faststep {

using platform::CaptionRole;
using platform::StripChart;

namespace {

// Readings 1..2N of a series (element 0 holds no reading), as far as the series holds them.
std::span<const double> readings(const std::vector<double>& codes, int16_t n) {
    const std::size_t size = std::min(codes.size(), static_cast<std::size_t>(std::max(0, 2 * n)) + 1);
    return {codes.data(), size};
}

} // namespace

void SetUpStepChart(StripChart& chart) {
    chart.setCaptions({{kTitleCaption, CaptionRole::Title, "Graph"},
                       {kYTitleCaption, CaptionRole::YAxisTitle, "Value(Hex)"},
                       {kXTitleCaption, CaptionRole::XAxisTitle, "Code Read"},
                       {kYMinCaption, CaptionRole::YAxisLowEnd, "yMin"},
                       {kYMaxCaption, CaptionRole::YAxisHighEnd, "YMax"}});
    // The legend's names of the two traces.
    chart.setCaptionRole(kOffNameCaption, CaptionRole::TraceName, 0);
    chart.setCaptionRole(kOnNameCaption, CaptionRole::TraceName, 1);
    chart.setCaption(kOffNameCaption, "FastStep Off");
    chart.setCaption(kOnNameCaption, "FastStep On");
    chart.setTickNotation(Qt::Vertical, platform::TickNotation::Hex);
    // The first and last reading stay off the frame; the y axis runs between its end texts.
    chart.setAxisMargins(Qt::Horizontal, 0.01, 0.01);
    chart.setGridMode(StripChart::kGridOn);
    // After the step both traces run high: the legend below them covers nothing.
    chart.setLegendCorner(Qt::AlignBottom | Qt::AlignRight);
}

void PlotStepSeries(StripChart& chart, const link::SharedSettings& s) {
    const int16_t n = s.StepReadCount;
    const YRange y = ChartYRange(s.FastStepOffCodes, n);
    chart.clearTraces();
    chart.setTraceScaleUpper(y.hi);
    chart.setTraceScaleLower(y.lo);
    chart.setYAxisUpper(y.hi);
    chart.setYAxisLower(y.lo);
    chart.setXRange(0, ReadingsPerSeries(n));
    chart.setCaption(kYMaxCaption, platform::Hex(chart.traceScaleUpper()));
    chart.setCaption(kYMinCaption, platform::Hex(chart.traceScaleLower()));
    chart.loadYSeries(readings(s.FastStepOffCodes, n), 0, 1);
    chart.loadYSeries(readings(s.FastStepOnCodes, n), 1, 1);
    chart.setCursorPosition(2);
    chart.redraw();
}

void ShowStepChartEnds(StripChart& chart) {
    chart.setCaption(kYMaxCaption, platform::Hex(platform::RoundHalfEven(chart.yAxisUpperShown())));
    chart.setCaption(kYMinCaption, platform::Hex(platform::RoundHalfEven(chart.yAxisLowerShown())));
}

StepReadout ReadStepCursor(const StripChart& chart) {
    StepReadout r;
    const auto fill = [&](int trace, std::string& dec, std::string& hex) {
        const double v = chart.valueAtCursor(trace);
        if (std::isnan(v)) return;
        dec = platform::Str(v);
        hex = platform::Hex(v);
    };
    fill(0, r.dec0, r.hex0);
    fill(1, r.dec1, r.hex1);
    r.position = platform::Str(chart.cursorPosition());
    return r;
}

platform::Result<> SaveStepChartImage(const link::SharedSettings& settings, const std::string& path,
                                      platform::ChartImageFormat format) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return platform::Fail("Chart images need a QApplication.");
    StripChart chart("StripGraph");
    SetUpStepChart(chart);
    chart.resize(kStepImageWidth, kStepImageHeight);
    PlotStepSeries(chart, settings);
    chart.setCursorVisible(false);  // a picture of the data, not of the session
    return chart.saveImage(QString::fromStdString(path), format, kStepImageWidth, kStepImageHeight);
}

} // namespace qb::faststep
