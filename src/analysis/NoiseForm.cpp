#include "analysis/NoiseForm.h"

#include <filesystem>
#include <initializer_list>
#include <system_error>
#include <utility>

#include <QFileDialog>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/CodesCsv.h"
#include "analysis/FiguresForm.h"
#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "analysis/NoiseSpectrum.h"
#include "analysis/ResolutionFigures.h"
#include "analysis/SpectrumForm.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/base/Preferences.h"
#include "platform/base/SafeSave.h"

namespace qb::analysis {

using platform::named;

NoiseForm::NoiseForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160 Noise Analysis");

    auto* Frame1 = named(new QGroupBox, "Frame1");
    auto* NoiseLable = platform::TitleLabel("NoiseLable", QString::fromUtf8(kNoiseTitle));
    (new QVBoxLayout(Frame1))->addWidget(NoiseLable);

    // A frame of caption / value rows.
    std::map<std::string, QGroupBox*, std::less<>> boxes;
    for (const NoiseFrame& f : NoiseFrames()) {
        auto* box = named(new QGroupBox(QString::fromUtf8(f.caption)), f.name);
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(0, 1);
        int r = 0;
        for (const NoiseRow& row : f.rows) {
            grid->addWidget(named(new QLabel(QString::fromUtf8(row.caption)), row.captionName), r, 0);
            QLabel* value = platform::ReadoutLabel(row.valueName, QString::fromUtf8(kNoiseLabelPlaceholder.data(), qsizetype(kNoiseLabelPlaceholder.size())), 130);
            values_.emplace(row.valueName, value);
            grid->addWidget(value, r, 1);
            if (row.hexName)
                grid->addWidget(named(new QLabel(QString::fromUtf8(kHexCaption)), row.hexName), r, 2);
            ++r;
        }
        boxes.emplace(f.name, box);
    }
    QGroupBox* Frame2 = boxes.at("Frame2");
    QGroupBox* Frame3 = boxes.at("Frame3");
    QGroupBox* Frame4 = boxes.at("Frame4");
    QGroupBox* Frame5 = boxes.at("Frame5");
    QGroupBox* Frame6 = boxes.at("Frame6");

    auto* NoisePlotCommand = platform::CommandButton("NoisePlotCommand", "Plot Graph", 120);
    auto* NoiseHisCommand = platform::CommandButton("NoiseHisCommand", "Plot Histogram", 120);
    auto* Command3D1 = platform::CommandButton("Command3D1", "Back...", 120);
    auto* SpectrumCommand = platform::CommandButton("SpectrumCommand", tr("Noise Spectrum..."), 120);
    auto* MoreCommand = platform::CommandButton("MoreCommand", tr("More..."), 120);
    auto* CsvCommand = platform::CommandButton("CsvCommand", tr("Save as CSV..."), 120);

    // The charts on one row; the figures, the CSV file and "Back..." on the next.
    auto* buttons = new QGridLayout;
    buttons->addWidget(NoisePlotCommand, 0, 0);
    buttons->addWidget(NoiseHisCommand, 0, 1);
    buttons->addWidget(SpectrumCommand, 0, 2);
    buttons->addWidget(MoreCommand, 1, 0);
    buttons->addWidget(CsvCommand, 1, 1);
    buttons->addWidget(Command3D1, 1, 2);
    // The keyboard goes through the buttons as they are read, row by row.
    QWidget* order[] = {NoisePlotCommand, NoiseHisCommand, SpectrumCommand, MoreCommand, CsvCommand, Command3D1};
    for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);

    // Conditions beside the resolution in counts, the results in codes beside the results in
    // volts, the noise-free resolution with the buttons below.
    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame1, 0, 0, 1, 2);
    grid->addWidget(Frame2, 1, 0);
    grid->addWidget(Frame4, 1, 1);
    grid->addWidget(Frame3, 2, 0);
    grid->addWidget(Frame5, 2, 1);
    grid->addWidget(Frame6, 3, 0);
    grid->addLayout(buttons, 3, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(NoisePlotCommand, &QPushButton::clicked, this, [this] { NoisePlotCommand_Click(); });
    connect(NoiseHisCommand, &QPushButton::clicked, this, [this] { NoiseHisCommand_Click(); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
    connect(SpectrumCommand, &QPushButton::clicked, this, [this] { SpectrumCommand_Click(); });
    connect(MoreCommand, &QPushButton::clicked, this, [this] { MoreCommand_Click(); });
    connect(CsvCommand, &QPushButton::clicked, this, [this] { CsvCommand_Click(); });
}

void NoiseForm::Form_Load() {
    ComputeNoiseStatistics();
    ShowNoiseResults();
}

void NoiseForm::ComputeNoiseStatistics() { analysis::ComputeNoiseStatistics(ctx_.settings); }

void NoiseForm::ShowNoiseResults() {
    const NoiseLabels labels = analysis::ShowNoiseResults(ctx_.settings);
    for (const auto& [name, text] : labels.Entries()) {
        if (!text) continue;  // a voltage too large to show: the label keeps its text
        const auto it = values_.find(name);
        if (it != values_.end()) it->second->setText(QString::fromStdString(*text));
    }
}

void NoiseForm::NoisePlotCommand_Click() { openGraph(); }

void NoiseForm::NoiseHisCommand_Click() {
    const link::SharedSettings& s = ctx_.settings;
    if (HistogramAllowed(s.MaxCode, s.MinCode, s.WordLengthBits)) openHistogram();
}

void NoiseForm::Command3D1_Click() { unload(); }

void NoiseForm::SpectrumCommand_Click() {
    const link::SharedSettings& s = ctx_.settings;
    const auto spectrum = ComputeNoiseSpectrum(s.Codes, s.CodesRead, DataFormatOf(s), SampleRateOf(s));
    if (!spectrum.ok()) {
        ctx_.messages.exclamation("There is no noise spectrum: " + spectrum.error() + ".");
        return;
    }
    openSpectrum();
}

void NoiseForm::MoreCommand_Click() { openFigures(); }

void NoiseForm::CsvCommand_Click() {
    const std::optional<std::string> path = chooseCsvFile();
    if (!path) return;
    const platform::Result<> saved = platform::SaveFileSafely(*path, CodesCsv(ctx_.settings));
    if (!saved.ok()) {
        ctx_.messages.exclamation("The codes could not be written to " + *path + ": " + saved.error() + ".");
        return;
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(*path, ec).parent_path();
    if (!ec) platform::Remember(ctx_.preferences, platform::kLastFolderPreference, folder.string());
}

void NoiseForm::openSpectrum() {
    SpectrumForm form(ctx_, this);
    form.showModal();
}

void NoiseForm::openFigures() {
    FiguresForm form(ctx_, this);
    form.showModal();
}

std::optional<std::string> NoiseForm::chooseCsvFile() {
    QFileDialog dialog(this, tr("Save the codes as CSV"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("CSV files (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (const auto folder = platform::Remembered(ctx_.preferences, platform::kLastFolderPreference))
        dialog.setDirectory(QString::fromStdString(*folder));
    dialog.selectFile(QStringLiteral("Codes.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
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
