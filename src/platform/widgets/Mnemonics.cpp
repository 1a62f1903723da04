#include "platform/widgets/Mnemonics.h"

#include <set>
#include <vector>

#include <QKeySequence>
#include <QPushButton>

namespace qb::platform {

namespace {

// The letter "&" marks in `caption` (upper-cased), or a null character.
QChar markedLetter(const QString& caption) {
    const QKeySequence key = QKeySequence::mnemonic(caption);
    if (key.isEmpty()) return {};
    return QChar(key[0].key()).toUpper();
}

// Where each candidate letter stands in `caption`, best first: word initials, then the rest.
std::vector<qsizetype> candidates(const QString& caption) {
    std::vector<qsizetype> initials, others;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (!caption[i].isLetterOrNumber() || caption[i].unicode() > 127) continue;
        const bool initial = i == 0 || !caption[i - 1].isLetterOrNumber();
        (initial ? initials : others).push_back(i);
    }
    initials.insert(initials.end(), others.begin(), others.end());
    return initials;
}

} // namespace

void GiveMnemonics(QWidget& window) {
    std::vector<QPushButton*> buttons;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain())
        if (auto* b = qobject_cast<QPushButton*>(w); b && b->window() == &window) buttons.push_back(b);

    std::set<QChar> used;
    std::vector<QPushButton*> open;
    for (QPushButton* b : buttons) {
        if (const QChar marked = markedLetter(b->text()); !marked.isNull())
            used.insert(marked);
        else if (!b->text().contains(QLatin1Char('&')))
            open.push_back(b);
    }
    // First letters of first words go first, so that a later button does not take an earlier
    // button's obvious letter as its second choice.
    for (const bool firstOnly : {true, false}) {
        for (QPushButton*& b : open) {
            if (!b) continue;
            const QString caption = b->text();
            std::vector<qsizetype> places = candidates(caption);
            if (firstOnly && places.size() > 1) places.resize(1);
            for (qsizetype at : places) {
                const QChar letter = caption[at].toUpper();
                if (!used.insert(letter).second) continue;
                b->setText(QString(caption).insert(at, QLatin1Char('&')));
                b = nullptr;
                break;
            }
        }
    }
}

} // namespace qb::platform
