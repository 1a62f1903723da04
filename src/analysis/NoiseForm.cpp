#include "analysis/NoiseForm.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/AllanDeviation.h"
#include "analysis/AllanForm.h"
#include "analysis/CodesCsv.h"
#include "analysis/FiguresForm.h"
#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"
#include "analysis/SpectrumForm.h"
#include "link/CodeCount.h"
#include "link/Conditions.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FileDialogs.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/base/Preferences.h"
#include "platform/base/SafeSave.h"

namespace qb::analysis {

using platform::named;

namespace {

constexpr int kValueWidth = 130;    // a figure's value box
constexpr int kCommandWidth = 120;

} // namespace

NoiseForm::NoiseForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160 Noise Analysis");
    QGroupBox* Frame1 = platform::TitleFrame("Frame1", "NoiseLable", QString::fromUtf8(kNoiseTitle));
    const FigureFrames frames = makeFigureFrames();
    QGridLayout* buttons = makeButtons();
    lblConditions = platform::CaptionLabel("lblConditions", {});
    layOut(Frame1, frames, buttons);
}

// A frame of caption / value rows for each group of figures.
NoiseForm::FigureFrames NoiseForm::makeFigureFrames() {
    FigureFrames boxes;
    for (const NoiseFrame& f : NoiseFrames()) {
        auto* box = named(new QGroupBox(QString::fromUtf8(f.caption)), f.name);
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(0, 1);
        int r = 0;
        for (const NoiseRow& row : f.rows) {
            grid->addWidget(named(new QLabel(QString::fromUtf8(row.caption)), row.captionName), r, 0);
            QLabel* value = platform::ReadoutLabel(row.valueName, QString::fromUtf8(row.caption), platform::ToQt(kNoiseLabelPlaceholder), kValueWidth);
            values_.emplace(row.valueName, value);
            grid->addWidget(value, r, 1);
            if (row.hexName)
                grid->addWidget(named(new QLabel(QString::fromUtf8(kHexCaption)), row.hexName), r, 2);
            ++r;
        }
        grid->setRowStretch(r, 1);  // a frame taller than its rows keeps them at the top, at their height
        boxes.emplace(f.name, box);
    }
    return boxes;
}

// The charts on one row; the figures, the CSV file and "Back..." on the next. The keyboard goes
// through the buttons as they are read, row by row.
QGridLayout* NoiseForm::makeButtons() {
    const struct { const char* name; QString caption; void (NoiseForm::*handler)(); } all[] = {
        {"NoisePlotCommand", QStringLiteral("Plot Graph"), &NoiseForm::NoisePlotCommand_Click},
        {"NoiseHisCommand", QStringLiteral("Plot Histogram"), &NoiseForm::NoiseHisCommand_Click},
        {"SpectrumCommand", tr("Noise Spectrum..."), &NoiseForm::SpectrumCommand_Click},
        {"AllanCommand", tr("Allan Deviation..."), &NoiseForm::AllanCommand_Click},
        {"MoreCommand", tr("More..."), &NoiseForm::MoreCommand_Click},
        {"CsvCommand", tr("Save as CSV..."), &NoiseForm::CsvCommand_Click},
        {"Command3D1", QStringLiteral("Back..."), &NoiseForm::Command3D1_Click}};
    auto* buttons = new QGridLayout;
    QWidget* previous = nullptr;
    int at = 0;
    for (const auto& b : all) {
        QPushButton* button = platform::CommandButton(b.name, b.caption, kCommandWidth);
        button->setParent(this);  // in the window already, so that the tab order can name it
        connect(button, &QPushButton::clicked, this, [this, handler = b.handler] { (this->*handler)(); });
        // "Back..." at the end of a row of its own.
        buttons->addWidget(button, at / 3, std::strcmp(b.name, "Command3D1") == 0 ? 2 : at % 3);
        if (previous) QWidget::setTabOrder(previous, button);
        previous = button;
        ++at;
    }
    return buttons;
}

