#include "shell/MainMenuForm.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/NoiseForm.h"
#include "analysis/ReadDataForm.h"
#include "analysis/SweepForm.h"
#include "faststep/faststep.h"
#include "files/FileReadForm.h"
#include "files/WriteFileForm.h"
#include "link/CodeCount.h"
#include "link/PortForm.h"
#include "link/ResetForm.h"
#include "link/Startup.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "registers/program.h"
#include "shell/AboutForm.h"

namespace qb::shell {

using platform::named;

namespace {

constexpr double kTitleScale = 1.5;
constexpr QMargins kTitleMargins{12, 8, 12, 8};
constexpr QMargins kMargins{20, 16, 20, 18};
constexpr int kButtonGapDown = 6;
constexpr int kGroupGap = 10;  // between two groups of buttons
constexpr int kButtonWidth = 240;

} // namespace

MainMenuForm::MainMenuForm(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption(kMainCaption);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    // Creation order as the window has always had it.
    Frame1 = named(new QGroupBox, "Frame1");
    MainMenuLable = named(new QLabel(QStringLiteral("Main Menu")), "MainMenuLable");
    makeButtons();
    makeTitleFrame();
    lblBoard = platform::ValueLabel("lblBoard", QStringLiteral("Board"), platform::ToQt(ctx.port.boardName()));
    lblBoard->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblBoard->setWordWrap(true);
    layOut();
}

void MainMenuForm::makeButtons() {
    auto button = [this](const char* name, const char* caption, void (MainMenuForm::*handler)()) {
        return platform::MenuButton(name, caption, kButtonWidth, this, [this, handler] { (this->*handler)(); });
    };
    About = button("About", "About", &MainMenuForm::About_Click);
    Command1 = button("Command1", "Fast Step Demo", &MainMenuForm::openFastStep);
    MenuQuitCommand = button("MenuQuitCommand", "Quit", &MainMenuForm::MenuQuitCommand_Click);
    MenuProgramCommand = button("MenuProgramCommand", "Program QB4160", &MainMenuForm::openProgram);
    MenuReadCommand = button("MenuReadCommand", "Read Data", &MainMenuForm::openReadData);
    MenuNoiseCommand = button("MenuNoiseCommand", "Noise Analysis", &MainMenuForm::MenuNoiseCommand_Click);
    // The only button of the menu with a mnemonic: its caption is this program's own.
    MenuSweepCommand = button("MenuSweepCommand", "Noise Sweep...", &MainMenuForm::openSweep);
    MenuResetCommand = button("MenuResetCommand", "Reset QB4160", &MainMenuForm::MenuResetCommand_Click);
    MenuReadFCommand = button("MenuReadFCommand", "Read from File", &MainMenuForm::openFileRead);
    MenuWriteFCommand = button("MenuWriteFCommand", "Write to File", &MainMenuForm::openFileWrite);
    MenuPortCommand = button("MenuPortCommand", "Select Printer Port", &MainMenuForm::MenuPortCommand_Click);
}

void MainMenuForm::makeTitleFrame() {
    QFont titleFont = MainMenuLable->font();
    if (titleFont.pointSizeF() > 0) titleFont.setPointSizeF(titleFont.pointSizeF() * kTitleScale);
    titleFont.setBold(true);
    MainMenuLable->setFont(titleFont);
    MainMenuLable->setAlignment(Qt::AlignCenter);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(kTitleMargins);
    frameLayout->addWidget(MainMenuLable);
}

// One column, in groups: the converter and its data, files, the demonstration, the board link,
// and the program itself; the status line naming the board at the foot.
void MainMenuForm::layOut() {
    const std::initializer_list<std::initializer_list<QPushButton*>> groups{
        {MenuProgramCommand, MenuReadCommand, MenuNoiseCommand, MenuSweepCommand},
        {MenuReadFCommand, MenuWriteFCommand},
        {Command1},
        {MenuResetCommand, MenuPortCommand},
        {About, MenuQuitCommand},
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargins);
    layout->setSpacing(kButtonGapDown);
    layout->addWidget(Frame1);
    layout->addSpacing(kButtonGapDown);
    QPushButton* previous = nullptr;
    bool first = true;
    for (const auto& group : groups) {
        if (!first) layout->addSpacing(kGroupGap);
        first = false;
        for (QPushButton* b : group) {
            layout->addWidget(b);
            if (previous) setTabOrder(previous, b);
            previous = b;
        }
    }
    layout->addSpacing(kGroupGap);
    layout->addWidget(lblBoard);
}

void MainMenuForm::Form_Load() {
    link::StartUp(ctx_);
    MenuProgramCommand->setFocus();
}

void MainMenuForm::Form_Unload() {
    // The main window closing ends the program, without asking and without touching the port.
    endProgram(platform::kExitOk);
}

void MainMenuForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes working windows; here it would end the program without the Quit question.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    Form::keyPressEvent(event);
}

void MainMenuForm::About_Click() {
    AboutForm form(ctx_.port.boardName(), this);
    form.showModal();
}

void MainMenuForm::MenuQuitCommand_Click() {
    if (ctx_.messages.askYesNo(kQuitQuestion)) endProgram(platform::kExitOk);
}

void MainMenuForm::openSweep() {
    analysis::SweepForm form(ctx_, this);
    form.showModal();
}

void MainMenuForm::MenuNoiseCommand_Click() {
    if (!link::CodeCountAllowed(ctx_.settings.CodesRead)) {
        ctx_.messages.exclamation(link::kCountRangeMessage);
        return;
    }
    openNoiseAnalysis();
}

void MainMenuForm::MenuResetCommand_Click() {
    link::ResetForm form(ctx_, this);
    form.showModal();
}

void MainMenuForm::MenuPortCommand_Click() {
    link::PortForm form(ctx_, this);
    form.showModal();
}

void MainMenuForm::openFastStep() {
    faststep::faststep form(ctx_, this);
    form.showModal();
}

void MainMenuForm::openProgram() {
    registers::program form(ctx_, this);
    form.showModal();
}

void MainMenuForm::openReadData() {
    analysis::ReadDataForm form(ctx_, this);
    form.showModal();
}

void MainMenuForm::openNoiseAnalysis() {
    analysis::NoiseForm form(ctx_, this);
    form.showModal();
}

void MainMenuForm::openFileRead() {
    files::FileReadForm form(ctx_, this);
    form.showModal();
}

void MainMenuForm::openFileWrite() {
    files::WriteFileForm form(ctx_, this);
    form.showModal();
}

} // namespace qb::shell
