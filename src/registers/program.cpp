#include "registers/program.h"

#include <string>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/ProgramRegisters.h"
#include "link/SetUp.h"
#include "platform/base/SafeSave.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FileDialogs.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "platform/base/Numbers.h"
#include "registers/CalibrationForm.h"
#include "registers/DAC_form.h"
#include "registers/Mode1.h"
#include "registers/ModeRegister.h"
#include "registers/filter.h"

namespace qb::registers {

using platform::named;

namespace {

constexpr QMargins kMargins{18, 16, 18, 16};
constexpr int kRowGap = 8;            // between the window's rows
constexpr int kTitleGap = 4;          // below the title, beyond the rows' gap
constexpr int kSectionGap = 10;       // above the buttons, and above "Back..."
constexpr int kStatusGap = 4;         // between the status bits' frames
constexpr QMargins kStatusMargins{4, 4, 4, 4};
constexpr int kStatusTextPadding = 10;  // beside the widest status text
constexpr int kStatusBitPadding = 16;   // beside a lone bit
constexpr int kButtonWidth = 220;
constexpr int kButtonGapDown = 6;

} // namespace

program::program(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx), reg_(ctx) {
    setCaption(kProgramCaption);
    Frame2 = platform::TitleFrame("Frame2", "Label1", QStringLiteral("Main Program Menu"));
    Label2 = platform::CaptionLabel("Label2", QStringLiteral("Current Contents of Status Register"));
    QHBoxLayout* statusRow = makeStatusRow();
    QVBoxLayout* buttons = makeButtons();
    layOut(statusRow, buttons);
}

// One small frame per status bit, bit 7 on the left; the frame array has no index 1.
QHBoxLayout* program::makeStatusRow() {
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(kStatusGap);
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("STDY Clear")) + kStatusTextPadding;
    for (int i = 0; i < 8; ++i) {
        const std::string frameName = "Frame1(" + std::to_string(i == 0 ? 0 : i + 1) + ")";
        const std::string labelName = "Label" + std::to_string(i + 3);
        Frame1[i] = named(new QGroupBox, frameName.c_str());
        statusBits[i] = platform::ValueLabel(labelName.c_str(), QStringLiteral("Status bit %1").arg(7 - i),
                                             QStringLiteral("0"));
        statusBits[i]->setAlignment(Qt::AlignCenter);
        statusBits[i]->setMinimumWidth(i < 4 ? labelWidth
                                             : fontMetrics().horizontalAdvance(QStringLiteral("0")) + kStatusBitPadding);
        auto* inner = new QVBoxLayout(Frame1[i]);
        inner->setContentsMargins(kStatusMargins);
        inner->addWidget(statusBits[i]);
        statusRow->addWidget(Frame1[i]);
    }
    return statusRow;
}

// One button per register editor, the two set-up buttons, then "Back...".
QVBoxLayout* program::makeButtons() {
    using platform::MenuButton;
    mode_reg = MenuButton("mode_reg", "Program Mode Register", kButtonWidth, this, [this] { mode_reg_Click(); });
    Filter_Reg = MenuButton("Filter_Reg", "Program Filter Register", kButtonWidth, this, [this] { Filter_Reg_Click(); });
    DAC_Reg = MenuButton("DAC_Reg", "Program DAC Register", kButtonWidth, this, [this] { DAC_Reg_Click(); });
    Offset_Reg = MenuButton("Offset_Reg", "Program Offset Register", kButtonWidth, this, [this] { Offset_Reg_Click(); });
    Gain_Reg = MenuButton("Gain_Reg", "Program Gain Register", kButtonWidth, this, [this] { Gain_Reg_Click(); });
    SaveSetUpCommand =
        MenuButton("SaveSetUpCommand", "&Save Set-up...", kButtonWidth, this, [this] { SaveSetUpCommand_Click(); });
    LoadSetUpCommand =
        MenuButton("LoadSetUpCommand", "&Load Set-up...", kButtonWidth, this, [this] { LoadSetUpCommand_Click(); });
    Command3D1 = MenuButton("Command3D1", "Back...", kButtonWidth, this, [this] { unload(); });

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(kButtonGapDown);
    for (QPushButton* b : {mode_reg, Filter_Reg, DAC_Reg, Offset_Reg, Gain_Reg})
        buttons->addWidget(b, 0, Qt::AlignHCenter);
    buttons->addSpacing(kSectionGap);
    for (QPushButton* b : {SaveSetUpCommand, LoadSetUpCommand}) buttons->addWidget(b, 0, Qt::AlignHCenter);
    buttons->addSpacing(kSectionGap);
    buttons->addWidget(Command3D1, 0, Qt::AlignHCenter);
    return buttons;
}

