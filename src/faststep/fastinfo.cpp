#include "faststep/fastinfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/FormWidgets.h"

namespace qb::faststep {

namespace {

constexpr int kTextWidth = 560;
constexpr QMargins kMargins{20, 16, 20, 16};
constexpr int kParagraphGap = 12;

// A paragraph of the explanation, wrapped to the window's width.
QLabel* paragraph(const char* name, const char* text) {
    auto* label = platform::CaptionLabel(name, QString::fromUtf8(text));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setFixedWidth(kTextWidth);
    label->setMinimumHeight(label->heightForWidth(kTextWidth));
    return label;
}

} // namespace

fastinfo::fastinfo(QWidget* parent) : Form(parent) {
    setCaption(kInfoCaption);

    auto* Command1 = platform::CommandButton("Command1", QStringLiteral("Back"));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(kMargins);
    page->setSpacing(kParagraphGap);
    page->addWidget(platform::TitleLabel("Label1", QString::fromUtf8(kInfoTitle)));
    page->addWidget(paragraph("Label2", kInfoIntro));
    page->addWidget(paragraph("Label3", kInfoSetup));
    page->addWidget(paragraph("Label4", kInfoRun));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    page->addLayout(buttons);
    Command1->setFocus();
}

void fastinfo::Command1_Click() { unload(); }

} // namespace qb::faststep
