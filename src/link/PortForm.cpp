#include "link/PortForm.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/Serial.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Sizes.h"

namespace qb::link {

using platform::named;
using platform::OptionButton;

namespace {

constexpr QMargins kOptionsMargins{16, 10, 16, 10};
constexpr int kOptionGap = 8;
constexpr QMargins kMargins{18, 16, 18, 14};
constexpr int kRowGap = 10;

} // namespace

PortForm::PortForm(const Context& ctx, QWidget* parent) : Form(parent), ctx_(ctx) {
    setCaption("Parallel Port Selection");

    Frame1 = named(new QGroupBox, "Frame1");
    LPT1 = new OptionButton("LPT1", QStringLiteral("LPT1 (H378/37A)"), Frame1);
    LPT2 = new OptionButton("LPT2", QStringLiteral("LPT2 (H278/27A)"), Frame1);
    PRN = new OptionButton("PRN", QStringLiteral("PRN (H3BC/3BE)"), Frame1);
    Command1 = named(new QPushButton(QStringLiteral("OK")), "Command1");
    Command1->setMinimumWidth(platform::kOkWidth);
    Label1 = named(new QLabel(QStringLiteral("Please select the parallel Port you are using")), "Label1");

    auto* options = new QVBoxLayout(Frame1);
    options->setContentsMargins(kOptionsMargins);
    options->setSpacing(kOptionGap);
    options->addWidget(LPT1);
    options->addWidget(LPT2);
    options->addWidget(PRN);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargins);
    layout->setSpacing(kRowGap);
    layout->addWidget(Label1);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    LPT1->onClick([this] { choose(kLpt1Address); });
    LPT2->onClick([this] { choose(kLpt2Address); });
    PRN->onClick([this] { choose(kPrnAddress); });
    connect(Command1, &QPushButton::clicked, this, [this] { unload(); });
}

void PortForm::Form_Load() {
    const int16_t address = ctx_.settings.PortAddress;
    openedWithoutPort_ = !PortUsable(address);
    if (address == kLpt1Address) LPT1->setValue(true);
    else if (address == kLpt2Address) LPT2->setValue(true);
    else if (address == kPrnAddress) PRN->setValue(true);
    Command1->setFocus();
}

void PortForm::choose(int16_t address) { ctx_.settings.PortAddress = address; }

void PortForm::Form_Unload() {
    const int16_t address = ctx_.settings.PortAddress;
    if (!openedWithoutPort_ || !PortUsable(address)) return;
    const auto control = static_cast<int16_t>(address + 2);
    OutPort(ctx_, control, static_cast<int16_t>(InPort(ctx_, control) & kControlMask));
}

} // namespace qb::link
