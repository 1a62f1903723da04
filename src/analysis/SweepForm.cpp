#include "analysis/SweepForm.h"

#include <filesystem>
#include <system_error>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/AnalysisRead.h"
#include "analysis/ChartImages.h"
#include "analysis/SweepChart.h"
#include "analysis/SweepText.h"
#include "link/FilterRate.h"
#include "link/Register.h"
#include "platform/base/Numbers.h"
#include "platform/base/Preferences.h"
#include "platform/base/SafeSave.h"
#include "platform/base/Text.h"
#include "platform/chart/LogLogChart.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"

namespace qb::analysis {

using platform::ToQt;

namespace {

constexpr int kProgressSteps = 1000;
constexpr QSize kSweepChartLeast(520, 300);
constexpr int kTableLeastHeight = 170;
constexpr int kEntryWidth = 150;

// The table's columns: heading, and the text of a row's cell.
struct Column {
    const char* heading;
    std::string (*text)(const SweepRow&);
};
std::string figure(const Figure& f, double scale, const char* picture) {
    return f.value ? platform::Format(*f.value * scale, picture) : "-";
}
const Column kColumns[] = {
    {"Range (mV)", [](const SweepRow& r) { return std::to_string(r.setting.rangeMv); }},
    {"Chop", [](const SweepRow& r) { return std::string(r.setting.chop ? "on" : "off"); }},
    {"Rate (Hz)", [](const SweepRow& r) { return platform::Format(r.setting.rateHz, "0.00"); }},
    {"RMS noise (nV)", [](const SweepRow& r) { return figure(r.figures.rmsNoiseV, 1e9, "0.0") + (r.clipped ? "*" : ""); }},
    {"RMS noise (LSB)", [](const SweepRow& r) { return figure(r.figures.rmsNoiseLsb, 1, "0.00"); }},
    {"Pk-pk noise (LSB)", [](const SweepRow& r) { return figure(r.figures.peakToPeakNoiseLsb, 1, "0"); }},
    {"Effective res. (bits)", [](const SweepRow& r) { return figure(r.figures.effectiveResolutionBits, 1, "0.0"); }},
    {"Noise-free res. (bits)", [](const SweepRow& r) { return figure(r.figures.noiseFreeResolutionBits, 1, "0.0"); }},
};

} // namespace

SweepForm::SweepForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160 Noise Sweep");
    setResizable(true);
    rememberSize(ctx.preferences, "SweepForm");
    makeResults();
    layOut(makeButtons());
    setRunning(false);
}

QGroupBox* SweepForm::makeRangeFrame() {
    auto* frame = new QGroupBox(tr("Input Ranges"));
    frame->setObjectName("RangeFrame");
    auto* column = new QVBoxLayout(frame);
    for (int16_t mv : kSweepRangesMv) {
        auto* box = new QCheckBox(ToQt("\u00B1" + std::to_string(mv) + " mV"));
        box->setObjectName(ToQt("range" + std::to_string(mv)));
        box->setChecked(true);
        ranges_.push_back(box);
        column->addWidget(box);
    }
    return frame;
}

QGroupBox* SweepForm::makeRateFrame() {
    auto* frame = new QGroupBox(tr("Rates and Codes"));
    frame->setObjectName("RateFrame");
    txtRates = new QLineEdit;
    txtRates->setObjectName("txtRates");
    txtRates->setPlaceholderText(tr("about ten across the span"));
    txtRates->setMinimumWidth(kEntryWidth);
    txtCount = new QLineEdit(QString::number(kDefaultSweepCodes));
    txtCount->setObjectName("txtCount");
    auto* form = new QGridLayout(frame);
    const std::pair<QString, QLineEdit*> rows[] = {{tr("Output &rates (Hz):"), txtRates},
                                                   {tr("Codes per &setting:"), txtCount}};
    for (int i = 0; i < 2; ++i) {
        auto* caption = platform::CaptionLabel(i == 0 ? "lblRates" : "lblCount", rows[i].first);
        caption->setBuddy(rows[i].second);
        rows[i].second->setAccessibleName(QString(rows[i].first).remove('&').remove(':'));
        form->addWidget(caption, i, 0);
        form->addWidget(rows[i].second, i, 1);
    }
    return frame;
}

QGroupBox* SweepForm::makeChopFrame() {
    auto* frame = new QGroupBox(tr("Chopping"));
    frame->setObjectName("ChopFrame");
    auto* column = new QVBoxLayout(frame);
    chopGroup_ = new QButtonGroup(frame);
    const std::pair<const char*, ChopChoice> choices[] = {{"As the converter holds it", ChopChoice::Held},
                                                          {"Off", ChopChoice::Off},
                                                          {"On", ChopChoice::On},
                                                          {"Off, then on", ChopChoice::Both}};
    for (const auto& [caption, choice] : choices) {
        auto* option = new QRadioButton(tr(caption));
        option->setObjectName(ToQt("chop" + std::to_string(int(choice))));
        option->setChecked(choice == ChopChoice::Held);
        chopGroup_->addButton(option, int(choice));
        column->addWidget(option);
    }
    return frame;
}

