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

} // namespace

CursorPanel::CursorPanel(const Captions& captions)
    : lblDecValue(platform::ReadoutLabel("lblDecValue")),
      lblHexValue(platform::ReadoutLabel("lblHexValue")),
      lblCursPosition(platform::ReadoutLabel("lblCursPosition")),
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
