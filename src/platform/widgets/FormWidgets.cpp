#include "platform/widgets/FormWidgets.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "platform/widgets/Controls.h"

namespace qb::platform {

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
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
}

QLabel* TitleLabel(const char* name, const QString& text) {
    auto* label = named(new QLabel(text), name);
    StyleAsTitle(label);
    return label;
}

QPushButton* CommandButton(const char* name, const QString& caption, int minimumWidth) {
    auto* button = named(new QPushButton(caption), name);
    button->setAutoDefault(false);
    button->setMinimumWidth(minimumWidth);
    return button;
}

QLabel* ReadoutLabel(const char* name, const QString& text, int minimumWidth) {
    auto* label = named(new QLabel(text), name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(minimumWidth > 0
                               ? minimumWidth
                               : label->fontMetrics().horizontalAdvance(QStringLiteral(" -2147483648")) + 12);
    return label;
}

} // namespace qb::platform