void SweepForm::makeResults() {
    SweepChart = new platform::LogLogChart("SweepChart");
    SweepChart->setMinimumSize(kSweepChartLeast);
    DrawSweep(*SweepChart, {});
    SweepTable = new QTableWidget(0, int(std::size(kColumns)));
    SweepTable->setObjectName("SweepTable");
    SweepTable->setAccessibleName(tr("Sweep results"));
    SweepTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SweepTable->verticalHeader()->setVisible(false);
    SweepTable->setMinimumHeight(kTableLeastHeight);
    QStringList headings;
    for (const Column& c : kColumns) headings << tr(c.heading);
    SweepTable->setHorizontalHeaderLabels(headings);
    SweepTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Wide enough for every column beside the scroll bar.
    SweepTable->setMinimumWidth(SweepTable->horizontalHeader()->length() +
                                SweepTable->verticalScrollBar()->sizeHint().width() + 2 * SweepTable->frameWidth());
    SweepProgress = new QProgressBar;
    SweepProgress->setObjectName("SweepProgress");
    SweepProgress->setAccessibleName(tr("Progress"));
    SweepProgress->setRange(0, kProgressSteps);
    lblStatus = platform::CaptionLabel("lblStatus", {});
    lblStatus->setWordWrap(true);
}

QLayout* SweepForm::makeButtons() {
    const struct {
        const char* name;
        QString caption;
        void (SweepForm::*handler)();
        QPushButton** button;
    } all[] = {{"RunCommand", tr("R&un"), &SweepForm::RunCommand_Click, &RunCommand},
               {"StopCommand", tr("S&top"), &SweepForm::StopCommand_Click, &StopCommand},
               {"CsvCommand", tr("Save as &CSV..."), &SweepForm::CsvCommand_Click, &CsvCommand},
               {"ImageCommand", tr("Save &Image..."), &SweepForm::ImageCommand_Click, &ImageCommand},
               {"Command3D1", tr("&Back..."), &SweepForm::Command3D1_Click, &Command3D1}};
    auto* row = new QHBoxLayout;
    for (const auto& b : all) {
        *b.button = platform::CommandButton(b.name, b.caption);
        connect(*b.button, &QPushButton::clicked, this, [this, handler = b.handler] { (this->*handler)(); });
        if (b.button == &Command3D1) row->addStretch(1);
        row->addWidget(*b.button);
    }
    return row;
}

// The choices in a column beside the chart, the table below both, then progress and buttons.
void SweepForm::layOut(QLayout* buttons) {
    auto* choices = new QVBoxLayout;
    for (QGroupBox* frame : {makeRangeFrame(), makeRateFrame(), makeChopFrame()}) choices->addWidget(frame);
    choices->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addLayout(choices, 0, 0);
    grid->addWidget(SweepChart, 0, 1);
    grid->addWidget(SweepTable, 1, 0, 1, 2);
    grid->addWidget(SweepProgress, 2, 0, 1, 2);
    grid->addWidget(lblStatus, 3, 0, 1, 2);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
}

platform::Result<SweepPlan> SweepForm::planFromControls() const {
    SweepPlan plan;
    plan.rangesMv.clear();
    for (std::size_t i = 0; i < ranges_.size(); ++i)
        if (ranges_[i]->isChecked()) plan.rangesMv.push_back(kSweepRangesMv[i]);
    if (plan.rangesMv.empty()) return platform::Fail("Choose at least one input range.");
    if (const std::string rates = txtRates->text().trimmed().toStdString(); !rates.empty()) {
        auto parsed = ParseRates(rates);
        if (!parsed.ok()) return platform::Fail("Output rates: " + parsed.error() + ".");
        plan.ratesHz = *parsed;
    }
    const std::optional<int16_t> count = ParseCodeCount(txtCount->text().toStdString());
    plan.codes = count.value_or(0);
    plan.chop = static_cast<ChopChoice>(chopGroup_->checkedId());
    return plan;
}

