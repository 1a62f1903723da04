#include "analysis/GraphForm.h"

#include <algorithm>
#include <cmath>
#include <span>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/ChartWindow.h"
#include "link/CodeCount.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/base/Numbers.h"
#include "platform/chart/StripChart.h"
#include "platform/base/Text.h"

namespace qb::analysis {

using platform::named;
using platform::StripChart;

GraphForm::GraphForm(const link::Context& ctx, QWidget* parent) : GraphForm(ctx.settings, parent, &ctx.messages) {
    rememberSize(ctx.preferences, "GraphForm");
}

GraphForm::GraphForm(const link::SharedSettings& settings, QWidget* parent, platform::MessageSink* messages)
    : Form(parent), settings_(settings),
      panel_({{"Label1", "Value :"}, {"lblDecCurs", "Dec:"}, {"lblCursHex", "Hex:"}, {"lblCursor", "Cursor Position :"}}) {
    StripGraph = MakeChartWindow(*this, "QB4160 Graph", "StripGraph",
                                 {{kGraphTitleCaption, platform::CaptionRole::Title, "Graph"},
                                  {kGraphXTitleCaption, platform::CaptionRole::XAxisTitle, "Code Read"},
                                  {kGraphYTitleCaption, platform::CaptionRole::YAxisTitle, "Value(Hex)"},
                                  {kGraphYMinCaption, platform::CaptionRole::YAxisLowEnd, "yMin"},
                                  {kGraphYMaxCaption, platform::CaptionRole::YAxisHighEnd, "yMax"}},
                                 messages);
    StripGraph->setTickNotation(Qt::Vertical, platform::TickNotation::Hex);
    // The y axis runs exactly between the codes its end texts name; the first and last reading
    // stay off the frame.
    StripGraph->setAxisMargins(Qt::Horizontal, 0.01, 0.01);
    StripGraph->onCursor([this](double x) { StripGraph_Cursor(x); });
    StripGraph->onScale([this] { StripGraph_Scale(); });

    GridCommand = platform::CommandButton("GridCommand", "Grid On");
    Command3D1 = platform::CommandButton("Command3D1", "Grid Off");
    GraphQuitCommand = platform::CommandButton("GraphQuitCommand", "Back...");
    connect(GridCommand, &QPushButton::clicked, this, [this] { GridCommand_Click(); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
    connect(GraphQuitCommand, &QPushButton::clicked, this, [this] { GraphQuitCommand_Click(); });

    auto* buttons = new QVBoxLayout;
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(GridCommand);
    gridRow->addWidget(Command3D1);
    buttons->addLayout(gridRow);
    buttons->addWidget(GraphQuitCommand, 0, Qt::AlignRight);

    auto* bottom = new QHBoxLayout;
    bottom->addLayout(panel_.layout);
    bottom->addStretch(1);
    bottom->addLayout(buttons);

    LayOutChartWindow(*this, StripGraph, bottom);
}

void GraphForm::Form_Load() { PlotCodes(); }

void GraphForm::PlotCodes() {
    StripChart& chart = *StripGraph;
    const int16_t n = settings_.CodesRead;
    // Index 0 holds no code and is not drawn; a buffer shorter than the count is drawn as far as
    // it goes.
    const std::size_t held = settings_.Codes.empty() ? 0 : link::CodesHeld(settings_.Codes, n) + 1;
    const std::span<const double> codes(settings_.Codes.data(), held);

    chart.clearTraces();
    chart.loadYSeries(codes, 0, 1);
    chart.setTraceScaleUpper(settings_.MaxCode);
    chart.setTraceScaleLower(settings_.MinCode);
    chart.setYAxisUpper(settings_.MaxCode);
    chart.setYAxisLower(settings_.MinCode);
    chart.setXRange(0, n);
    chart.setCaption(kGraphYMaxCaption, platform::Hex(chart.traceScaleUpper()));
    chart.setCaption(kGraphYMinCaption, platform::Hex(chart.traceScaleLower()));
    chart.redraw();
    StripGraph_Cursor(0);
}

void GraphForm::GridCommand_Click() { StripGraph->setGridMode(StripChart::kGridOn); }

void GraphForm::Command3D1_Click() { StripGraph->setGridMode(StripChart::kGridOff); }

void GraphForm::GraphQuitCommand_Click() { unload(); }

void GraphForm::StripGraph_Cursor(double /*x*/) {
    const double value = StripGraph->valueAtCursor(0);
    if (std::isnan(value)) {
        // No code under the cursor (an empty buffer): nothing to read out.
        panel_.lblDecValue->clear();
        panel_.lblHexValue->clear();
    } else {
        panel_.lblDecValue->setText(QString::fromStdString(platform::Str(value)));
        panel_.lblHexValue->setText(QString::fromStdString(platform::Hex(value)));
    }
    panel_.lblCursPosition->setText(QString::fromStdString(platform::Str(StripGraph->cursorPosition())));
}

void GraphForm::StripGraph_Scale() {
    StripGraph->setCaption(kGraphYMaxCaption,
                            platform::Hex(platform::RoundHalfEven(StripGraph->yAxisUpperShown())));
    StripGraph->setCaption(kGraphYMinCaption,
                            platform::Hex(platform::RoundHalfEven(StripGraph->yAxisLowerShown())));
}

} // namespace qb::analysis
