#include "registers/CalibrationForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/BitRow.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/base/Numbers.h"
#include "registers/WriteAndCheck.h"

namespace qb::registers {

using platform::named;

CalibrationForm::CalibrationForm(const link::Context& ctx, const CalibrationRegister& which, QWidget* parent)
    : Form(parent), ctx_(ctx), which_(which), reg_(ctx) {
    setObjectName(QString::fromUtf8(which.name));
    setCaption(which.caption);

    Frame1 = named(new QGroupBox, "Frame1");
    Label1 = platform::TitleLabel("Label1", QString::fromUtf8(which.heading));
    (new QVBoxLayout(Frame1))->addWidget(Label1);

    Frame2 = named(new QGroupBox(QString::fromUtf8(which.frameCaption)), "Frame2");
    shapes_ = new platform::BitRow(24, Frame2);
    auto* bits = new QHBoxLayout(Frame2);
    bits->setContentsMargins(14, 10, 14, 10);
    bits->addWidget(shapes_);

    Frame3 = named(new QGroupBox, "Frame3");
    Label2 = platform::ReadoutLabel("Label2", {}, 90);
    (new QVBoxLayout(Frame3))->addWidget(Label2);

    Label4 = platform::CaptionLabel("Label4", QStringLiteral("Enter A New Word (Hex)"));
    new_word = new platform::TextBox("new_word");
    new_word->setMaxLength(kHexWordDigits);
    new_word->setMinimumWidth(new_word->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDD")) + 18);
    Label4->setBuddy(new_word);
    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("Back..."));

    auto* entry = new QHBoxLayout;
    entry->setSpacing(10);
    entry->addWidget(Label4);
    entry->addWidget(new_word);
    entry->addStretch(1);
    entry->addWidget(Command3D1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(Frame1, 0, 0, 1, 2);
    grid->addWidget(Frame2, 1, 0);
    grid->addWidget(Frame3, 1, 1);
    grid->addLayout(entry, 2, 0, 1, 2);

    new_word->onClick([this] { new_word_Click(); });
    new_word->onKeyPress([this](int& key) { new_word_KeyPress(key); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
}

void CalibrationForm::Form_Load() {
    reg_.setReadAddress(which_.readAddress);
    reg_.setWriteAddress(which_.writeAddress);
    reg_.setWordLength(link::comms::kOffsetBits);
    value() = platform::ToInt32(reg_.ReadReg()).value_or(0);
    ShowRegisterBits();
    new_word->setText(Label2->text());
    new_word->setFocus();
    new_word->selectAll();
}

void CalibrationForm::ShowRegisterBits() {
    shapes_->show(static_cast<uint32_t>(value()));
    Label2->setText(QString::fromStdString(platform::Hex(value())));
}

void CalibrationForm::new_word_Click() { new_word->clear(); }

void CalibrationForm::new_word_KeyPress(int& keyAscii) {
    if (which_.hexKeysOnly && keyAscii != 13 && !IsHexDigitKey(keyAscii)) {
        new_word->clear();
        keyAscii = 8;  // acts on the empty box
        return;
    }
    if (keyAscii != 13) return;
    if (new_word->text().isEmpty()) {
        new_word->setText(QStringLiteral("0"));  // the register keeps its value, written again
    } else {
        const auto typed = ParseHexWord(new_word->str());
        if (!typed) {
            new_word->clear();
            return;
        }
        value() = *typed;
        new_word->setText(QString::fromStdString(platform::Hex(*typed)));
    }
    if (WriteAndCheck(reg_, value())) ShowRegisterBits();
    else ctx_.messages.exclamation(link::kReadErrorMessage);
}

void CalibrationForm::Command3D1_Click() { unload(); }

} // namespace qb::registers
