#include "analysis/LiveView.h"

#include <QGridLayout>
#include <QLabel>

#include "analysis/NoiseSpectrum.h"
#include "analysis/ReadDataForm.h"
#include "analysis/ResolutionFigures.h"
#include "platform/chart/RollingChart.h"
#include "platform/widgets/EventTurns.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"

namespace qb::analysis {

namespace {

constexpr int kValueWidth = 130;
const QSize kChartLeast(460, 170);

} // namespace

LiveView::LiveView() {
    setObjectName("LiveFrame");
    setTitle(tr("Live View"));
    chart_ = new platform::RollingChart("LiveChart");
    chart_->setTitles("Reading (the last " + std::to_string(kReadings) + ")", "Voltage (\u00B5V)");
    chart_->setMinimumSize(kChartLeast);
    auto* grid = new QGridLayout(this);
    grid->addWidget(chart_, 0, 0, 4, 1);
    int row = 0;
    for (auto [value, name, caption] : {std::tuple{&lblLiveMean, "lblLiveMean", "Mean:"},
                                        std::tuple{&lblLiveRms, "lblLiveRms", "RMS noise:"},
                                        std::tuple{&lblLivePeakToPeak, "lblLivePeakToPeak", "Peak-to-peak:"}}) {
        *value = platform::ReadoutLabel(name, tr(caption).chopped(1), {}, kValueWidth);
        auto* label = platform::CaptionLabel((std::string(name) + "Caption").c_str(), tr(caption));
        label->setBuddy(*value);
        grid->addWidget(label, row, 1);
        grid->addWidget(*value, row, 2);
        ++row;
    }
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(0, 1);
    chart_->setValues({}, 1e6, kReadings);
}

void LiveView::clear(double lsbVolts) {
    lsbVolts_ = lsbVolts;
    readings_.clear();
    paint();
}

void LiveView::add(double volts) {
    readings_.add(volts);
    if (const int64_t now = platform::CoarseMs(); now - paintedMs_ >= kProgressPaintMs) paint();
}

void LiveView::paint() {
    paintedMs_ = platform::CoarseMs();
    chart_->setValues(readings_.inOrder(), 1e6, kReadings);
    const std::optional<RollingReadings::Figures> f = readings_.figures();
    lblLiveMean->setText(f ? platform::ToQt(FigureText(Figure::Of(f->mean), FigureKind::Volts, lsbVolts_)) : QString());
    lblLiveRms->setText(f ? platform::ToQt(VoltsText(f->rmsNoise)) : QString());
    lblLivePeakToPeak->setText(f ? platform::ToQt(VoltsText(f->peakToPeak)) : QString());
}

} // namespace qb::analysis
