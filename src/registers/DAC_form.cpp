#include "registers/DAC_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"
#include "registers/DacOffset.h"
#include "registers/WriteAndCheck.h"

namespace qb::registers {

using platform::named;

namespace {

constexpr int kValueWidth = 110;  // the value boxes
constexpr int kCaptionGap = 16;   // between a caption and its value
constexpr int kMaxWordDigits = 5;

} // namespace

DAC_form::DAC_form(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx), reg_(ctx) {
    setObjectName(QStringLiteral("DAC_form"));
    setCaption("QB4160 DAC Register");
    Frame3 = platform::TitleFrame("Frame3", "Label3", QStringLiteral("DAC Register"));
    makeBitsFrame();
    makeValuesFrame();
    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("Back..."));
    layOut();
    dacword->onKeyPress([this](int& key) { dacword_KeyPress(key); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
}

void DAC_form::makeBitsFrame() {
    Frame2 = named(new QGroupBox(QStringLiteral("Current Contents of DAC Register")), "Frame2");
    shapes_ = new platform::BitRow(8, Frame2);
    auto* bits = new QHBoxLayout(Frame2);
    bits->setContentsMargins(platform::kBitFrameMargins);
    bits->addStretch(1);
    bits->addWidget(shapes_);
    bits->addStretch(1);
}

// The register in hexadecimal, the word typed in, and the offsets it gives at both references.
void DAC_form::makeValuesFrame() {
    Frame1 = named(new QGroupBox, "Frame1");
    Label2 = platform::CaptionLabel("Label2", QStringLiteral("DAC Register (Hex)"));
    DAC1 = platform::ReadoutLabel("DAC1", QStringLiteral("DAC Register (Hex)"), {}, kValueWidth);
    Label4 = platform::CaptionLabel("Label4", QStringLiteral("DAC Word (Decimal)"));
    dacword = new platform::TextBox("dacword");
    dacword->setMaxLength(kMaxWordDigits);
    dacword->setAlignment(Qt::AlignRight);
    dacword->setMinimumWidth(kValueWidth);
    Label4->setBuddy(dacword);
    Label5 = platform::CaptionLabel("Label5", QStringLiteral("Offset (Vref=5V)"));
    off5 = platform::ReadoutLabel("off5", QStringLiteral("Offset (Vref=5V)"), {}, kValueWidth);
    Label6 = platform::CaptionLabel("Label6", QStringLiteral("Offset (Vref=2.5V)"));
    off2 = platform::ReadoutLabel("off2", QStringLiteral("Offset (Vref=2.5V)"), {}, kValueWidth);
    auto* values = new QGridLayout(Frame1);
    values->setHorizontalSpacing(kCaptionGap);
    int row = 0;
    for (auto [caption, value] : {std::pair<QWidget*, QWidget*>{Label2, DAC1}, {Label4, dacword}, {Label5, off5}, {Label6, off2}}) {
        values->addWidget(caption, row, 0);
        values->addWidget(value, row, 1);
        ++row;
    }
}

void DAC_form::layOut() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(platform::kRegisterWindowMargins);
    layout->setSpacing(platform::kFrameGapDown);
    layout->addWidget(Frame3);
    layout->addWidget(Frame2);
    layout->addWidget(Frame1);
    layout->addWidget(Command3D1, 0, Qt::AlignRight);
}

void DAC_form::Form_Load() {
    reg_.setReadAddress(link::comms::kDacRead);
    reg_.setWriteAddress(link::comms::kDacWrite);
    reg_.setWordLength(link::comms::kDacBits);
    // Bits 7..6 are not part of the word.
    ctx_.settings.DacRegValue = static_cast<int16_t>(platform::ToInt16(reg_.ReadReg()).value_or(0) & kMaxDacWord);
    ShowDacBits();
    dacword->setText(QString::number(ctx_.settings.DacRegValue));
    ShowOffsets(false);
    dacword->setFocus();
    dacword->selectAll();
}

void DAC_form::ShowDacBits() {
    shapes_->show(static_cast<uint32_t>(ctx_.settings.DacRegValue) & 0xFF);
    DAC1->setText(platform::ToQt(platform::Hex(ctx_.settings.DacRegValue)));
}

void DAC_form::ShowOffsets(bool signBlank) {
    const int16_t word = ctx_.settings.DacRegValue;
    off5->setText(platform::ToQt(DacOffsetText(DacOffsetMv(word, 5.0), signBlank)));
    off2->setText(platform::ToQt(DacOffsetText(DacOffsetMv(word, 2.5), signBlank)));
}

void DAC_form::dacword_KeyPress(int& keyAscii) {
    if (keyAscii != 13) return;
    int16_t& word = ctx_.settings.DacRegValue;
    if (dacword->text().isEmpty()) {
        dacword->setText(QStringLiteral("0"));
        word = 0;
    } else {
        const auto number = platform::ParseNumber(dacword->str());
        const auto value = number ? platform::ToInt16(*number) : std::nullopt;
        // A negative word would put bits into the register that no word 0..63 has.
        if (!value || *value < 0) {
            dacword->clear();
            return;
        }
        word = *value;
    }
    if (word > kMaxDacWord) {
        word = kMaxDacWord;
        dacword->setText(QString::number(kMaxDacWord));
    }
    ShowDacBits();
    if (!WriteAndCheck(reg_, word)) ctx_.messages.exclamation(link::kReadErrorMessage);
    ShowOffsets(true);
}

void DAC_form::Command3D1_Click() { unload(); }

} // namespace qb::registers
