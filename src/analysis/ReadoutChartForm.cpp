#include "analysis/ReadoutChartForm.h"

#include <cmath>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "analysis/ChartWindow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"

namespace qb::analysis {

namespace {

constexpr int kReadoutWidth = 130;
constexpr int kSummaryGap = 16;  // between the readout and the summary

} // namespace

double Decade(double v, int direction) {
    const double e = std::log10(v);
    return std::pow(10.0, direction < 0 ? std::floor(e) : std::ceil(e));
}

ReadoutChartForm::ReadoutChartForm(const Setup& setup, QWidget* parent, platform::MessageSink* messages) : Form(parent) {
    chart_ = MakeChartWindow(*this, setup.caption, setup.chartName, setup.captions, messages);
    auto* readout = new QGridLayout;
    int row = 0;
    for (const ReadoutRow* r : {&setup.first, &setup.second}) {
        values_[row] = platform::ReadoutLabel(r->valueName, tr(r->valueMeaning), {}, kReadoutWidth);
        auto* caption = platform::CaptionLabel(r->captionName, tr(r->caption));
        caption->setBuddy(values_[row]);
        readout->addWidget(caption, row, 0);
        readout->addWidget(values_[row], row, 1);
        ++row;
    }
    lblSummary = platform::ValueLabel("lblSummary", tr(setup.summaryMeaning));
    lblSummary->setWordWrap(true);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Command3D1 = platform::CommandButton("Command3D1", tr("Back..."));
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });

    // The readout, how the chart was made, and the way back, below the chart.
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(readout);
    bottom->addSpacing(kSummaryGap);
    bottom->addWidget(lblSummary, 1);
    bottom->addWidget(Command3D1, 0, Qt::AlignBottom);
    LayOutChartWindow(*this, chart_, bottom);
}

void ReadoutChartForm::Command3D1_Click() { unload(); }

void ReadoutChartForm::showReadout(const std::string& first, const std::string& second) {
    values_[0]->setText(platform::ToQt(first));
    values_[1]->setText(platform::ToQt(second));
}

void ReadoutChartForm::showSummary(const std::string& text) { lblSummary->setText(platform::ToQt(text)); }

void ReadoutChartForm::onCursorAtPoints(const std::function<void()>& readOut) {
    chart_->setCursorOnPoints(true);
    chart_->onCursor([readOut](double) { readOut(); });
}

} // namespace qb::analysis
