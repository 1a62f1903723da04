#pragma once
// The readout below the graph's and the histogram's chart: the code under the cursor in decimal
// (lblDecValue) and hexadecimal (lblHexValue) on the first row, one more value (lblCursPosition:
// the graph's cursor position, the histogram's count) on the second, each beside its caption.
// The two windows name and word the captions differently; the value boxes are the same.
class QGridLayout;
class QLabel;

namespace qb::analysis {

struct CursorPanel {
    // A caption label: its control name and text.
    struct Caption {
        const char* name;
        const char* text;
    };
    struct Captions {
        Caption title, dec, hex, second;
    };

    explicit CursorPanel(const Captions& captions);

    // Empties the three value boxes.
    void clear();

    QLabel* lblDecValue;
    QLabel* lblHexValue;
    QLabel* lblCursPosition;
    QGridLayout* layout;  // for the window's layout to take
};

} // namespace qb::analysis
