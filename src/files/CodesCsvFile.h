#pragma once
// Reading back the program's own CSV files of codes: the comment lines of the header ("# name:
// value") give the conditions the codes were taken under; the column named "code" gives the
// codes, whatever other columns there are ("index,code,volts", "index,time_s,code,volts"), and
// however many lines there are. Free of widgets, so "Read from File" and the headless analysis
// share it.
#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Conditions.h"
#include "platform/base/Result.h"

namespace qb::link {
struct SharedSettings;
}

namespace qb::files {

struct CsvCapture {
    std::vector<double> codes;  // in file order
    link::Conditions conditions;
    std::optional<std::chrono::system_clock::time_point> capturedAt;  // none: not known
};

// Whether a content starts as the program's CSV of codes: its first line is link::kCodesCsvTitle.
bool StartsAsCodesCsv(std::string_view start);
// The same for the start of a file; false when it cannot be read.
bool IsCodesCsvFile(const std::string& path);

// Longest line taken; a longer one is refused.
inline constexpr std::size_t kMaxCsvLineLength = 4096;

// The rules fed piece by piece. Lines end at LF (a CR before it is dropped). The first line is
// the title; comment lines ("#") before the column line form the header, from which
// link::ConditionsFromFields takes the conditions and "captured" the time of capture (UTC, as
// analysis::UtcTimeText writes it; anything else is not known). The first other line names the
// columns, one of them "code"; every later line that is neither empty nor a comment is a row,
// whose field in that column is the code, a decimal number.
class CodesCsvParser {
public:
    void Feed(std::string_view piece);
    bool failed() const { return error_.has_value(); }
    // Ends the content: the capture, or the first fault found, naming its line or header field.
    platform::Result<CsvCapture> Finish();

private:
    void takeLine(std::string_view line);
    void fail(std::string why) { error_ = "line " + std::to_string(lineNumber_) + ": " + std::move(why); }

    std::string line_;
    bool lineTooLong_ = false;
    std::size_t lineNumber_ = 0;
    std::map<std::string, std::string, std::less<>> header_;
    std::optional<std::size_t> codeColumn_;
    std::vector<double> codes_;
    std::optional<std::string> error_;
};

platform::Result<CsvCapture> ParseCodesCsv(std::string_view content);

// Puts a capture into the shared code buffer as LoadIntoBuffer (DataFile.h) puts codes, with its
// conditions (CodesConditions) and its time of capture. False, changing nothing, when it holds
// more codes than the buffer's 16-bit count.
bool LoadIntoBuffer(link::SharedSettings& settings, const CsvCapture& capture);

// The same for a file, read piece by piece.
platform::Result<CsvCapture> ReadCodesCsvFile(const std::string& path);

} // namespace qb::files
