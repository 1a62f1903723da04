#include "analysis/AllanForm.h"

#include <algorithm>
#include <cmath>

#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"
#include "link/CodeCount.h"
#include "platform/base/Text.h"

namespace qb::analysis {

namespace {

// "1.28 s", "20.0 ms": three significant digits.
std::string TauText(double seconds) {
    const bool milli = seconds < 1;
    const double shown = milli ? seconds * 1000 : seconds;
    const int decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(shown))), 0, 2);
    return platform::Format(shown, decimals ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0") +
           (milli ? " ms" : " s");
}

} // namespace

AllanForm::AllanForm(const link::Context& ctx, QWidget* parent)
    : ReadoutChartForm({"QB4160 Allan Deviation",
                        "StripAllan",
                        {{0, platform::CaptionRole::Title, "Allan Deviation"},
                         {1, platform::CaptionRole::XAxisTitle, "Averaging time (s)"},
                         {2, platform::CaptionRole::YAxisTitle, "Allan deviation"}},
                        {"lblTau", "Averaging time:", "lblTauValue", "Averaging time at the cursor"},
                        {"lblDeviation", "Deviation:", "lblDeviationValue", "Allan deviation at the cursor"},
                        "What the Allan deviation was made of"},
                       parent, &ctx.messages),
      settings_(ctx.settings) {
    rememberSize(ctx.preferences, "AllanForm");
    for (const Qt::Orientation axis : {Qt::Horizontal, Qt::Vertical})
        chart_->setAxisScale(axis, platform::AxisScale::Logarithmic);
    chart_->setLogTickTexts(Qt::Horizontal, [](double s) { return platform::ShortestText(s) + " s"; });
    chart_->setLogTickTexts(Qt::Vertical, VoltsTickText);
    chart_->setAxisMargins(Qt::Vertical, 0.01, 0.01);
    chart_->setAxisMargins(Qt::Horizontal, 0.01, 0.01);
    onCursorAtPoints([this] { StripAllan_Cursor(); });
}

void AllanForm::Form_Load() { PlotAllan(); }

bool AllanForm::PlotAllan() {
    platform::StripChart& chart = *chart_;
    chart.clearTraces();
    const std::span<const double> codes = link::HeldCodes(settings_.Codes, settings_.CodesRead);
    auto computed = ComputeAllanDeviation(codes, DataFormatOf(settings_), SampleRateOf(settings_));
    points_ = computed.ok() ? std::move(*computed) : std::vector<AllanPoint>{};
    if (points_.empty()) {
        showSummary("No Allan deviation: " + (computed.ok() ? std::string("no codes") : computed.error()) + ".");
        showReadout({}, {});
        chart.redraw();
        return false;
    }
    std::vector<double> tau, deviation;
    for (const AllanPoint& p : points_) tau.push_back(p.tauSeconds), deviation.push_back(p.deviation);
    chart.loadXYSeries(tau, deviation, 0);
    const auto [lo, hi] = std::minmax_element(deviation.begin(), deviation.end());
    chart.setYAxisLower(*lo > 0 ? Decade(*lo, -1) : 1e-10);
    chart.setYAxisUpper(*hi > 0 ? Decade(*hi, +1) : 1e-9);
    chart.setXRange(Decade(tau.front(), -1), Decade(tau.back(), +1));
    chart.setCursorPosition(tau[static_cast<std::size_t>(lo - deviation.begin())]);
    showSummary(std::to_string(codes.size()) + " readings at " + platform::Format(*SampleRateOf(settings_), "0.00") +
                " Hz, overlapping, every octave up to half the readings; lowest " + VoltsText(*lo) + " at " +
                TauText(tau[static_cast<std::size_t>(lo - deviation.begin())]));
    chart.redraw();
    StripAllan_Cursor();
    return true;
}

void AllanForm::StripAllan_Cursor() {
    const double deviation = chart_->valueAtCursor(0);
    if (points_.empty() || std::isnan(deviation)) return showReadout({}, {});
    showReadout(TauText(chart_->cursorPosition()), VoltsText(deviation));
}

} // namespace qb::analysis
