#pragma once
// The sizes, in pixels, that several windows are laid out with; a size only one window uses is
// named in that window.
#include <QMargins>

namespace qb::platform {

// Around the register windows' frames.
inline constexpr QMargins kRegisterWindowMargins{16, 14, 16, 14};
// Around the small question windows (a picture, a question, buttons) and About.
inline constexpr QMargins kQuestionWindowMargins{18, 18, 18, 14};
// Around a row of bit indicators in its frame.
inline constexpr QMargins kBitFrameMargins{14, 10, 14, 10};
// Between the frames of a register window, across and down.
inline constexpr int kFrameGapAcross = 12;
inline constexpr int kFrameGapDown = 10;
// A 24-bit register in hexadecimal, in a value box.
inline constexpr int kRegisterReadoutWidth = 90;
// What a text box needs beyond the width of the widest text it takes.
inline constexpr int kTextBoxPadding = 18;
// The least width of a window's command buttons ("Back...", "OK").
inline constexpr int kCommandWidth = 100;

} // namespace qb::platform
