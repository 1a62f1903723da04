#pragma once
// Alt+letter for every push button of a window, each letter used once in the window. A button
// whose caption already marks its letter with "&" keeps it. The others are taken in the order
// the keyboard visits them (so the first buttons get the most telling letters): each first tries
// the first letter of its first word, then the first letters of its other words, then any other
// letter or digit of its caption. The caption reads as before (the letter is underlined) and a
// screen reader still reads it without the "&".
class QWidget;

namespace qb::platform {

void GiveMnemonics(QWidget& window);

} // namespace qb::platform
