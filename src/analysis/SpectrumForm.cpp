#include "analysis/SpectrumForm.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/ChartWindow.h"
#include "analysis/ResolutionFigures.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/chart/StripChart.h"

namespace qb::analysis {

using platform::StripChart;
using platform::ToQt;

namespace {

constexpr int kReadoutWidth = 130;
constexpr int kSummaryGap = 16;  // between the readout and the summary

// The decade at or below (direction -1) or at or above (+1) a positive value.
double decade(double v, int direction) {
    const double e = std::log10(v);
    return std::pow(10.0, direction < 0 ? std::floor(e) : std::ceil(e));
}

} // namespace

SpectrumForm::SpectrumForm(const link::Context& ctx, QWidget* parent) : SpectrumForm(ctx.settings, parent, &ctx.messages) {
    rememberSize(ctx.preferences, "SpectrumForm");
}

SpectrumForm::SpectrumForm(const link::SharedSettings& settings, QWidget* parent, platform::MessageSink* messages)
    : Form(parent), settings_(settings) {
    makeChart(messages);
    QGridLayout* readout = makeReadout();
    lblSummary = platform::ValueLabel("lblSummary", tr("How the spectrum was made"));
    lblSummary->setWordWrap(true);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Command3D1 = platform::CommandButton("Command3D1", tr("Back..."));
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });

    // The readout, how the spectrum was made, and the way back, below the chart.
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(readout);
    bottom->addSpacing(kSummaryGap);
    bottom->addWidget(lblSummary, 1);
    bottom->addWidget(Command3D1, 0, Qt::AlignBottom);
    LayOutChartWindow(*this, StripSpectrum, bottom);
}

void SpectrumForm::makeChart(platform::MessageSink* messages) {
    StripSpectrum = MakeChartWindow(*this, "QB4160 Noise Spectrum", "StripSpectrum",
                                    {{kSpectrumTitleCaption, platform::CaptionRole::Title, "Noise Spectrum"},
                                     {kSpectrumXTitleCaption, platform::CaptionRole::XAxisTitle, "Frequency (Hz)"},
                                     {kSpectrumYTitleCaption, platform::CaptionRole::YAxisTitle, "Noise density"}},
                                    messages);
    StripSpectrum->setAxisScale(Qt::Vertical, platform::AxisScale::Logarithmic);
    StripSpectrum->setLogTickTexts(Qt::Vertical, DensityTickText);
    // A little room beyond the whole decades, so the decades at both ends keep their labels.
    StripSpectrum->setAxisMargins(Qt::Vertical, 0.01, 0.01);
    StripSpectrum->setCursorOnPoints(true);
    StripSpectrum->onCursor([this](double x) { StripSpectrum_Cursor(x); });
}

// Frequency and density at the cursor.
QGridLayout* SpectrumForm::makeReadout() {
    lblFrequencyValue = platform::ReadoutLabel("lblFrequencyValue", tr("Frequency at the cursor"), {}, kReadoutWidth);
    lblDensityValue = platform::ReadoutLabel("lblDensityValue", tr("Density at the cursor"), {}, kReadoutWidth);
    auto* lblFrequency = platform::CaptionLabel("lblFrequency", tr("Frequency:"));
    auto* lblDensity = platform::CaptionLabel("lblDensity", tr("Density:"));
    lblFrequency->setBuddy(lblFrequencyValue);
    lblDensity->setBuddy(lblDensityValue);
    auto* readout = new QGridLayout;
    readout->addWidget(lblFrequency, 0, 0);
    readout->addWidget(lblFrequencyValue, 0, 1);
    readout->addWidget(lblDensity, 1, 0);
    readout->addWidget(lblDensityValue, 1, 1);
    return readout;
}

void SpectrumForm::Form_Load() { PlotSpectrum(); }

bool SpectrumForm::PlotSpectrum() {
    StripChart& chart = *StripSpectrum;
    chart.clearTraces();
    auto computed = ComputeNoiseSpectrum(settings_);
    if (!computed.ok()) {
        spectrum_.reset();
        whyNone_ = computed.error();
        lblSummary->setText(ToQt("No spectrum: " + whyNone_ + "."));
        lblFrequencyValue->clear();
        lblDensityValue->clear();
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
        chart.setYAxisLower(decade(lo, -1));
        chart.setYAxisUpper(decade(hi, +1));
    } else {
        chart.setYAxisLower(1e-10);
        chart.setYAxisUpper(1e-9);
    }
    chart.setXRange(0, s.sampleRateHz / 2);
    chart.setCursorPosition(s.frequencyHz[PeakBin(s)]);
    lblSummary->setText(ToQt(SpectrumSummary(s)));
    chart.redraw();
    StripSpectrum_Cursor(chart.cursorPosition());
    return true;
}

void SpectrumForm::Command3D1_Click() { unload(); }

void SpectrumForm::StripSpectrum_Cursor(double /*x*/) {
    const double density = StripSpectrum->valueAtCursor(0);
    if (!spectrum_ || std::isnan(density)) {
        lblFrequencyValue->clear();
        lblDensityValue->clear();
        return;
    }
    lblFrequencyValue->setText(ToQt(FrequencyText(StripSpectrum->cursorPosition(), spectrum_->binWidthHz)));
    lblDensityValue->setText(ToQt(DensityText(density)));
}

} // namespace qb::analysis
