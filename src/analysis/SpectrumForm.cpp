#include "analysis/SpectrumForm.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/ResolutionFigures.h"
#include "platform/chart/StripChart.h"

namespace qb::analysis {

using platform::StripChart;

SpectrumForm::SpectrumForm(const link::Context& ctx, QWidget* parent) : SpectrumForm(ctx.settings, parent, &ctx.messages) {
    rememberSize(ctx.preferences, "SpectrumForm");
}

SpectrumForm::SpectrumForm(const link::SharedSettings& settings, QWidget* parent, platform::MessageSink* messages)
    : SpectrumForm([&settings] { return ComputeNoiseSpectrum(settings); }, parent, messages) {}

SpectrumForm::SpectrumForm(NoiseSpectrum spectrum, platform::MessageSink* messages)
    : SpectrumForm([spectrum = std::move(spectrum)] { return platform::Result<NoiseSpectrum>(spectrum); }, nullptr,
                   messages) {}

SpectrumForm::SpectrumForm(Compute compute, QWidget* parent, platform::MessageSink* messages)
    : ReadoutChartForm({"QB4160 Noise Spectrum",
                        "StripSpectrum",
                        {{kSpectrumTitleCaption, platform::CaptionRole::Title, "Noise Spectrum"},
                         {kSpectrumXTitleCaption, platform::CaptionRole::XAxisTitle, "Frequency (Hz)"},
                         {kSpectrumYTitleCaption, platform::CaptionRole::YAxisTitle, "Noise density"}},
                        {"lblFrequency", "Frequency:", "lblFrequencyValue", "Frequency at the cursor"},
                        {"lblDensity", "Density:", "lblDensityValue", "Density at the cursor"},
                        "How the spectrum was made"},
                       parent, messages),
      compute_(std::move(compute)) {
    chart_->setAxisScale(Qt::Vertical, platform::AxisScale::Logarithmic);
    chart_->setLogTickTexts(Qt::Vertical, DensityTickText);
    // A little room beyond the whole decades, so the decades at both ends keep their labels.
    chart_->setAxisMargins(Qt::Vertical, 0.01, 0.01);
    onCursorAtPoints([this] { StripSpectrum_Cursor(chart_->cursorPosition()); });
}

void SpectrumForm::Form_Load() { PlotSpectrum(); }

bool SpectrumForm::PlotSpectrum() {
    StripChart& chart = *chart_;
    chart.clearTraces();
    auto computed = compute_();
    if (!computed.ok()) {
        spectrum_.reset();
        whyNone_ = computed.error();
        showSummary("No spectrum: " + whyNone_ + ".");
        showReadout({}, {});
        chart.redraw();
        return false;
    }
    spectrum_ = std::move(*computed);
    whyNone_.clear();
    const NoiseSpectrum& s = *spectrum_;

    // Bin 0 holds only what the segments' means lost; the chart starts at the first frequency.
    const std::vector<double> hz(s.frequencyHz.begin() + 1, s.frequencyHz.end());
    const std::vector<double> density(s.densityVPerRootHz.begin() + 1, s.densityVPerRootHz.end());
    chart.loadXYSeries(hz, density, 0);
    double lo = 0, hi = 0;
    for (double d : density)
        if (d > 0 && std::isfinite(d)) {
            lo = lo > 0 ? std::min(lo, d) : d;
            hi = std::max(hi, d);
        }
    // Whole decades around the densities; a spectrum of nothing but zeros shows one decade.
    if (hi > 0) {
        chart.setYAxisLower(Decade(lo, -1));
        chart.setYAxisUpper(Decade(hi, +1));
    } else {
        chart.setYAxisLower(1e-10);
        chart.setYAxisUpper(1e-9);
    }
    chart.setXRange(0, s.sampleRateHz / 2);
    chart.setCursorPosition(s.frequencyHz[PeakBin(s)]);
    showSummary(SpectrumSummary(s));
    chart.redraw();
    StripSpectrum_Cursor(chart.cursorPosition());
    return true;
}

void SpectrumForm::StripSpectrum_Cursor(double /*x*/) {
    const double density = chart_->valueAtCursor(0);
    if (!spectrum_ || std::isnan(density)) return showReadout({}, {});
    showReadout(FrequencyText(chart_->cursorPosition(), spectrum_->binWidthHz), DensityText(density));
}

} // namespace qb::analysis
