#pragma once
// Text and number conventions shared by every window and headless command.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb::platform {

// Plain decimal text with one leading blank when x is not negative (" 19.53", "-2", " 0").
// Whole numbers have no decimal point; other values show up to 15 significant digits with
// trailing zeros dropped and a leading zero before the point (" 0.5"). Numbers of 10^15 and
// more, and below 10^-4, are written with an exponent (" 1E+16", "-2.5E-05"). NaN and the
// infinities give " NaN", " Infinity" and "-Infinity".
std::string Str(double x);

// Number pictures: '0' a forced digit, '#' an optional digit, '.' the decimal point, e.g.
// "0.00", "#.00", "0.000", "#.000", "0.####", "######", "0", "000", "00000000", "####.##".
// The value is rounded to the picture's decimals, halves away from zero on its shortest exact
// decimal text (2.675 with "0.00" gives "2.68"). Integer digits are never cut off. "#.000"
// drops the zero before the point ("0.5" -> ".500", "-0.5" -> "-.500"); optional decimals that
// would be trailing zeros are dropped together with a point that would end the text
// ("0.####": 2.5 -> "2.5", 2 -> "2"). A result that shows as zero never carries a minus sign.
// A zero under a picture of optional digits only shows as "0" ("######", "####.##"), never as
// an empty text. NaN and the infinities give "NaN", "Infinity" and "-Infinity"; a picture
// outside this grammar gives the shortest exact decimal text.
std::string Format(double x, std::string_view picture);

// The whole text (blanks around it allowed) as a decimal number: optional sign, digits, an
// optional fraction, an optional exponent. nullopt for anything else, including an empty text.
// Only '.' is a decimal point, whatever the locale. A number too large for a double is nullopt;
// one too small for it is 0.
std::optional<double> ParseNumber(std::string_view text);

// The leading number of a text, as far as it reads as one, after leading blanks; 0 when the
// text does not start with a number ("12abc" -> 12, "abc" -> 0, " -3.5x" -> -3.5). A leading
// number too large for a double also gives 0.
double Val(std::string_view text);

// True for the characters 0-9, A-F and a-f.
bool IsHexDigit(int c);

// The whole text as an unsigned hexadecimal number of 1 to maxDigits (at most 8) digits of
// either case, with no blanks, sign or prefix ("FF", "800000"); nullopt for anything else.
std::optional<uint32_t> ParseHexDigits(std::string_view text, std::size_t maxDigits);

// The shortest text that reads back as the same double, without a leading blank, for files that
// scripts read ("-2.5", "0.125", "1.9073486328125e-08", "0").
std::string ShortestText(double x);

// A text taken from a file or typed, fit to quote in a one-line message: control characters are
// written as C escapes ("\n", "\t", "\x1b") and a backslash as "\\", so that no value can
// break a message across lines or send a terminal its own commands.
std::string Printable(std::string_view text);

} // namespace qb::platform