void SweepForm::RunCommand_Click() {
    if (running_) return;
    const platform::Result<SweepPlan> plan = planFromControls();
    if (!plan.ok()) return ctx_.messages.exclamation(plan.error());
    // Chopping as the converter holds it now.
    link::Register filter(ctx_);
    filter.setReadAddress(link::comms::kFilterRead);
    filter.setWordLength(link::comms::kFilterBits);
    ctx_.settings.FilterRegValue = platform::ToInt32(filter.ReadReg()).value_or(0);
    const auto settings = PlanSettings(*plan, ctx_.settings.MasterClockHz, link::ChopOf(ctx_.settings.FilterRegValue));
    if (!settings.ok()) return ctx_.messages.exclamation(settings.error() + ".");

    rows_.clear();
    SweepTable->setRowCount(0);
    DrawSweep(*SweepChart, rows_);
    stopAsked_ = false;
    setRunning(true);
    lblStatus->setText(tr("Measuring %1 settings...").arg(settings->size()));
    SweepHooks hooks;
    hooks.afterEachResult = [this](double done) {
        SweepProgress->setValue(int(done * kProgressSteps));
        return doEvents() && !stopAsked_;
    };
    hooks.rowDone = [this](const SweepRow& row) { addRow(row); };
    const link::Context run = link::WithStopHook(ctx_, [this] { return !doEvents() || stopAsked_; });
    const SweepResult result = RunSweep(run, *settings, plan->codes, hooks);
    setRunning(false);

    lblStatus->setText(ToQt(std::to_string(rows_.size()) + " of " + std::to_string(settings->size()) +
                            " settings measured" + (result.outcome == SweepOutcome::Stopped ? " before the stop" : "") +
                            "; mode " + platform::Hex(result.after.mode) + " and filter " +
                            platform::Hex(result.after.filter) + " are back."));
    if (result.outcome == SweepOutcome::Failed) ctx_.messages.exclamation(result.failure);
    if (closeAsked_) unload();
}

void SweepForm::StopCommand_Click() { stopAsked_ = true; }

void SweepForm::addRow(const SweepRow& row) {
    rows_.push_back(row);
    const int at = SweepTable->rowCount();
    SweepTable->insertRow(at);
    for (int c = 0; c < int(std::size(kColumns)); ++c) {
        auto* item = new QTableWidgetItem(ToQt(kColumns[c].text(row)));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        SweepTable->setItem(at, c, item);
    }
    SweepTable->scrollToBottom();
    DrawSweep(*SweepChart, rows_);
}

void SweepForm::setRunning(bool running) {
    running_ = running;
    for (QWidget* w : std::initializer_list<QWidget*>{RunCommand, CsvCommand, ImageCommand, Command3D1, txtRates, txtCount})
        w->setEnabled(!running);
    for (QAbstractButton* b : chopGroup_->buttons()) b->setEnabled(!running);
    for (QCheckBox* b : ranges_) b->setEnabled(!running);
    StopCommand->setEnabled(running);
    if (running) StopCommand->setFocus();
}

void SweepForm::CsvCommand_Click() {
    if (rows_.empty()) return ctx_.messages.exclamation("There are no rows to save: run the sweep first.");
    const std::optional<std::string> path = chooseCsvFile();
    if (!path) return;
    if (const platform::Result<> saved = platform::SaveFileSafely(*path, SweepCsv(rows_)); !saved.ok())
        return ctx_.messages.exclamation("The rows could not be written to " + *path + ": " + saved.error() + ".");
    remember(*path);
}

void SweepForm::ImageCommand_Click() {
    const std::optional<std::string> path = chooseImageFile();
    if (!path) return;
    const std::optional<platform::ChartImageFormat> format = platform::ImageFormatOf(*path);
    const platform::Result<> saved = format ? SweepChart->saveImage(*path, *format, kChartImageWidth, kChartImageHeight)
                                            : platform::Result<>(platform::Fail(kImageNameMessage));
    if (!saved.ok()) return ctx_.messages.exclamation("The chart could not be written to " + *path + ": " + saved.error() + ".");
    remember(*path);
}

void SweepForm::Command3D1_Click() { unload(); }

void SweepForm::Form_QueryUnload(bool& cancel) {
    // A running sweep first puts the registers back; the window closes when it has.
    if (!running_) return;
    stopAsked_ = closeAsked_ = true;
    cancel = true;
}

void SweepForm::remember(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    if (!ec) platform::Remember(ctx_.preferences, platform::kLastFolderPreference, folder.string());
}

std::optional<std::string> SweepForm::chooseFile(const QString& title, const QStringList& filters, const char* name) {
    QFileDialog dialog(this, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString(name).section('.', -1));
    if (const auto folder = platform::Remembered(ctx_.preferences, platform::kLastFolderPreference))
        dialog.setDirectory(ToQt(*folder));
    dialog.selectFile(QString(name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> SweepForm::chooseCsvFile() {
    return chooseFile(tr("Save the sweep as CSV"), {tr("CSV files (*.csv)")}, "Sweep.csv");
}

std::optional<std::string> SweepForm::chooseImageFile() {
    return chooseFile(tr("Save the chart"), {tr("PNG images (*.png)"), tr("PDF documents (*.pdf)")}, "Sweep.png");
}

} // namespace qb::analysis
