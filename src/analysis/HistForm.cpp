#include "analysis/HistForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPen>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/ChartWindow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/base/Messages.h"
#include "platform/base/Numbers.h"
#include "platform/widgets/QtMessages.h"
#include "platform/chart/StripChart.h"
#include "platform/base/Text.h"

namespace qb::analysis {

using platform::named;
using platform::StripChart;
using platform::ToQt;

HistForm::HistForm(const link::Context& ctx, QWidget* parent) : HistForm(ctx.settings, parent, &ctx.messages) {
    rememberSize(ctx.preferences, "HistForm");
}

HistForm::HistForm(const link::SharedSettings& settings, QWidget* parent, platform::MessageSink* messages)
    : Form(parent), settings_(settings), messages_(messages),
      panel_({{"Label1", "Cursor position:"}, {"Label3", "Dec:"}, {"Label2", "Hex :"}, {"Label4", "Nb of codes :"}}) {
    StripHist = MakeChartWindow(*this, "QB4160 Histogram", "StripHist",
                                {{kHistTitleCaption, platform::CaptionRole::Title, "Histogram"},
                                 {kHistYTitleCaption, platform::CaptionRole::YAxisTitle, "Nb of codes"},
                                 {kHistXMinCaption, platform::CaptionRole::XAxisLowEnd, "xmin"},
                                 {kHistXMaxCaption, platform::CaptionRole::XAxisHighEnd, "xmax"},
                                 {kHistXTitleCaption, platform::CaptionRole::XAxisTitle, "Code"}},
                                messages);
    StripHist->setTickNotation(Qt::Horizontal, platform::TickNotation::Hex);
    // The code axis runs exactly between the codes its end texts name; the count axis starts at
    // zero, keeps the tallest spike below the frame, and stays put while the user zooms and pans
    // along the codes.
    StripHist->setAxisMargins(Qt::Vertical, 0, 0.05);
    StripHist->setUserAxes(Qt::Horizontal);
    StripHist->setTraceStyle(0, platform::TraceStyle::Spikes);
    QPen spikes(QColor(0, 70, 180), 2);
    spikes.setCosmetic(true);
    StripHist->setTracePen(0, spikes);
    StripHist->onCursor([this](double x) { StripHist_Cursor(x); });
    StripHist->onScale([this] { StripHist_Scale(); });

    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("OK"));
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });

    auto* bottom = new QHBoxLayout;
    bottom->addLayout(panel_.layout);
    bottom->addStretch(1);
    bottom->addWidget(Command3D1, 0, Qt::AlignBottom);

    LayOutChartWindow(*this, StripHist, bottom);
}

void HistForm::Form_Load() { BuildHistogram(); }

bool HistForm::BuildHistogram() {
    StripChart& chart = *StripHist;
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
        panel_.clear();
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
    if (r.count) panel_.lblCursPosition->setText(ToQt(*r.count));
    panel_.lblHexValue->setText(ToQt(r.hex));
    panel_.lblDecValue->setText(ToQt(r.dec));
}

void HistForm::StripHist_Scale() {
    StripHist->setCaption(kHistXMinCaption, platform::Hex(platform::RoundHalfEven(StripHist->xAxisLowerShown())));
    StripHist->setCaption(kHistXMaxCaption, platform::Hex(platform::RoundHalfEven(StripHist->xAxisUpperShown())));
}

} // namespace qb::analysis
