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
// The least width of a window's command buttons ("Back..."), and of a lone "OK".
inline constexpr int kCommandWidth = 100;
inline constexpr int kOkWidth = 90;
// What a title bar needs beside its caption: the window's icon and its buttons.
inline constexpr int kTitleBarAllowance = 140;
// The height of a menu's buttons.
inline constexpr int kMenuButtonHeight = 30;
// A question window: between its picture and its text, between the question and the buttons,
// and between two buttons; a picture's label beyond the picture.
inline constexpr int kPictureGap = 14;
inline constexpr int kQuestionGap = 16;
inline constexpr int kButtonGap = 8;
inline constexpr int kPictureBorder = 4;

} // namespace qb::platform
