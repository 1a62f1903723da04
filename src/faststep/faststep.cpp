#include "faststep/faststep.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "faststep/FastStepChart.h"
#include "faststep/FastStepListing.h"
#include "faststep/fastinfo.h"
#include "link/Register.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/chart/StripChart.h"
#include "platform/widgets/Wait.h"

namespace qb::faststep {

using platform::named;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// One list with its two headings above it.
QVBoxLayout* listColumn(QListWidget* list, const char* titleName, const char* title, const char* headingName) {
    auto* column = new QVBoxLayout;
    auto* titleLabel = platform::CaptionLabel(titleName, QString::fromUtf8(title));
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
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
    const int line = list->fontMetrics().horizontalAdvance(q(ListLine(80, 0)) + QStringLiteral("  "));
    list->setMinimumWidth(line + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 12);
    return list;
}

} // namespace

faststep::faststep(const link::Context& ctx, QWidget* parent)
    : Form(parent),
      // Waiting for a result lets the window's events run now and then: a key press or a close
      // request during the wait ends it at once, also when the converter never answers.
      ctx_(link::WithStopHook(ctx, [this] {
          if (!Form::doEvents()) stopReading();
          return stopWait_;
      })) {
    setCaption(kFastStepCaption);
    setKeyPreview(true);
    setResizable(true);
    rememberSize(ctx.preferences, "faststep");

    auto* Frame2 = named(new QGroupBox, "Frame2");
    (new QVBoxLayout(Frame2))->addWidget(platform::TitleLabel("Label1", QStringLiteral("Fast Step Demonstration Mode")));

    List1 = makeList("List1", "Normal Response");
    List2 = makeList("List2", "Fast-Step Response");

    StripGraph = new platform::StripChart("StripGraph");
    StripGraph->setMinimumSize(520, 360);
    StripGraph->setMessageSink(&ctx.messages);
    SetUpStepChart(*StripGraph);
    StripGraph->onCursor([this](double x) { StripGraph_Cursor(x); });
    StripGraph->onScale([this] { StripGraph_Scale(); });

    // The readout of both traces at the cursor.
    auto* Fracurseur = named(new QGroupBox, "Fracurseur");
    lblCursPosition = platform::ReadoutLabel("lblCursPosition");
    lblDec0Value = platform::ReadoutLabel("lblDec0Value");
    lblHex0Value = platform::ReadoutLabel("lblHex0Value");
    lblDec1Value = platform::ReadoutLabel("lblDec1Value");
    lblHex1Value = platform::ReadoutLabel("lblHex1Value");
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
    readout->setColumnMinimumWidth(3, 36);

    // The reading notice keeps its place when hidden, so nothing moves when a run starts.
    Frame1 = named(new QGroupBox, "Frame1");
    Label2 = platform::CaptionLabel("Label2", {});
    Label2->setAlignment(Qt::AlignCenter);
    QFont noticeFont = Label2->font();
    noticeFont.setBold(true);
    Label2->setFont(noticeFont);
    Label2->setMinimumWidth(Label2->fontMetrics().horizontalAdvance(QString::fromUtf8(kReadingNotice)) + 24);
    (new QVBoxLayout(Frame1))->addWidget(Label2);
    QSizePolicy keepPlace = Frame1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Frame1->setSizePolicy(keepPlace);

    run = platform::CommandButton("run", QStringLiteral("Run"));
    Command2 = platform::CommandButton("Command2", QStringLiteral("Info."));
    Command1 = platform::CommandButton("Command1", QStringLiteral("Back"));
    connect(run, &QPushButton::clicked, this, [this] { run_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    Timer1 = new platform::MsTimer("Timer1", this);
    Timer1->onTimer([this] { Timer1->setEnabled(false); });

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
    // Room for the lists and a wide chart, within the screen.
    QSize size(1180, 700);
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size());
    resize(size);
}

void faststep::Form_Load() {
    Frame1->hide();
    Reading = false;
    Closing = false;
    saved_ = SaveRegisters(ctx_);
    run->setFocus();
}

RunHooks faststep::hooks() {
    RunHooks h;
    h.settle = [this](int16_t ms) { WaitMs(ms); };
    h.beforeReading = [this] { stopWait_ = false; };
    h.afterReading = [this] {
        if (!Form::doEvents()) stopReading();
        if (!Reading) return false;
        List1->setFocus();
        return true;
    };
    // The program ending ends the run as a close request does (without touching the registers).
    h.closing = [this] { return Closing || Form::programEnding(); };
    return h;
}

void faststep::run_Click() {
    if (Reading) return;  // a click that came in while a run let events run
    Frame1->show();
    showNotice(kReadingNotice);
    Reading = true;
    if (RunFastStep(ctx_, hooks()) == RunEnd::Closed) {
        if (!Form::programEnding()) unload();
        return;
    }
    ShowFastStepResults();
    Reading = false;
    Frame1->hide();
    showNotice("");
}

void faststep::showNotice(const char* text) {
    Label2->setText(QString::fromUtf8(text));
    Label2->repaint();
}

void faststep::WaitMs(int16_t ms) {
    Timer1->setInterval(ms);
    Timer1->setEnabled(true);
    platform::WaitMs(ctx_.port, ms, [this] { return !Closing; });
    Timer1->setEnabled(false);
}

void faststep::stopReading() {
    Reading = false;
    stopWait_ = true;
}

void faststep::Form_KeyPress(int& keyAscii) {
    if (!Reading) return;  // passed on normally
    stopReading();
    keyAscii = 0;
}

bool faststep::eventFilter(QObject* watched, QEvent* event) {
    // Keys that type nothing (arrows, function keys) end a run too: "press any key".
    if (Reading && event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && platform::IsActionKey(*static_cast<QKeyEvent*>(event))) {
        stopReading();
        event->accept();
        return true;
    }
    return Form::eventFilter(watched, event);
}

void faststep::Form_QueryUnload(bool& cancel) {
    if (Reading) {
        // Refused once: the reading ends here, and the run closes the window when it returns.
        cancel = true;
        link::StopContinuousRead(ctx_);
    }
    stopReading();
    Closing = true;
    RestoreRegisters(ctx_, saved_);
}

void faststep::Command1_Click() { unload(); }

void faststep::Command2_Click() {
    if (Reading) return;
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
    for (const std::string& line : ListLines(s.FastStepOffCodes, s.StepReadCount)) List1->addItem(q(line));
    for (const std::string& line : ListLines(s.FastStepOnCodes, s.StepReadCount)) List2->addItem(q(line));
    List1->repaint();
    List2->repaint();
    PlotStepSeries(*StripGraph, s);
    StripGraph_Cursor(StripGraph->cursorPosition());
}

void faststep::StripGraph_Cursor(double /*x*/) {
    const StepReadout r = ReadStepCursor(*StripGraph);
    lblDec0Value->setText(q(r.dec0));
    lblHex0Value->setText(q(r.hex0));
    lblDec1Value->setText(q(r.dec1));
    lblHex1Value->setText(q(r.hex1));
    lblCursPosition->setText(q(r.position));
}

void faststep::StripGraph_Scale() { ShowStepChartEnds(*StripGraph); }

} // namespace qb::faststep
