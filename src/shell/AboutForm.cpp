#include "shell/AboutForm.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/QtText.h"
#include "platform/widgets/Sizes.h"
#include "shell/Version.h"

namespace qb::shell {

using platform::named;

namespace {

constexpr int kPictureSize = 64;
constexpr double kTitleScale = 1.35;
constexpr int kLineGap = 4;           // between the title block's lines
constexpr int kParagraphGap = 8;      // above the line on the board
constexpr int kPictureGap = 16;       // between the picture and the title block
constexpr int kPublisherLineGap = 2;
constexpr int kBlockGap = 12;         // between the title, the rule and the publisher

QLabel* label(const char* name, const char* text) {
    auto* l = named(new QLabel(QString::fromUtf8(text)), name);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    return l;
}

// The picture: a converter chip in a dual-in-line package, drawn rather than loaded.
QPixmap ChipPicture(int size, QFont font) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal pinLength = size * 0.12;
    const QRectF body(pinLength, size * 0.08, size - 2 * pinLength, size * 0.84);
    const int pins = 6;
    const qreal pitch = body.height() / pins;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB8, 0xB8, 0xB8));
    for (int i = 0; i < pins; ++i) {
        const qreal y = body.top() + pitch * (i + 0.3);
        p.drawRect(QRectF(0, y, pinLength + 1, pitch * 0.4));
        p.drawRect(QRectF(body.right() - 1, y, pinLength + 1, pitch * 0.4));
    }
    p.setBrush(QColor(0x2E, 0x33, 0x38));
    p.drawRoundedRect(body, size * 0.05, size * 0.05);
    p.setBrush(QColor(0x55, 0x5B, 0x61));
    p.drawEllipse(QPointF(body.center().x(), body.top()), size * 0.07, size * 0.07);
    font.setBold(true);
    font.setPixelSize(qMax(6, int(size * 0.15)));
    p.setFont(font);
    p.setPen(QColor(0xE8, 0xE8, 0xE8));
    p.drawText(body, Qt::AlignCenter, QStringLiteral("QB\n4160"));
    return pixmap;
}

void scaleFont(QLabel* l, double factor, bool bold) {
    QFont f = l->font();
    if (f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() * factor);
    f.setBold(bold);
    l->setFont(f);
}

} // namespace

AboutForm::AboutForm(const std::string& board, QWidget* parent) : Form(parent) {
    setCaption("About");
    lblBoard = platform::ValueLabel("lblBoard", QStringLiteral("Board"), platform::ToQt(board));
    Picture1 = platform::PictureLabel("Picture1", ChipPicture(kPictureSize, font()), kPictureSize);
    Command1 = named(new QPushButton(QStringLiteral("OK")), "Command1");
    Command1->setMinimumWidth(platform::kOkWidth);
    makeTexts();
    layOut();
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    Command1->setFocus();
}

void AboutForm::makeTexts() {
    lblVersion = label("lblVersion", "");
    lblTitle = label("lblTitle", "QB4160/60L Evaluation Software");
    scaleFont(lblTitle, kTitleScale, true);
    Label2 = label("Label2", "This Software is distributed free with the ");
    Label3 = label("Label3", "QB4160/60L Evaluation Board");
    scaleFont(Label3, 1.0, true);
    lblDate = label("lblDate", "Released in 2024");
    Label1 = label("Label1", "Converter Evaluation Tools");
    Label4 = label("Label4", "qb4160-eval developers");
}

// The picture beside the title block, the publisher's lines under a rule, OK at the right.
void AboutForm::layOut() {
    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(kLineGap);
    titleBlock->addWidget(lblTitle);
    titleBlock->addWidget(lblVersion);
    titleBlock->addWidget(lblBoard);
    titleBlock->addSpacing(kParagraphGap);
    auto* freeLine = new QHBoxLayout;
    freeLine->setSpacing(0);
    freeLine->addWidget(Label2);
    freeLine->addWidget(Label3);
    freeLine->addStretch();
    titleBlock->addLayout(freeLine);

    auto* top = new QHBoxLayout;
    top->setSpacing(kPictureGap);
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addLayout(titleBlock, 1);

    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* publisher = new QVBoxLayout;
    publisher->setSpacing(kPublisherLineGap);
    publisher->addWidget(Label4);
    publisher->addWidget(Label1);
    publisher->addWidget(lblDate);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(publisher, 1);
    bottom->addWidget(Command1, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(platform::kQuestionWindowMargins);
    layout->setSpacing(kBlockGap);
    layout->addLayout(top);
    layout->addWidget(rule);
    layout->addLayout(bottom);
}

void AboutForm::Form_Load() {
    lblVersion->setText(platform::ToQt("Version " + VersionText()));
}

void AboutForm::Command1_Click() { unload(); }

} // namespace qb::shell