void program::layOut(QHBoxLayout* statusRow, QVBoxLayout* buttons) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargins);
    layout->setSpacing(kRowGap);
    layout->addWidget(Frame2);
    layout->addSpacing(kTitleGap);
    layout->addWidget(Label2);
    layout->addLayout(statusRow);
    layout->addSpacing(kSectionGap);
    layout->addLayout(buttons);
}

void program::Form_Load() {
    reg_.setReadAddress(link::comms::kStatusRead);
    reg_.setWriteAddress(0);
    reg_.setWordLength(link::comms::kStatusBits);
    // An 8-bit read always fits in 16 bits.
    const int16_t status = platform::ToInt16(reg_.ReadReg()).value_or(0);
    const auto texts = StatusTexts(status);
    for (std::size_t i = 0; i < texts.size(); ++i) statusBits[i]->setText(platform::ToQt(texts[i]));
    mode_reg->setFocus();
}

void program::mode_reg_Click() {
    Mode1 form(ctx_, this);
    form.showModal();
}

void program::Filter_Reg_Click() {
    filter form(ctx_, this);
    form.showModal();
}

void program::DAC_Reg_Click() {
    DAC_form form(ctx_, this);
    form.showModal();
}

void program::Offset_Reg_Click() {
    CalibrationForm form(ctx_, offsetform, this);
    form.showModal();
}

void program::Gain_Reg_Click() {
    CalibrationForm form(ctx_, gainform, this);
    form.showModal();
}

std::string program::NotLoadedText(const std::string& mismatch) {
    return "The set-up was not loaded in full: " + mismatch + ", and the registers after it were not written.";
}

void program::SaveSetUpCommand_Click() {
    const std::optional<std::string> path = chooseSetUpFile(true);
    if (!path) return;
    const link::SetUp setUp = link::ReadRegisters(ctx_);
    if (const platform::Result<> saved = platform::SaveFileSafely(*path, link::SetUpJson(setUp)); !saved.ok()) {
        ctx_.messages.exclamation("The set-up could not be written to " + *path + ": " + saved.error() + ".");
        return;
    }
    platform::RememberFolderOf(ctx_.preferences, *path);
}

void program::LoadSetUpCommand_Click() {
    const std::optional<std::string> path = chooseSetUpFile(false);
    if (!path) return;
    const platform::Result<link::SetUp> setUp = link::ReadSetUpFile(*path);
    if (!setUp.ok()) {
        ctx_.messages.exclamation("The set-up could not be loaded, and no register was written: " + setUp.error() + ".");
        return;
    }
    platform::RememberFolderOf(ctx_.preferences, *path);
    if (const std::optional<link::Mismatch> mismatch = link::ProgramRegisters(ctx_, *setUp))
        ctx_.messages.exclamation(NotLoadedText(link::MismatchText(*mismatch)));
}

std::optional<std::string> program::chooseSetUpFile(bool save) {
    return platform::ChooseFile(this,
                                {save ? tr("Save the set-up") : tr("Load a set-up"), tr("Set-up files (*.json)"),
                                 QStringLiteral("json"), save ? QStringLiteral("Setup.json") : QString(), save},
                                ctx_.preferences);
}

} // namespace qb::registers
