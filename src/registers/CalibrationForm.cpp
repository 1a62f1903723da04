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
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "platform/base/Numbers.h"
#include "registers/WriteAndCheck.h"

namespace qb::registers {

using platform::named;

namespace {

constexpr int kEntryGap = 10;  // between the entry's caption, box and button

} // namespace

CalibrationForm::CalibrationForm(const link::Context& ctx, const CalibrationRegister& which, QWidget* parent)
    : Form(parent), ctx_(ctx), which_(which), reg_(ctx) {
    setObjectName(QString::fromUtf8(which.name));
    setCaption(which.caption);
    Frame1 = platform::TitleFrame("Frame1", "Label1", QString::fromUtf8(which.heading));
    makeRegisterFrames();
    QHBoxLayout* entry = makeEntryRow();
    layOut(entry);
    new_word->onClick([this] { new_word_Click(); });
    new_word->onKeyPress([this](int& key) { new_word_KeyPress(key); });
    connect(Command3D1, &QPushButton::clicked, this, [this] { Command3D1_Click(); });
}

// The register bit by bit, and in hexadecimal.
void CalibrationForm::makeRegisterFrames() {
    Frame2 = named(new QGroupBox(QString::fromUtf8(which_.frameCaption)), "Frame2");
    shapes_ = new platform::BitRow(24, Frame2);
    auto* bits = new QHBoxLayout(Frame2);
    bits->setContentsMargins(platform::kBitFrameMargins);
    bits->addWidget(shapes_);

    Frame3 = named(new QGroupBox, "Frame3");
    Label2 = platform::ReadoutLabel("Label2", QString::fromUtf8(which_.heading) + QStringLiteral(" (Hex)"), {},
                                    platform::kRegisterReadoutWidth);
    (new QVBoxLayout(Frame3))->addWidget(Label2);
}

// The new word and the way back.
QHBoxLayout* CalibrationForm::makeEntryRow() {
    Label4 = platform::CaptionLabel("Label4", QStringLiteral("Enter A New Word (Hex)"));
    new_word = new platform::TextBox("new_word");
    new_word->setMaxLength(kHexWordDigits);
    new_word->setMinimumWidth(new_word->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDD")) +
                              platform::kTextBoxPadding);
    Label4->setBuddy(new_word);
    Command3D1 = platform::CommandButton("Command3D1", QStringLiteral("Back..."));

    auto* entry = new QHBoxLayout;
    entry->setSpacing(kEntryGap);
    entry->addWidget(Label4);
    entry->addWidget(new_word);
    entry->addStretch(1);
    entry->addWidget(Command3D1);
    return entry;
}

void CalibrationForm::layOut(QHBoxLayout* entry) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(platform::kRegisterWindowMargins);
    grid->setHorizontalSpacing(platform::kFrameGapAcross);
    grid->setVerticalSpacing(platform::kFrameGapDown);
    grid->addWidget(Frame1, 0, 0, 1, 2);
    grid->addWidget(Frame2, 1, 0);
    grid->addWidget(Frame3, 1, 1);
    grid->addLayout(entry, 2, 0, 1, 2);
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
    Label2->setText(platform::ToQt(platform::Hex(value())));
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
        new_word->setText(platform::ToQt(platform::Hex(*typed)));
    }
    if (WriteAndCheck(reg_, value())) ShowRegisterBits();
    else ctx_.messages.exclamation(link::kReadErrorMessage);
}

void CalibrationForm::Command3D1_Click() { unload(); }

} // namespace qb::registers
