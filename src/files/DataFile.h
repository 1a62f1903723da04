#pragma once
// The data file: plain text, one code per line, decimal or hexadecimal, every line ended by
// carriage return and line feed. The file does not say which form it holds; the user does.
// Free of widgets, so the file windows, the headless commands and the fuzzer share it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/CodeCount.h"
#include "platform/base/SafeSave.h"
#include "platform/base/Result.h"

namespace qb::link {
struct SharedSettings;
}

namespace qb::files {

enum class CodeForm { Decimal, Hex };

// ---- Writing ----------------------------------------------------------------------------------

// One code as its line text without the line end. Decimal: the whole number (a fraction is
// rounded to the nearest integer, halves to the even one) after one blank when it is 0 or more,
// after "-" when negative (" 8388608", "-5"). Hex: the code rounded to a 32-bit integer, in
// upper-case digits without prefix or leading zeros ("800000", "0"), a negative code as its
// 8-digit two's complement ("FFFFFFFF" for -1).
// nullopt when the code cannot be written: not a finite number, or (hex) outside the signed
// 32-bit range after rounding.
std::optional<std::string> FormatCodeLine(double code, CodeForm form);

// The file content for codes[1..codesRead] in order, each line ended by CR LF. No code gives an
// empty content. Fails, naming the first code that cannot be written, rather than write a file
// that does not hold the buffer; also fails when the buffer holds fewer than codesRead + 1
// elements.
platform::Result<std::string> EncodeCodes(const std::vector<double>& codes, int32_t codesRead, CodeForm form);

// Data files are saved through the platform's safe save (platform/base/SafeSave.h).
using platform::SaveFileSafely;

// ---- Reading ----------------------------------------------------------------------------------

// Most code lines a file may hold: as many as the code buffer takes.
inline constexpr std::size_t kMaxCodeLines = link::kMaxCodes;
// Longest line the reader takes; a longer line cannot be a code and is refused, so a file of
// junk never makes the reader hold more than this much of one line.
inline constexpr std::size_t kMaxLineLength = 4096;

enum class ReadFailure {
    Unreadable,    // the file cannot be opened or read, or is not a plain file
    Empty,         // no line at all (0 bytes)
    NotANumber,    // a line that does not convert in the chosen form
    OutOfRange,    // a number beyond the signed 32-bit range
    LineTooLong,   // a line longer than kMaxLineLength
    TooManyLines,  // more than kMaxCodeLines code lines
};

struct ReadError {
    ReadFailure kind = ReadFailure::Unreadable;
    std::size_t line = 0;  // 1-based line the failure was found at; 0 when it concerns the file
    std::string detail;    // for Unreadable: the system's reason

    // "line 3: not a decimal number", "more than 5000 code lines", ...
    std::string Describe(CodeForm form) const;
};

// The codes in file order (element 0 is line 1), or why the content cannot be loaded.
using ReadResult = platform::Result<std::vector<double>, ReadError>;

// Takes the lines in order from the first one up to the first empty line after the first line
// (or the end); whatever follows that empty line is ignored. A line ends at CR LF, at LF alone or
// at CR alone; the last line needs no line end. An empty first line stands for the code 0.
// Decimal lines: a number with optional blanks around it; a fraction is rounded to the nearest
// integer, halves to the even one (12.5 -> 12, 13.5 -> 14); the result must fit in 32 bits.
// Hex lines: exactly "0", or 1 to 8 hex digits of either case with no blanks and no prefix whose
// value is not zero ("00" is not accepted). 1 to 4 digits are read as a signed 16-bit value and
// 5 to 8 digits as a signed 32-bit value; a negative value then has 65536 added (FFFF -> 65535,
// 8000 -> 32768, FFFFFF -> 16777215, FFFFFFFF -> 65535). Stored files rely on this rule.
// The whole content is checked before anything is returned: a result carries either every code
// or an error naming the first line that failed, never part of a file.
ReadResult ParseCodes(std::string_view content, CodeForm form);

// The same for a file, read in pieces: reading stops where the codes end, so whatever follows
// the first empty line is never read.
ReadResult ReadCodesFile(const std::string& path, CodeForm form);

// The same rules fed piece by piece (the file reader and the fuzzer use it).
class CodeParser {
public:
    explicit CodeParser(CodeForm form) : form_(form) {}
    // Takes the next piece of the content. Ignored once done().
    void Feed(std::string_view piece);
    // True once the codes have ended (first empty line) or an error was found: further content
    // cannot change the result.
    bool done() const { return stopped_ || error_.has_value(); }
    // Ends the content and hands out the result.
    ReadResult Finish();

private:
    void endLine();

    CodeForm form_;
    std::string line_;              // the line being collected (at most kMaxLineLength + 1 chars)
    bool lineStarted_ = false;      // some character of a line that has not ended was seen
    bool afterCr_ = false;          // the last character was CR: an LF right after it is skipped
    std::size_t lineNumber_ = 0;    // lines ended so far
    bool stopped_ = false;
    std::vector<double> codes_;
    std::optional<ReadError> error_;
};

// Puts loaded codes into the shared code buffer: Codes gets indices 0..n (index 0 unused),
// CodesRead = n, no capture time and no conditions. CodesToRead and LastCode are not touched. Call only with a
// successful result, so a failed load never changes the buffer. Returns false, changing nothing, when n exceeds
// the 16-bit count (the reader never returns that many).
bool LoadIntoBuffer(link::SharedSettings& settings, const std::vector<double>& codes);

} // namespace qb::files
