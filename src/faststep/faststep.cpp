#include "faststep/faststep.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "faststep/FastStepChart.h"
#include "faststep/FastStepListing.h"
#include "faststep/fastinfo.h"
#include "link/Register.h"
#include "platform/widgets/AnyKeyStops.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/chart/StripChart.h"
#include "platform/widgets/Wait.h"

namespace qb::faststep {

using platform::named;
using platform::ToQt;

namespace {

constexpr QSize kChartLeast(520, 360);
constexpr QSize kOpeningSize(1180, 700);  // room for the lists and a wide chart
constexpr int kListMargin = 12;          // beside a list line and the scroll bar
constexpr int kNoticeMargin = 24;        // around the reading notice
constexpr int kReadoutGap = 36;          // the column of the "Hex:" captions

// One list with its two headings above it.
QVBoxLayout* listColumn(QListWidget* list, const char* titleName, const char* title, const char* headingName) {
    auto* column = new QVBoxLayout;
    auto* titleLabel = platform::BoldCaptionLabel(titleName, QString::fromUtf8(title));
    auto* heading = platform::CaptionLabel(headingName, QString::fromUtf8(kListHeading));
    heading->setFont(list->font());
    titleLabel->setBuddy(list);
    column->addWidget(titleLabel);
    column->addWidget(heading);
    column->addWidget(list, 1);
    return column;
}

QListWidget* makeList(const char* name, const char* accessibleName) {
    auto* list = named(new QListWidget, name);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setAccessibleName(QString::fromUtf8(accessibleName));
    list->setUniformItemSizes(true);
    // Wide enough for a line and the scroll bar.
    const int line = list->fontMetrics().horizontalAdvance(ToQt(ListLine(80, 0)) + QStringLiteral("  "));
    list->setMinimumWidth(line + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + kListMargin);
    return list;
}

} // namespace

faststep::faststep(const link::Context& ctx, QWidget* parent)
    : Form(parent),
      // Waiting for a result lets the window's events run now and then: a key press or a close
      // request during the wait ends it at once, also when the converter never answers.
      ctx_(link::WithStopHook(ctx, [this] {
          if (!Form::doEvents()) stopReading();
          return state_ == RunState::StopAsked || state_ == RunState::Closing;
      })) {
    setCaption(kFastStepCaption);
    setResizable(true);
    rememberSize(ctx.preferences, "faststep");

    QGroupBox* Frame2 = platform::TitleFrame("Frame2", "Label1", QStringLiteral("Fast Step Demonstration Mode"));
    makeLists();
    makeChart();
    QGroupBox* Fracurseur = makeReadoutFrame();
    makeNoticeFrame();
    makeButtons();
    Timer1 = new platform::MsTimer("Timer1", this);
    layOut(Frame2, Fracurseur);
    connectHandlers();
}

void faststep::makeLists() {
    List1 = makeList("List1", "Normal Response");
    List2 = makeList("List2", "Fast-Step Response");
}

void faststep::makeChart() {
    StripGraph = new platform::StripChart("StripGraph");
    StripGraph->setMinimumSize(kChartLeast);
    StripGraph->setMessageSink(&ctx_.messages);
    SetUpStepChart(*StripGraph);
}

// The readout of both traces at the cursor.
QGroupBox* faststep::makeReadoutFrame() {
    auto* Fracurseur = named(new QGroupBox, "Fracurseur");
    lblCursPosition = platform::ReadoutLabel("lblCursPosition", QStringLiteral("Cursor position"));
    lblDec0Value = platform::ReadoutLabel("lblDec0Value", QStringLiteral("Fast step off, decimal"));
    lblHex0Value = platform::ReadoutLabel("lblHex0Value", QStringLiteral("Fast step off, hex"));
    lblDec1Value = platform::ReadoutLabel("lblDec1Value", QStringLiteral("Fast step on, decimal"));
    lblHex1Value = platform::ReadoutLabel("lblHex1Value", QStringLiteral("Fast step on, hex"));
    auto* readout = new QGridLayout(Fracurseur);
    readout->addWidget(platform::CaptionLabel("lblCursor", QStringLiteral("Cursor Position :")), 0, 0);
    readout->addWidget(lblCursPosition, 0, 2);
    readout->addWidget(platform::CaptionLabel("Label7", QStringLiteral("FastStep Off Value: ")), 1, 0);
    readout->addWidget(platform::CaptionLabel("lblDec0Curs", QStringLiteral("Dec:")), 1, 1, Qt::AlignRight);
    readout->addWidget(lblDec0Value, 1, 2);
    readout->addWidget(platform::CaptionLabel("lblCurs0Hex", QStringLiteral("Hex:")), 1, 3, Qt::AlignRight);
    readout->addWidget(lblHex0Value, 1, 4);
    readout->addWidget(platform::CaptionLabel("Label8", QStringLiteral("FastStep On Value: ")), 2, 0);
    readout->addWidget(platform::CaptionLabel("lblDecCurs", QStringLiteral("Dec:")), 2, 1, Qt::AlignRight);
    readout->addWidget(lblDec1Value, 2, 2);
    readout->addWidget(platform::CaptionLabel("lblCursHex", QStringLiteral("Hex:")), 2, 3, Qt::AlignRight);
    readout->addWidget(lblHex1Value, 2, 4);
    readout->setColumnMinimumWidth(3, kReadoutGap);
    return Fracurseur;
}

// The reading notice keeps its place when hidden, so nothing moves when a run starts.
void faststep::makeNoticeFrame() {
    Frame1 = platform::KeepPlaceWhenHidden(named(new QGroupBox, "Frame1"));
    Label2 = platform::BoldCaptionLabel("Label2", {});
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setMinimumWidth(Label2->fontMetrics().horizontalAdvance(QString::fromUtf8(kReadingNotice)) + kNoticeMargin);
    (new QVBoxLayout(Frame1))->addWidget(Label2);
}

void faststep::makeButtons() {
    run = platform::CommandButton("run", QStringLiteral("Run"));
    Command2 = platform::CommandButton("Command2", QStringLiteral("Info."));
    Command1 = platform::CommandButton("Command1", QStringLiteral("Back"));
}

// The lists and the chart; below them the readout, the notice and the buttons.
void faststep::layOut(QGroupBox* Frame2, QGroupBox* Fracurseur) {
    auto* data = new QHBoxLayout;
    data->addLayout(listColumn(List1, "Label3", "Normal Response", "Label4"));
    data->addLayout(listColumn(List2, "Label5", "Fast-Step Response", "Label6"));
    data->addWidget(StripGraph, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(run);
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    buttons->addWidget(Command1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Fracurseur);
    bottom->addStretch(1);
    bottom->addWidget(Frame1, 0, Qt::AlignVCenter);
    bottom->addStretch(1);
    bottom->addLayout(buttons);

    auto* page = new QVBoxLayout(this);
    page->addWidget(Frame2);
    page->addLayout(data, 1);
    page->addLayout(bottom);

    setTabOrder(run, Command2);
    setTabOrder(Command2, Command1);
    setTabOrder(Command1, StripGraph);
    setTabOrder(StripGraph, List1);
    setTabOrder(List1, List2);
    QSize size = kOpeningSize;  // within the screen
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size());
    resize(size);
}

void faststep::connectHandlers() {
    connect(run, &QPushButton::clicked, this, [this] { run_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    StripGraph->onCursor([this](double x) { StripGraph_Cursor(x); });
    StripGraph->onScale([this] { StripGraph_Scale(); });
    // Any key ends a reading, also the keys that type nothing: "press any key".
    new platform::AnyKeyStops(this, [this] { return state_ == RunState::Reading; }, [this] { stopReading(); });
}

void faststep::Form_Load() {
    Frame1->hide();
    state_ = RunState::Idle;
    saved_ = SaveRegisters(ctx_);
    run->setFocus();
}

RunHooks faststep::hooks() {
    RunHooks h;
    // Timer1 times the settling wait; a close request ends it.
    h.settle = [this](int16_t ms) {
        platform::WaitMs(*Timer1, ctx_.port, ms, [this] { return state_ != RunState::Closing; });
    };
    h.beforeReading = [this] {
        if (state_ == RunState::StopAsked) state_ = RunState::Stopped;
    };
    h.afterReading = [this] {
        if (!Form::doEvents()) stopReading();
        if (state_ != RunState::Reading) return false;
        List1->setFocus();
        return true;
    };
    // The program ending ends the run as a close request does (without touching the registers).
    h.closing = [this] { return state_ == RunState::Closing || Form::programEnding(); };
    return h;
}

void faststep::run_Click() {
    if (state_ != RunState::Idle) return;  // a click that came in while a run let events run
    Frame1->show();
    showNotice(kReadingNotice);
    state_ = RunState::Reading;
    // The buttons a run ignores look so while it runs.
    for (QPushButton* b : {run, Command2}) b->setEnabled(false);
    if (RunFastStep(ctx_, hooks()) == RunEnd::Closed) {
        if (!Form::programEnding()) unload();
        return;
    }
    for (QPushButton* b : {run, Command2}) b->setEnabled(true);
    run->setFocus();
    ShowFastStepResults();
    state_ = RunState::Idle;
    Frame1->hide();
    showNotice("");
}

void faststep::showNotice(const char* text) {
    Label2->setText(QString::fromUtf8(text));
    Label2->repaint();
}

void faststep::stopReading() {
    if (state_ != RunState::Closing) state_ = RunState::StopAsked;
}

void faststep::Form_QueryUnload(bool& cancel) {
    if (state_ == RunState::Reading) {
        // Refused once: the reading ends here, and the run closes the window when it returns.
        cancel = true;
        link::StopContinuousRead(ctx_);
    }
    state_ = RunState::Closing;
    RestoreRegisters(ctx_, saved_);
}

void faststep::Command1_Click() { unload(); }

void faststep::Command2_Click() {
    if (state_ != RunState::Idle) return;
    openInfo();
}

void faststep::openInfo() {
    fastinfo info(this);
    info.showModal();
}

void faststep::ShowFastStepResults() {
    const link::SharedSettings& s = ctx_.settings;
    List1->clear();
    List2->clear();
    for (const std::string& line : ListLines(s.FastStepOffCodes, s.StepReadCount)) List1->addItem(ToQt(line));
    for (const std::string& line : ListLines(s.FastStepOnCodes, s.StepReadCount)) List2->addItem(ToQt(line));
    List1->repaint();
    List2->repaint();
    PlotStepSeries(*StripGraph, s);
    StripGraph_Cursor(StripGraph->cursorPosition());
}

void faststep::StripGraph_Cursor(double /*x*/) {
    const StepReadout r = ReadStepCursor(*StripGraph);
    lblDec0Value->setText(ToQt(r.dec0));
    lblHex0Value->setText(ToQt(r.hex0));
    lblDec1Value->setText(ToQt(r.dec1));
    lblHex1Value->setText(ToQt(r.hex1));
    lblCursPosition->setText(ToQt(r.position));
}

void faststep::StripGraph_Scale() { ShowStepChartEnds(*StripGraph); }

} // namespace qb::faststep
