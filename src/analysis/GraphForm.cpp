#include "analysis/GraphForm.h"

#include <algorithm>
#include <cmath>
#include <span>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Controls.h"
#include "platform/FormWidgets.h"
#include "platform/Numbers.h"
#include "platform/StripChart.h"
#include "platform/Text.h"

namespace qb::analysis {

using platform::named;
using platform::StripChart;

GraphForm::GraphForm(const link::Context& ctx, QWidget* parent) : GraphForm(ctx.settings, parent, &ctx.messages) {}

GraphForm::GraphForm(const link::SharedSettings& settings, QWidget* parent, platform::MessageSink* messages)
    : Form(parent), settings_(settings) {
    setCaption("QB4160 Graph");
    setResizable(true);

    StripGraph_ = new StripChart("StripGraph");
    StripGraph_->setMinimumSize(640, 380);
    StripGraph_->setMessageSink(messages);
    StripGraph_->setCaptionRole(kGraphTitleCaption, platform::CaptionRole::Title);
    StripGraph_->setCaptionRole(kGraphXTitleCaption, platform::CaptionRole::XAxisTitle);
    StripGraph_->setCaptionRole(kGraphYTitleCaption, platform::CaptionRole::YAxisTitle);
    StripGraph_->setCaptionRole(kGraphYMinCaption, platform::CaptionRole::YAxisLowEnd);
    StripGraph_->setCaptionRole(kGraphYMaxCaption, platform::CaptionRole::YAxisHighEnd);
    StripGraph_->setCaption(kGraphTitleCaption, "Graph");
    StripGraph_->setCaption(kGraphXTitleCaption, "Code Read");
    StripGraph_->setCaption(kGraphYTitleCaption, "Value(Hex)");
    StripGraph_->setCaption(kGraphYMinCaption, "yMin");
    StripGraph_->setCaption(kGraphYMaxCaption, "yMax");
    StripGraph_->setTickNotation(Qt::Vertical, platform::TickNotation::Hex);
    // The y axis runs exactly between the codes its end texts name; the first and last reading
    // stay off the frame.
    StripGraph_->setAxisMargins(Qt::Horizontal, 0.01, 0.01);
    StripGraph_->setGridMode(StripChart::kGridOn);
    StripGraph_->onCursor([this](double x) { StripGraph_Cursor(x); });
    StripGraph_->onScale([this] { StripGraph_Scale(); });

    GridCommand_ = platform::CommandButton("GridCommand", "Grid On");
    Command3D1_ = platform::CommandButton("Command3D1", "Grid Off");
    GraphQuitCommand_ = platform::CommandButton("GraphQuitCommand", "Back...");
    connect(GridCommand_, &QPushButton::clicked, this, [this] { GridCommand_Click(); });
    connect(Command3D1_, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
    connect(GraphQuitCommand_, &QPushButton::clicked, this, [this] { GraphQuitCommand_Click(); });

    lblDecValue_ = platform::ReadoutLabel("lblDecValue");
    lblHexValue_ = platform::ReadoutLabel("lblHexValue");
    lblCursPosition_ = platform::ReadoutLabel("lblCursPosition");

    auto* values = new QGridLayout;
    values->addWidget(platform::CaptionLabel("Label1", "Value :"), 0, 0);
    values->addWidget(platform::CaptionLabel("lblDecCurs", "Dec:"), 0, 1, Qt::AlignRight);
    values->addWidget(lblDecValue_, 0, 2);
    values->addWidget(platform::CaptionLabel("lblCursHex", "Hex:"), 0, 3, Qt::AlignRight);
    values->addWidget(lblHexValue_, 0, 4);
    values->addWidget(platform::CaptionLabel("lblCursor", "Cursor Position :"), 1, 0, 1, 2);
    values->addWidget(lblCursPosition_, 1, 2);
    values->setColumnMinimumWidth(3, 36);

    auto* buttons = new QVBoxLayout;
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(GridCommand_);
    gridRow->addWidget(Command3D1_);
    buttons->addLayout(gridRow);
    buttons->addWidget(GraphQuitCommand_, 0, Qt::AlignRight);

    auto* bottom = new QHBoxLayout;
    bottom->addLayout(values);
    bottom->addStretch(1);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StripGraph_, 1);
    layout->addLayout(bottom);
}

void GraphForm::Form_Load() { PlotCodes(); }

void GraphForm::PlotCodes() {
    StripChart& chart = *StripGraph_;
    const int16_t n = settings_.CodesRead;
    // Index 0 holds no code and is not drawn; a buffer shorter than the count is drawn as far as
    // it goes.
    const std::size_t held = std::min(settings_.Codes.size(), static_cast<std::size_t>(std::max<int>(n, 0)) + 1);
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

void GraphForm::GridCommand_Click() { StripGraph_->setGridMode(StripChart::kGridOn); }

void GraphForm::Command3D1_Click() { StripGraph_->setGridMode(StripChart::kGridOff); }

void GraphForm::GraphQuitCommand_Click() { unload(); }

void GraphForm::StripGraph_Cursor(double /*x*/) {
    const double value = StripGraph_->valueAtCursor(0);
    if (std::isnan(value)) {
        // No code under the cursor (an empty buffer): nothing to read out.
        lblDecValue_->clear();
        lblHexValue_->clear();
    } else {
        lblDecValue_->setText(QString::fromStdString(platform::Str(value)));
        lblHexValue_->setText(QString::fromStdString(platform::Hex(value)));
    }
    lblCursPosition_->setText(QString::fromStdString(platform::Str(StripGraph_->cursorPosition())));
}

void GraphForm::StripGraph_Scale() {
    StripGraph_->setCaption(kGraphYMaxCaption,
                            platform::Hex(platform::RoundHalfEven(StripGraph_->yAxisUpperShown())));
    StripGraph_->setCaption(kGraphYMinCaption,
                            platform::Hex(platform::RoundHalfEven(StripGraph_->yAxisLowerShown())));
}

} // namespace qb::analysis
