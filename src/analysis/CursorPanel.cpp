#include "analysis/CursorPanel.h"

#include <QGridLayout>
#include <QLabel>

#include "platform/widgets/FormWidgets.h"

namespace qb::analysis {

namespace {

constexpr int kHexCaptionColumn = 40;  // the least width of the "Hex:" caption's column

QLabel* captionLabel(const CursorPanel::Caption& caption) {
    return platform::CaptionLabel(caption.name, QString::fromUtf8(caption.text));
}

// A caption without its colon.
QString plain(const CursorPanel::Caption& caption) {
    QString text = QString::fromUtf8(caption.text).trimmed();
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.trimmed();
}

// Each value's caption for a screen reader: what its row is about, then the caption beside it
// ("Value Dec").
QString valueCaption(const CursorPanel::Caption& row, const CursorPanel::Caption& beside) {
    return &row == &beside ? plain(row) : plain(row) + QLatin1Char(' ') + plain(beside);
}

} // namespace

CursorPanel::CursorPanel(const Captions& captions)
    : lblDecValue(platform::ReadoutLabel("lblDecValue", valueCaption(captions.title, captions.dec))),
      lblHexValue(platform::ReadoutLabel("lblHexValue", valueCaption(captions.title, captions.hex))),
      lblCursPosition(platform::ReadoutLabel("lblCursPosition", valueCaption(captions.second, captions.second))),
      layout(new QGridLayout) {
    layout->addWidget(captionLabel(captions.title), 0, 0);
    layout->addWidget(captionLabel(captions.dec), 0, 1, Qt::AlignRight);
    layout->addWidget(lblDecValue, 0, 2);
    layout->addWidget(captionLabel(captions.hex), 0, 3, Qt::AlignRight);
    layout->addWidget(lblHexValue, 0, 4);
    layout->addWidget(captionLabel(captions.second), 1, 0, 1, 2);
    layout->addWidget(lblCursPosition, 1, 2);
    layout->setColumnMinimumWidth(3, kHexCaptionColumn);
}

void CursorPanel::clear() {
    lblDecValue->clear();
    lblHexValue->clear();
    lblCursPosition->clear();
}

} // namespace qb::analysis
