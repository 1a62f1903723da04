#include "analysis/HistForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPen>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Controls.h"
#include "platform/FormWidgets.h"
#include "platform/Messages.h"
#include "platform/Numbers.h"
#include "platform/QtMessages.h"
#include "platform/StripChart.h"
#include "platform/Text.h"

namespace qb::analysis {

using platform::named;
using platform::StripChart;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

HistForm::HistForm(const link::Context& ctx, QWidget* parent) : HistForm(ctx.settings, parent, &ctx.messages) {}

HistForm::HistForm(const link::SharedSettings& settings, QWidget* parent, platform::MessageSink* messages)
    : Form(parent), settings_(settings), messages_(messages) {
    setCaption("QB4160 Histogram");
    setResizable(true);

    StripHist_ = new StripChart("StripHist");
    StripHist_->setMinimumSize(640, 380);
    StripHist_->setMessageSink(messages);
    StripHist_->setCaptionRole(kHistTitleCaption, platform::CaptionRole::Title);
    StripHist_->setCaptionRole(kHistYTitleCaption, platform::CaptionRole::YAxisTitle);
    StripHist_->setCaptionRole(kHistXMinCaption, platform::CaptionRole::XAxisLowEnd);
    StripHist_->setCaptionRole(kHistXMaxCaption, platform::CaptionRole::XAxisHighEnd);
    StripHist_->setCaptionRole(kHistXTitleCaption, platform::CaptionRole::XAxisTitle);
    StripHist_->setCaption(kHistTitleCaption, "Histogram");
    StripHist_->setCaption(kHistYTitleCaption, "Nb of codes");
    StripHist_->setCaption(kHistXMinCaption, "xmin");
    StripHist_->setCaption(kHistXMaxCaption, "xmax");
    StripHist_->setCaption(kHistXTitleCaption, "Code");
    StripHist_->setTickNotation(Qt::Horizontal, platform::TickNotation::Hex);
    // The code axis runs exactly between the codes its end texts name; the count axis starts at
    // zero, keeps the tallest spike below the frame, and stays put while the user zooms and pans
    // along the codes.
    StripHist_->setAxisMargins(Qt::Vertical, 0, 0.05);
    StripHist_->setUserAxes(Qt::Horizontal);
    QPen spikes(QColor(0, 70, 180), 2);
    spikes.setCosmetic(true);  // drawn fast, also with thousands of spikes
    StripHist_->setTracePen(0, spikes);
    StripHist_->setGridMode(StripChart::kGridOn);
    StripHist_->onCursor([this](double x) { StripHist_Cursor(x); });
    StripHist_->onScale([this] { StripHist_Scale(); });

    Command3D1_ = platform::CommandButton("Command3D1", QStringLiteral("OK"));
    connect(Command3D1_, &QPushButton::clicked, this, [this] { Command3D1_Click(); });

    lblDecValue_ = platform::ReadoutLabel("lblDecValue");
    lblHexValue_ = platform::ReadoutLabel("lblHexValue");
    lblCursPosition_ = platform::ReadoutLabel("lblCursPosition");

    auto* values = new QGridLayout;
    values->addWidget(platform::CaptionLabel("Label1", "Cursor position:"), 0, 0);
    values->addWidget(platform::CaptionLabel("Label3", "Dec:"), 0, 1, Qt::AlignRight);
    values->addWidget(lblDecValue_, 0, 2);
    values->addWidget(platform::CaptionLabel("Label2", "Hex :"), 0, 3, Qt::AlignRight);
    values->addWidget(lblHexValue_, 0, 4);
    values->addWidget(platform::CaptionLabel("Label4", "Nb of codes :"), 1, 0, 1, 2);
    values->addWidget(lblCursPosition_, 1, 2);
    values->setColumnMinimumWidth(3, 40);

    auto* bottom = new QHBoxLayout;
    bottom->addLayout(values);
    bottom->addStretch(1);
    bottom->addWidget(Command3D1_, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StripHist_, 1);
    layout->addLayout(bottom);
}

void HistForm::Form_Load() { BuildHistogram(); }

bool HistForm::BuildHistogram() {
    StripChart& chart = *StripHist_;
    points_ = BuildHistPoints(settings_.Codes, settings_.CodesRead);

    chart.clearTraces();
    const double largest = points_ ? points_->largestCount : 0;
    chart.setTraceScaleUpper(largest);
    chart.setTraceScaleLower(0);
    chart.setYAxisUpper(largest);
    chart.setYAxisLower(0);
    chart.setXRange(settings_.MinCode, settings_.MaxCode);
    chart.setCaption(kHistXMinCaption, platform::Hex(settings_.MinCode));
    chart.setCaption(kHistXMaxCaption, platform::Hex(settings_.MaxCode));
    if (points_) chart.loadXYSeries(points_->x, points_->y, 0);
    chart.redraw();

    if (!points_) {
        lblDecValue_->clear();
        lblHexValue_->clear();
        lblCursPosition_->clear();
        if (settings_.CodesRead >= 1) {
            if (messages_) {
                messages_->exclamation(kHistNotCountable);
            } else {
                platform::QtMessages boxes;
                boxes.exclamation(kHistNotCountable);
            }
        }
        return false;
    }
    chart.setCursorPosition(settings_.MinCode);
    StripHist_Cursor(settings_.MinCode);
    return true;
}

void HistForm::Command3D1_Click() { unload(); }

void HistForm::StripHist_Cursor(double x) {
    if (!points_) return;
    const CursorReadout r = ReadCursor(*points_, x);
    if (r.count) lblCursPosition_->setText(q(*r.count));
    lblHexValue_->setText(q(r.hex));
    lblDecValue_->setText(q(r.dec));
}

void HistForm::StripHist_Scale() {
    StripHist_->setCaption(kHistXMinCaption, platform::Hex(platform::RoundHalfEven(StripHist_->xAxisLowerShown())));
    StripHist_->setCaption(kHistXMaxCaption, platform::Hex(platform::RoundHalfEven(StripHist_->xAxisUpperShown())));
}

} // namespace qb::analysis
