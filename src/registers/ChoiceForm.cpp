#include "registers/ChoiceForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/Sizes.h"

namespace qb::registers {

using platform::named;

namespace {

constexpr int kIconSize = 32;
constexpr int kTextWidth = 300;
constexpr int kButtonWidth = 150;

} // namespace

ChoiceForm::ChoiceForm(const char* caption, const char* text, Choice first, Choice second, QWidget* parent)
    : Form(parent) {
    setCaption(caption);
    Picture1 = platform::PictureLabel(
        "Picture1", style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSize, kIconSize), kIconSize);
    Label1 = named(new QLabel(QString::fromUtf8(text)), "Label1");
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(kTextWidth);
    first_ = platform::CommandButton(first.name, QString::fromUtf8(first.caption), kButtonWidth);
    second_ = platform::CommandButton(second.name, QString::fromUtf8(second.caption), kButtonWidth);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(platform::kButtonGap);
    buttons->addStretch();
    buttons->addWidget(first_);
    buttons->addWidget(second_);
    platform::LayOutQuestionWindow(this, Picture1, Qt::AlignTop, Label1, buttons);

    // Either answer is recorded, then the window closes.
    const auto answerAndClose = [this](QPushButton* button, std::function<void()> answer) {
        connect(button, &QPushButton::clicked, this, [this, answer = std::move(answer)] {
            answer();
            unload();
        });
    };
    answerAndClose(first_, std::move(first.answer));
    answerAndClose(second_, std::move(second.answer));
    setTabOrder(first_, second_);
}

channelform::channelform(const link::Context& ctx, QWidget* parent)
    : ChoiceForm(kChannelFormCaption, kChannelFormText,
                 {"Command1", "Turn Off Digital O/Ps", [this] { settings_.TurnOffOutputsChosen = 1; }},
                 {"Command2", "Cancel", [this] { settings_.TurnOffOutputsChosen = 0; }}, parent),
      settings_(ctx.settings) {}

void channelform::Form_Load() {
    settings_.TurnOffOutputsChosen = 0;  // no answer yet
    second_->setFocus();
}

warning::warning(const link::Context& ctx, QWidget* parent)
    : ChoiceForm(kWarningCaption, kWarningText,
                 {"Command1", "Don't Disable", [this] { settings_.DialogChoice = 1, answered_ = true; }},
                 {"ReadErrorCommand", "Disable", [this] { settings_.DialogChoice = 2, answered_ = true; }},
                 parent),
      settings_(ctx.settings) {}

void warning::Form_Load() {
    answered_ = false;
    first_->setFocus();
}

void warning::Form_Unload() {
    // Closed without a choice: the clock output stays on, as with "Don't Disable".
    if (!answered_) settings_.DialogChoice = 1;
}

chop_skip::chop_skip(const link::Context& ctx, QWidget* parent)
    : ChoiceForm(kChopSkipCaption, kChopSkipText,
                 {"Command1", "Chop On  Skip Off", [&s = ctx.settings] { s.DialogChoice = kChopOnSkipOff; }},
                 {"Command2", "Chop Off  Skip On", [&s = ctx.settings] { s.DialogChoice = kChopOffSkipOn; }},
                 parent) {}

} // namespace qb::registers
