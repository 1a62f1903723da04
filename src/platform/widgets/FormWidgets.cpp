#include "platform/widgets/FormWidgets.h"

#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/Controls.h"

namespace qb::platform {

namespace {

constexpr double kTitleScale = 1.6;
constexpr int kReadoutPadding = 12;  // beside the widest number

} // namespace

int CaptionWidth(const QWidget& window) {
    QFont titleFont = window.font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(window.windowTitle()) + kTitleBarAllowance;
}

void KeepCaptionWhole(QWidget& window) {
    QLayout* layout = window.layout();
    if (!layout || window.property("qbCaptionKept").toBool()) return;
    window.setProperty("qbCaptionKept", true);
    const QMargins margins = layout->contentsMargins();
    const int width = CaptionWidth(window) - margins.left() - margins.right();
    // A row of no height as wide as that.
    auto* strut = new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->addItem(strut, grid->rowCount(), 0, 1, grid->columnCount());
    else
        layout->addItem(strut);
}

QLabel* CaptionLabel(const char* name, const QString& text) { return named(new QLabel(text), name); }

QLabel* BoldCaptionLabel(const char* name, const QString& text) {
    QLabel* label = CaptionLabel(name, text);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

void StyleAsTitle(QLabel* label) {
    QFont font = label->font();
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * kTitleScale);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
}

QLabel* TitleLabel(const char* name, const QString& text) {
    auto* label = named(new QLabel(text), name);
    StyleAsTitle(label);
    return label;
}

QGroupBox* TitleFrame(const char* frameName, const char* labelName, const QString& title) {
    auto* frame = named(new QGroupBox, frameName);
    QLabel* label = TitleLabel(labelName, title);
    (new QVBoxLayout(frame))->addWidget(label);
    return frame;
}

QPushButton* CommandButton(const char* name, const QString& caption, int minimumWidth) {
    auto* button = named(new QPushButton(caption), name);
    button->setAutoDefault(false);
    button->setMinimumWidth(minimumWidth);
    return button;
}

QPushButton* MenuButton(const char* name, const char* caption, int minimumWidth, QObject* receiver,
                        std::function<void()> click) {
    QPushButton* button = CommandButton(name, QString::fromUtf8(caption), minimumWidth);
    button->setMinimumHeight(kMenuButtonHeight);
    QObject::connect(button, &QPushButton::clicked, receiver, std::move(click));
    return button;
}

QHBoxLayout* ButtonRow(QWidget* left, QWidget* right) {
    auto* row = new QHBoxLayout;
    row->addWidget(left);
    row->addStretch(1);
    row->addWidget(right);
    return row;
}

QLabel* PictureLabel(const char* name, const QPixmap& picture, int size) {
    auto* label = named(new QLabel, name);
    label->setPixmap(picture);
    label->setFixedSize(size + kPictureBorder, size + kPictureBorder);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void LayOutQuestionWindow(QWidget* window, QLabel* picture, Qt::Alignment pictureAlignment, QLabel* text,
                          QHBoxLayout* buttons) {
    auto* question = new QHBoxLayout;
    question->setSpacing(kPictureGap);
    question->addWidget(picture, 0, pictureAlignment);
    question->addWidget(text, 1, Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(kQuestionWindowMargins);
    layout->setSpacing(kQuestionGap);
    layout->addLayout(question);
    layout->addLayout(buttons);
}

void CaptionValue(QLabel* value, const QString& caption) {
    value->setAccessibleName({});  // the text is the name
    value->setAccessibleDescription(caption);
}

QLabel* ValueLabel(const char* name, const QString& caption, const QString& text) {
    auto* label = named(new QLabel(text), name);
    CaptionValue(label, caption);
    return label;
}

QLabel* ReadoutLabel(const char* name, const QString& caption, const QString& text, int minimumWidth) {
    QLabel* label = ValueLabel(name, caption, text);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(minimumWidth > 0
                               ? minimumWidth
                               : label->fontMetrics().horizontalAdvance(QStringLiteral(" -2147483648")) + kReadoutPadding);
    return label;
}

} // namespace qb::platform
