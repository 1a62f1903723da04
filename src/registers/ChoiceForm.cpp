#include "registers/ChoiceForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"

namespace qb::registers {

using platform::named;

ChoiceForm::ChoiceForm(const char* caption, const char* text, Choice first, Choice second, QWidget* parent)
    : Form(parent) {
    setCaption(caption);

    constexpr int kIconSize = 32;
    Picture1 = named(new QLabel, "Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSize, kIconSize));
    Picture1->setFixedSize(kIconSize + 4, kIconSize + 4);
    Picture1->setAlignment(Qt::AlignCenter);
    Label1 = named(new QLabel(QString::fromUtf8(text)), "Label1");
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(300);

    first_ = platform::CommandButton(first.name, QString::fromUtf8(first.caption), 150);
    second_ = platform::CommandButton(second.name, QString::fromUtf8(second.caption), 150);

    auto* message = new QHBoxLayout;
    message->setSpacing(14);
    message->addWidget(Picture1, 0, Qt::AlignTop);
    message->addWidget(Label1, 1, Qt::AlignVCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(first_);
    buttons->addWidget(second_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(16);
    layout->addLayout(message);
    layout->addLayout(buttons);

    connect(first_, &QPushButton::clicked, this, [this, answer = std::move(first.answer)] {
        answer();
        unload();
    });
    connect(second_, &QPushButton::clicked, this, [this, answer = std::move(second.answer)] {
        answer();
        unload();
    });
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
