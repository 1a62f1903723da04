#include "link/ResetForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "link/Serial.h"
#include "platform/widgets/Controls.h"

namespace qb::link {

using platform::named;

ResetForm::ResetForm(const Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160");

    ResetOKCommand = named(new QPushButton(QStringLiteral("Cancel")), "ResetOKCommand");
    Command2 = named(new QPushButton(QStringLiteral("Hardware Reset")), "Command2");
    Command1 = named(new QPushButton(QStringLiteral("Software Reset")), "Command1");
    Picture1 = named(new QLabel, "Picture1");
    const int iconSize = 40;
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(iconSize, iconSize));
    Picture1->setFixedSize(iconSize + 4, iconSize + 4);
    Picture1->setAlignment(Qt::AlignCenter);
    Label1 = named(new QLabel(QStringLiteral("Reset the QB4160 interface or the device?")), "Label1");

    auto* question = new QHBoxLayout;
    question->setSpacing(14);
    question->addWidget(Picture1, 0, Qt::AlignVCenter);
    question->addWidget(Label1, 1, Qt::AlignVCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(ResetOKCommand);
    for (QPushButton* b : {Command1, Command2, ResetOKCommand}) b->setMinimumWidth(110);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(16);
    layout->addLayout(question);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(ResetOKCommand, &QPushButton::clicked, this, [this] { ResetOKCommand_Click(); });
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, ResetOKCommand);
    ResetOKCommand->setFocus();
}

void ResetForm::Command1_Click() {
    InterfaceReset(ctx_);
    unload();
}

void ResetForm::Command2_Click() {
    DeviceReset(ctx_);
    unload();
}

void ResetForm::ResetOKCommand_Click() { unload(); }

} // namespace qb::link
