#include "link/ResetForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "link/Serial.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/Sizes.h"

namespace qb::link {

using platform::named;

namespace {

constexpr int kIconSize = 40;
constexpr int kButtonWidth = 110;

} // namespace

ResetForm::ResetForm(const Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("QB4160");
    ResetOKCommand = named(new QPushButton(QStringLiteral("Cancel")), "ResetOKCommand");
    Command2 = named(new QPushButton(QStringLiteral("Hardware Reset")), "Command2");
    Command1 = named(new QPushButton(QStringLiteral("Software Reset")), "Command1");
    for (QPushButton* b : {Command1, Command2, ResetOKCommand}) b->setMinimumWidth(kButtonWidth);
    Picture1 = platform::PictureLabel(
        "Picture1", style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(kIconSize, kIconSize), kIconSize);
    Label1 = named(new QLabel(QStringLiteral("Reset the QB4160 interface or the device?")), "Label1");

    // The two resets on the left, Cancel on the right.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(platform::kButtonGap);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(ResetOKCommand);
    platform::LayOutQuestionWindow(this, Picture1, Qt::AlignVCenter, Label1, buttons);

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