// Conditions beside the resolution in counts, the results in codes beside the results in volts,
// the noise-free resolution with the buttons below.
void NoiseForm::layOut(QGroupBox* Frame1, const FigureFrames& frames, QGridLayout* buttons) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame1, 0, 0, 1, 2);
    grid->addWidget(frames.at("Frame2"), 1, 0);
    grid->addWidget(frames.at("Frame4"), 1, 1);
    grid->addWidget(frames.at("Frame3"), 2, 0);
    grid->addWidget(frames.at("Frame5"), 2, 1);
    grid->addWidget(frames.at("Frame6"), 3, 0);
    grid->addLayout(buttons, 3, 1, Qt::AlignBottom);
    grid->addWidget(lblConditions, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

void NoiseForm::Form_Load() {
    ComputeNoiseStatistics();
    ShowNoiseResults();
    ShowConditions();
}

void NoiseForm::ShowConditions() {
    const link::SharedSettings& s = ctx_.settings;
    const QString line = platform::ToQt(ConditionsLine(DataFormatOf(s), SampleRateOf(s), ConditionsSourceOf(s)));
    lblConditions->setText(line);
    lblConditions->setAccessibleName(line);
}

void NoiseForm::ComputeNoiseStatistics() { analysis::ComputeNoiseStatistics(ctx_.settings); }

void NoiseForm::ShowNoiseResults() {
    const NoiseLabels labels = analysis::ShowNoiseResults(ctx_.settings);
    for (const auto& [name, text] : labels.Entries()) {
        if (!text) continue;  // a voltage too large to show: the label keeps its text
        const auto it = values_.find(name);
        if (it != values_.end()) it->second->setText(platform::ToQt(*text));
    }
}

void NoiseForm::NoisePlotCommand_Click() { openGraph(); }

void NoiseForm::NoiseHisCommand_Click() {
    const link::SharedSettings& s = ctx_.settings;
    if (HistogramAllowed(s.MaxCode, s.MinCode, DataFormatOf(s).WordLengthBits)) openHistogram();
}

void NoiseForm::Command3D1_Click() { unload(); }

void NoiseForm::SpectrumCommand_Click() {
    const auto spectrum = ComputeNoiseSpectrum(ctx_.settings);
    if (!spectrum.ok()) {
        ctx_.messages.exclamation("There is no noise spectrum: " + spectrum.error() + ".");
        return;
    }
    openSpectrum();
}

void NoiseForm::AllanCommand_Click() {
    const link::SharedSettings& s = ctx_.settings;
    const auto points = ComputeAllanDeviation(link::HeldCodes(s.Codes, s.CodesRead), DataFormatOf(s), SampleRateOf(s));
    if (!points.ok()) {
        ctx_.messages.exclamation("There is no Allan deviation: " + points.error() + ".");
        return;
    }
    openAllan();
}

void NoiseForm::MoreCommand_Click() { openFigures(); }

void NoiseForm::CsvCommand_Click() {
    const std::optional<std::string> path = chooseCsvFile();
    if (!path) return;
    const link::SharedSettings& s = ctx_.settings;
    const std::string csv = CodesCsv(link::HeldCodes(s.Codes, s.CodesRead), link::BufferConditions(ctx_), s.CodesCapturedAt);
    const platform::Result<> saved = platform::SaveFileSafely(*path, csv);
    if (!saved.ok()) {
        ctx_.messages.exclamation("The codes could not be written to " + *path + ": " + saved.error() + ".");
        return;
    }
    platform::RememberFolderOf(ctx_.preferences, *path);
}

void NoiseForm::openSpectrum() {
    SpectrumForm form(ctx_, this);
    form.showModal();
}

void NoiseForm::openAllan() {
    AllanForm form(ctx_, this);
    form.showModal();
}

void NoiseForm::openFigures() {
    FiguresForm form(ctx_, this);
    form.showModal();
}

std::optional<std::string> NoiseForm::chooseCsvFile() {
    return platform::ChooseFile(
        this, {tr("Save the codes as CSV"), tr("CSV files (*.csv)"), QStringLiteral("csv"), QStringLiteral("Codes.csv")},
        ctx_.preferences);
}

void NoiseForm::openGraph() {
    GraphForm form(ctx_, this);
    form.showModal();
}

void NoiseForm::openHistogram() {
    HistForm form(ctx_, this);
    form.showModal();
}

} // namespace qb::analysis
