#include "files/DataFile.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "link/SharedSettings.h"
#include "platform/base/Numbers.h"
#include "platform/base/PlainFile.h"
#include "platform/base/Text.h"

namespace qb::files {

// ---- Writing ----------------------------------------------------------------------------------

std::optional<std::string> FormatCodeLine(double code, CodeForm form) {
    if (!std::isfinite(code)) return std::nullopt;
    if (form == CodeForm::Hex) {
        const std::optional<int32_t> whole = platform::ToInt32(code);
        if (!whole) return std::nullopt;
        return platform::Hex(*whole);
    }
    double whole = platform::RoundHalfEven(code);
    if (whole == 0) whole = 0.0;  // no "-0"
    char buf[400];  // the largest double written out in full has 309 digits
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(whole), std::chars_format::fixed);
    std::string line = whole < 0 ? "-" : " ";
    line.append(buf, r.ptr);
    return line;
}

platform::Result<std::string> EncodeCodes(const std::vector<double>& codes, int32_t codesRead, CodeForm form) {
    if (codesRead < 0 || (codesRead > 0 && codes.size() < static_cast<std::size_t>(codesRead) + 1))
        return platform::Fail("the code buffer holds fewer codes than its count says");
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(codesRead) * 10);
    for (int32_t i = 1; i <= codesRead; ++i) {
        const std::optional<std::string> line = FormatCodeLine(codes[static_cast<std::size_t>(i)], form);
        if (!line)
            return platform::Fail("code " + std::to_string(i) +
                                  (form == CodeForm::Hex ? " cannot be written as a 32-bit hexadecimal code"
                                                         : " is not a number"));
        bytes += *line;
        bytes += "\r\n";
    }
    return bytes;
}

// ---- Reading ----------------------------------------------------------------------------------

std::string ReadError::Describe(CodeForm form) const {
    const std::string at = "line " + std::to_string(line) + ": ";
    switch (kind) {
    case ReadFailure::Unreadable:
        return "the file cannot be read" + (detail.empty() ? std::string() : ": " + detail);
    case ReadFailure::Empty:
        return "the file is empty";
    case ReadFailure::NotANumber:
        if (!detail.empty()) return at + detail;
        return at + (form == CodeForm::Hex ? "not a hexadecimal code of 1 to 8 digits"
                                           : "not a decimal number");
    case ReadFailure::OutOfRange:
        return at + "the number is beyond the 32-bit range";
    case ReadFailure::LineTooLong:
        return at + "longer than " + std::to_string(kMaxLineLength) + " characters";
    case ReadFailure::TooManyLines:
        return "more than " + std::to_string(kMaxCodeLines) + " code lines";
    }
    return "unknown failure";
}

namespace {

// The value of a hex line, or the failure with its explanation.
std::optional<double> convertHex(std::string_view line, ReadError& error) {
    if (line == "0") return 0.0;
    error.kind = ReadFailure::NotANumber;
    const std::optional<uint32_t> digits = platform::ParseHexDigits(line, 8);
    if (!digits) return std::nullopt;
    const uint32_t value = *digits;
    if (value == 0) {
        error.detail = "a zero is written as the single digit 0";
        return std::nullopt;
    }
    // Up to four digits are a 16-bit pattern, five to eight a 32-bit one; a negative reading
    // of either has 65536 added.
    const int64_t reading = line.size() <= 4 ? static_cast<int64_t>(static_cast<int16_t>(value))
                                             : static_cast<int64_t>(static_cast<int32_t>(value));
    return static_cast<double>(reading < 0 ? reading + 65536 : reading);
}

std::optional<double> convertDecimal(std::string_view line, ReadError& error) {
    const std::optional<double> number = platform::ParseNumber(line);
    if (!number) {
        error.kind = ReadFailure::NotANumber;
        return std::nullopt;
    }
    const std::optional<int32_t> whole = platform::ToInt32(*number);
    if (!whole) {
        error.kind = ReadFailure::OutOfRange;
        return std::nullopt;
    }
    return static_cast<double>(*whole);
}

} // namespace

void CodeParser::Feed(std::string_view piece) {
    while (!piece.empty() && !done()) {
        if (afterCr_) {
            afterCr_ = false;
            if (piece.front() == '\n') {
                piece.remove_prefix(1);
                continue;
            }
        }
        const std::size_t end = piece.find_first_of("\r\n");
        const std::string_view text = piece.substr(0, end);
        if (!text.empty()) {
            lineStarted_ = true;
            // Keep one character beyond the limit, enough to tell that the line is too long.
            if (line_.size() <= kMaxLineLength)
                line_.append(text.substr(0, kMaxLineLength + 1 - line_.size()));
            if (line_.size() > kMaxLineLength) {  // refused now, not at a line break that may never come
                endLine();
                return;
            }
        }
        if (end == std::string_view::npos) return;
        afterCr_ = piece[end] == '\r';
        piece.remove_prefix(end + 1);
        endLine();
    }
}

void CodeParser::endLine() {
    ++lineNumber_;
    const std::string line = std::move(line_);
    line_.clear();
    lineStarted_ = false;

    if (lineNumber_ > 1 && line.empty()) {
        stopped_ = true;  // the codes end at the first empty line after the first line
        return;
    }
    if (codes_.size() == kMaxCodeLines) {
        error_ = ReadError{ReadFailure::TooManyLines, lineNumber_, {}};
        return;
    }
    if (line.size() > kMaxLineLength) {
        error_ = ReadError{ReadFailure::LineTooLong, lineNumber_, {}};
        return;
    }
    if (line.empty()) {  // only the first line can be empty here: it stands for 0
        codes_.push_back(0.0);
        return;
    }
    ReadError failure{ReadFailure::NotANumber, lineNumber_, {}};
    const std::optional<double> value =
        form_ == CodeForm::Hex ? convertHex(line, failure) : convertDecimal(line, failure);
    if (!value) {
        error_ = std::move(failure);
        return;
    }
    codes_.push_back(*value);
}

ReadResult CodeParser::Finish() {
    if (!done() && lineStarted_) endLine();
    if (!error_ && lineNumber_ == 0) error_ = ReadError{ReadFailure::Empty, 0, {}};
    if (error_) {
        codes_.clear();
        return platform::Fail(*std::move(error_));
    }
    return std::move(codes_);
}

ReadResult ParseCodes(std::string_view content, CodeForm form) {
    CodeParser parser(form);
    parser.Feed(content);
    return parser.Finish();
}

ReadResult ReadCodesFile(const std::string& path, CodeForm form) {
    CodeParser parser(form);
    const platform::Result<> read = platform::ReadPlainFile(path, [&parser](std::string_view piece) {
        parser.Feed(piece);
        return !parser.done();
    });
    if (!read.ok()) return platform::Fail(ReadError{ReadFailure::Unreadable, 0, read.error()});
    return parser.Finish();
}

bool LoadIntoBuffer(link::SharedSettings& settings, const std::vector<double>& codes) {
    if (codes.size() > static_cast<std::size_t>(INT16_MAX)) return false;
    std::vector<double> buffer;
    buffer.reserve(codes.size() + 1);
    buffer.push_back(0.0);
    buffer.insert(buffer.end(), codes.begin(), codes.end());
    settings.Codes = std::move(buffer);
    settings.CodesRead = static_cast<int16_t>(codes.size());
    settings.CodesCapturedAt.reset();  // a data file does not say when its codes were read,
    settings.CodesConditions.reset();  // nor how
    return true;
}

} // namespace qb::files
