#include "registers/program.h"

#include <string>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/base/Numbers.h"
#include "registers/CalibrationForm.h"
#include "registers/DAC_form.h"
#include "registers/Mode1.h"
#include "registers/ModeRegister.h"
#include "registers/filter.h"

namespace qb::registers {

using platform::named;

program::program(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx), reg_(ctx) {
    setCaption(kProgramCaption);

    Frame2 = named(new QGroupBox, "Frame2");
    Label1 = platform::TitleLabel("Label1", QStringLiteral("Main Program Menu"));
    (new QVBoxLayout(Frame2))->addWidget(Label1);
    Label2 = platform::CaptionLabel("Label2", QStringLiteral("Current Contents of Status Register"));

    // One small frame per status bit, bit 7 on the left; the frame array has no index 1.
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(4);
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("STDY Clear")) + 10;
    for (int i = 0; i < 8; ++i) {
        const std::string frameName = "Frame1(" + std::to_string(i == 0 ? 0 : i + 1) + ")";
        const std::string labelName = "Label" + std::to_string(i + 3);
        Frame1[i] = named(new QGroupBox, frameName.c_str());
        statusBits[i] = named(new QLabel(QStringLiteral("0")), labelName.c_str());
        statusBits[i]->setAlignment(Qt::AlignCenter);
        statusBits[i]->setMinimumWidth(i < 4 ? labelWidth : fontMetrics().horizontalAdvance(QStringLiteral("0")) + 16);
        auto* inner = new QVBoxLayout(Frame1[i]);
        inner->setContentsMargins(4, 4, 4, 4);
        inner->addWidget(statusBits[i]);
        statusRow->addWidget(Frame1[i]);
    }

    mode_reg = platform::CommandButton("mode_reg", QStringLiteral("Program Mode Register"), 220);
    Filter_Reg = platform::CommandButton("Filter_Reg", QStringLiteral("Program Filter Register"), 220);
    DAC_Reg = platform::CommandButton("DAC_Reg", QStringLiteral("Program DAC Register"), 220);
    Offset_Reg = platform::CommandButton("Offset_Reg", QStringLiteral("Program Offset Register"), 220);
    Gain_Reg = platform::CommandButton("Gain_Reg", QStringLiteral("Program Gain Register"), 220);
    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("Back..."), 220);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    for (QPushButton* b : {mode_reg, Filter_Reg, DAC_Reg, Offset_Reg, Gain_Reg}) {
        b->setMinimumHeight(30);
        buttons->addWidget(b, 0, Qt::AlignHCenter);
    }
    buttons->addSpacing(10);
    Command3D1->setMinimumHeight(30);
    buttons->addWidget(Command3D1, 0, Qt::AlignHCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(8);
    layout->addWidget(Frame2);
    layout->addSpacing(4);
    layout->addWidget(Label2);
    layout->addLayout(statusRow);
    layout->addSpacing(10);
    layout->addLayout(buttons);

    connect(mode_reg, &QPushButton::clicked, this, [this] { mode_reg_Click(); });
    connect(Filter_Reg, &QPushButton::clicked, this, [this] { Filter_Reg_Click(); });
    connect(DAC_Reg, &QPushButton::clicked, this, [this] { DAC_Reg_Click(); });
    connect(Offset_Reg, &QPushButton::clicked, this, [this] { Offset_Reg_Click(); });
    connect(Gain_Reg, &QPushButton::clicked, this, [this] { Gain_Reg_Click(); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { unload(); });
}

void program::Form_Load() {
    reg_.setReadAddress(link::comms::kStatusRead);
    reg_.setWriteAddress(0);
    reg_.setWordLength(link::comms::kStatusBits);
    // An 8-bit read always fits in 16 bits.
    const int16_t status = platform::ToInt16(reg_.ReadReg()).value_or(0);
    const auto texts = StatusTexts(status);
    for (std::size_t i = 0; i < texts.size(); ++i) statusBits[i]->setText(QString::fromStdString(texts[i]));
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

} // namespace qb::registers
