#include "registers/chop_skip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Controls.h"
#include "platform/FormWidgets.h"

namespace qb::registers {

using platform::named;

chop_skip::chop_skip(const link::Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("chop_skip"));
    setCaption("QB4160");

    Picture1 = named(new QLabel, "Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40));
    Picture1->setAlignment(Qt::AlignTop);
    Label1 = platform::CaptionLabel("Label1", QString::fromUtf8(kChopSkipMessage));
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(300);
    Command1 = platform::CommandButton("Command1", QStringLiteral("Chop On  Skip Off"), 150);
    Command2 = platform::CommandButton("Command2", QStringLiteral("Chop Off  Skip On"), 150);

    auto* message = new QHBoxLayout;
    message->setSpacing(14);
    message->addWidget(Picture1);
    message->addWidget(Label1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(14);
    layout->addLayout(message);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, [this] { answer(kChopOnSkipOff); });
    connect(Command2, &QPushButton::clicked, this, [this] { answer(kChopOffSkipOn); });
    Command1->setFocus();
}

void chop_skip::answer(int16_t choice) {
    ctx_.settings.DialogChoice = choice;
    unload();
}

} // namespace qb::registers
