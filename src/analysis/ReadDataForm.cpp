#include "analysis/ReadDataForm.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/AnalysisRead.h"
#include "analysis/LiveView.h"
#include "analysis/NoiseForm.h"
#include "analysis/ResolutionFigures.h"
#include "link/Serial.h"
#include "platform/widgets/AnyKeyStops.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/base/Numbers.h"
#include "platform/base/Preferences.h"
#include "platform/base/Text.h"
#include "platform/widgets/Wait.h"

namespace qb::analysis {

using platform::named;

namespace {

inline constexpr const char* kDelayCaption = "Delay between reads (mS)";
constexpr int kValueWidth = 110;     // a number box
constexpr int kButtonWidth = 170;
constexpr int kProgressWidth = 200;

// A right-aligned box for a number, as wide as the longest the window takes.
platform::TextBox* valueBox(const char* name, const char* text) {
    auto* box = new platform::TextBox(name, QString::fromUtf8(text));
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(kValueWidth);
    return box;
}

} // namespace

ReadDataForm::ReadDataForm(const link::Context& ctx, QWidget* parent)
    : Form(parent), ctx_(ctx),
      // A wait for the next result lets the window's events run now and then, so a key press or
      // the close box (which clear Reading) ends it within milliseconds.
      data_(link::WithStopHook(ctx, [this] {
          if (!letEventsRun()) Reading = false;
          return !Reading;
      })) {
    setCaption("QB4160 Read Data");

    QGroupBox* Frame1 = platform::TitleFrame("Frame1", "Label3", QStringLiteral("Read Data"));
    QGroupBox* Frame3 = makeDisplayFrame();
    QGroupBox* Frame2 = makeAnalysisFrame();
    makeStatusLine();
    makeButtons();
    Timer1 = new platform::MsTimer("Timer1", this);
    layOut(Frame1, Frame3, Frame2);
    connectHandlers();
}

// Display read: the current code and the pause between reads.
QGroupBox* ReadDataForm::makeDisplayFrame() {
    currentcode = valueBox("currentcode", "0");
    currentcode->setReadOnly(true);
    Text1 = valueBox("Text1", "0");
    return captionedRows("Frame3", {{"Label1", "Current Code", currentcode}, {"Label2", kDelayCaption, Text1}});
}

// Analysis read: the number of codes.
QGroupBox* ReadDataForm::makeAnalysisFrame() {
    ReadNoValueText = valueBox("ReadNoValueText", "500");
    return captionedRows("Frame2", {{"ReadNoLable", "Number of codes to read", ReadNoValueText}});
}

QGroupBox* ReadDataForm::captionedRows(const char* name, std::initializer_list<CaptionedBox> rows) {
    auto* frame = named(new QGroupBox, name);
    auto* grid = new QGridLayout(frame);
    // Both frames' boxes line up below each other, right of the longest caption.
    grid->setColumnMinimumWidth(0, fontMetrics().horizontalAdvance(QString::fromUtf8(kDelayCaption)));
    int row = 0;
    for (const CaptionedBox& r : rows) {
        auto* caption = named(new QLabel(QString::fromUtf8(r.caption)), r.captionName);
        caption->setBuddy(r.box);
        grid->addWidget(caption, row, 0);
        grid->addWidget(r.box, row, 1);
        ++row;
    }
    return frame;
}

// The status line and the progress of an analysis read, which keeps its place while hidden.
void ReadDataForm::makeStatusLine() {
    StopReadingText = new platform::TextBox("StopReadingText");
    StopReadingText->setReadOnly(true);
    StopReadingText->setFocusPolicy(Qt::NoFocus);
    StopReadingText->setAlignment(Qt::AlignCenter);
    ReadProgress = named(new QProgressBar, "ReadProgress");
    ReadProgress->setFormat(QStringLiteral("%v of %m codes"));
    ReadProgress->setTextVisible(true);
    ReadProgress->setMinimumWidth(kProgressWidth);
    platform::KeepPlaceWhenHidden(ReadProgress)->hide();
}

void ReadDataForm::makeButtons() {
    Command3D1 = platform::CommandButton("Command3D1", "Read Data for Analysis", kButtonWidth);
    readbutton = platform::CommandButton("readbutton", "Read Data for Display", kButtonWidth);
    Command3D2 = platform::CommandButton("Command3D2", "Noise Analysis", kButtonWidth);
    ReadMenuCommand = platform::CommandButton("ReadMenuCommand", "Back...", kButtonWidth);
    StopCommand = platform::CommandButton("StopCommand", tr("Stop"));
    StopCommand->setEnabled(false);
}

// The title; each read's frame with its button beside it; the status line; the noise analysis
// and the way back.
void ReadDataForm::layOut(QGroupBox* Frame1, QGroupBox* Frame3, QGroupBox* Frame2) {
    auto* reads = new QGridLayout;
    reads->addWidget(Frame3, 0, 0);
    reads->addWidget(readbutton, 0, 1, Qt::AlignVCenter);
    reads->addWidget(Frame2, 1, 0);
    reads->addWidget(Command3D1, 1, 1, Qt::AlignVCenter);

    auto* status = new QHBoxLayout;
    status->addWidget(StopReadingText, 1);
    status->addWidget(ReadProgress);
    status->addWidget(StopCommand);

    live_ = new LiveView;
    auto* page = new QVBoxLayout(this);
    page->addWidget(Frame1);
    page->addLayout(reads);
    page->addLayout(status);
    page->addWidget(live_, 1);
    page->addLayout(platform::ButtonRow(Command3D2, ReadMenuCommand));
}

void ReadDataForm::connectHandlers() {
    connect(readbutton, &QPushButton::clicked, this, [this] { readbutton_Click(); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
    connect(Command3D2, &QPushButton::clicked, this, [this] { Command3D2_Click(); });
    connect(ReadMenuCommand, &QPushButton::clicked, this, [this] { ReadMenuCommand_Click(); });
    connect(StopCommand, &QPushButton::clicked, this, [this] { StopCommand_Click(); });
    // While a read runs, any key ends it (the keys that type nothing too: the user is told to
    // press any key).
    new platform::AnyKeyStops(this, [this] { return Reading; }, [this] { Reading = false; });

    // Enter in a box starts its read.
    ReadNoValueText->onKeyPress([this](int& key) {
        if (key != 13 || Reading) return;
        key = 0;
        Command3D1->setFocus();
        Command3D1_Click();
    });
    Text1->onKeyPress([this](int& key) {
        if (key != 13 || Reading) return;
        key = 0;
        if (Text1->text().isEmpty()) Text1->setStr("0");
        readbutton->setFocus();
        readbutton_Click();
    });
}

void ReadDataForm::Form_Load() {
    Reading = false;
    data_.setReadAddress(link::comms::kStartContinuousRead);
    data_.setWordLength(ctx_.settings.WordLengthBits);
    ReadNoValueText->setStr("500");
    // The count of the last analysis read, when the user's choices are remembered.
    if (const auto count = platform::Remembered(ctx_.preferences, kCountPreference))
        if (const auto parsed = ParseCodeCount(*count); parsed && link::CodeCountAllowed(*parsed))
            ReadNoValueText->setStr(std::to_string(*parsed));
    StopReadingText->setStr("");
}

void ReadDataForm::Form_QueryUnload(bool& /*cancel*/) {
    // The window closes; a running read ends at its next check and still leaves continuous
    // reading properly.
    Reading = false;
}

bool ReadDataForm::letEventsRun() { return turns_.run(); }

void ReadDataForm::showStatus(const char* text) {
    StopReadingText->setStr(text);
    StopReadingText->repaint();
}

int16_t ReadDataForm::PauseMs() const {
    const double typed = platform::Val(Text1->str());
    const double clamped = std::clamp(platform::RoundHalfEven(typed), 0.0, double{kMaxPauseMs});
    return static_cast<int16_t>(clamped);
}

void ReadDataForm::readbutton_Click() {
    if (Reading) return;
    if (!CheckContinuousMode(ctx_)) return;
    // The mode register was just read again: the words are as long as it says now.
    data_.setWordLength(ctx_.settings.WordLengthBits);

    const std::optional<double> typed = platform::ParseNumber(Text1->str());
    if (!typed || *typed < 0)
        Text1->setStr("0");
    else if (*typed > kMaxPauseMs)
        Text1->setStr("32767");

    showStatus(kStopReadingPrompt);
    const DataFormat format = PresentDataFormat(ctx_.settings);
    live_->clear(LsbNanovolts(format) * 1e-9);
    link::StartContinuousRead(ctx_);
    beginReading();
    while (Reading) {
        const int32_t code = data_.Read();
        if (code == link::kStopped) break;
        if (code == link::kNoData) {
            ctx_.messages.exclamation(link::kReadErrorMessage);
            break;
        }
        currentcode->setStr(platform::Hex(code));
        live_->add(CodeVolts(code, format));
        const int16_t pause = PauseMs();
        // Timer1 times the pause; a key pressed during it ends the read.
        if (pause != 0) platform::WaitMs(*Timer1, ctx_.port, pause, [this] { return Reading; });
        currentcode->setFocus();
        if (!letEventsRun()) Reading = false;
    }
    link::StopContinuousRead(ctx_);
    live_->paint();
    endReading(readbutton);
    StopReadingText->setStr("");
}

void ReadDataForm::Command3D1_Click() {
    if (Reading) return;
    if (!CheckContinuousMode(ctx_)) return;
    data_.setWordLength(ctx_.settings.WordLengthBits);

    const std::optional<int16_t> count = ParseCodeCount(ReadNoValueText->str());
    if (!count) {
        ctx_.messages.exclamation(link::kCountNotIntegerMessage);
        ReadNoValueText->setStr("");
        ReadNoValueText->setFocus();
        Reading = false;
        return;
    }
    ctx_.settings.CodesToRead = *count;
    if (!link::CodeCountAllowed(*count)) {
        ctx_.messages.exclamation(link::kCountRangeMessage);
        return;
    }
    platform::Remember(ctx_.preferences, kCountPreference, std::to_string(*count));
    showStatus(kStopReadingPrompt);
    ReadForAnalysis(*count);
    endReading(Command3D1);
}

void ReadDataForm::ReadForAnalysis(int16_t codesToRead) {
    ReadProgress->setRange(0, codesToRead);
    ReadProgress->setValue(0);
    ReadProgress->show();
    beginReading();
    // The bar follows every code but is painted at most every kProgressPaintMs: painting it
    // after each code of a fast read would cost more than the read.
    int64_t paintedMs = platform::CoarseMs();
    ReadProgress->setUpdatesEnabled(false);
    analysis::ReadForAnalysis(ctx_, data_, codesToRead, [&](int16_t codesRead, int16_t) {
        ReadProgress->setValue(codesRead);
        if (const int64_t now = platform::CoarseMs(); now - paintedMs >= kProgressPaintMs) {
            ReadProgress->setUpdatesEnabled(true);
            ReadProgress->repaint();
            ReadProgress->setUpdatesEnabled(false);
            paintedMs = now;
        }
        currentcode->setFocus();
        if (!letEventsRun()) Reading = false;
        if (!Reading) StopReadingText->setStr("");
        return Reading;
    });
    StopReadingText->setStr("");
    ReadProgress->setUpdatesEnabled(true);
    ReadProgress->hide();
}

// While a read runs the buttons do nothing, and look so.
void ReadDataForm::beginReading() {
    Reading = true;
    for (QPushButton* b : {Command3D1, readbutton, Command3D2, ReadMenuCommand}) b->setEnabled(false);
    StopCommand->setEnabled(true);
}

void ReadDataForm::endReading(QPushButton* started) {
    Reading = false;
    for (QPushButton* b : {Command3D1, readbutton, Command3D2, ReadMenuCommand}) b->setEnabled(true);
    StopCommand->setEnabled(false);
    started->setFocus();
}

void ReadDataForm::Command3D2_Click() {
    if (Reading) return;
    if (ctx_.settings.CodesRead < 1) {
        ctx_.messages.exclamation(link::kCountRangeMessage);
        return;
    }
    openNoiseAnalysis();
}

void ReadDataForm::openNoiseAnalysis() {
    NoiseForm noise(ctx_, this);
    noise.showModal();
}

void ReadDataForm::StopCommand_Click() { Reading = false; }

void ReadDataForm::ReadMenuCommand_Click() {
    if (Reading) return;
    unload();
}

} // namespace qb::analysis
