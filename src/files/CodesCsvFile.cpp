#include "files/CodesCsvFile.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "files/DataFile.h"
#include "link/SharedSettings.h"
#include "platform/base/PlainFile.h"
#include "platform/base/Text.h"

namespace qb::files {

namespace {

constexpr std::string_view kCodeColumn = "code";

// "2024-05-01T12:34:56Z" as a moment; nullopt for anything else.
std::optional<std::chrono::system_clock::time_point> utcTime(const std::string& text) {
    std::tm t{};
    int used = 0;
    if (text.size() != 20 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                    &t.tm_min, &t.tm_sec, &used) != 6 || used != 20)
        return std::nullopt;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    const std::time_t seconds = timegm(&t);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    // The clock counts in small steps: its moments end some centuries from 1970 (in 2262).
    using std::chrono::system_clock;
    constexpr auto kLast = std::chrono::duration_cast<std::chrono::seconds>(system_clock::duration::max()).count();
    if (seconds > kLast || seconds < -kLast) return std::nullopt;
    return system_clock::from_time_t(seconds);
}

// Field `index` of a comma-separated line, blanks around it dropped; nullopt past the last one.
std::optional<std::string_view> fieldAt(std::string_view line, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) return std::nullopt;
        line.remove_prefix(comma + 1);
    }
    line = line.substr(0, line.find(','));
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return line;
}

} // namespace

bool StartsAsCodesCsv(std::string_view start) {
    if (!start.starts_with(link::kCodesCsvTitle)) return false;
    const std::string_view rest = start.substr(link::kCodesCsvTitle.size());
    return rest.empty() || rest.starts_with("\n") || rest.starts_with("\r\n");
}

bool IsCodesCsvFile(const std::string& path) {
    std::string start;
    const std::size_t wanted = link::kCodesCsvTitle.size() + 2;
    const auto read = platform::ReadPlainFile(path, [&](std::string_view piece) {
        start.append(piece.substr(0, wanted - start.size()));
        return start.size() < wanted;
    });
    return read.ok() && StartsAsCodesCsv(start);
}

void CodesCsvParser::Feed(std::string_view piece) {
    while (!piece.empty() && !failed()) {
        const std::size_t end = piece.find('\n');
        const std::string_view text = piece.substr(0, end);
        if (line_.size() + text.size() > kMaxCsvLineLength)
            lineTooLong_ = true;
        else
            line_.append(text);
        if (end == std::string_view::npos) return;
        piece.remove_prefix(end + 1);
        std::string line = std::move(line_);
        line_.clear();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++lineNumber_;
        if (lineTooLong_) {
            fail("longer than " + std::to_string(kMaxCsvLineLength) + " characters");
            return;
        }
        takeLine(line);
    }
}

void CodesCsvParser::takeLine(std::string_view line) {
    if (lineNumber_ == 1) {
        if (line != link::kCodesCsvTitle) fail("not a CSV file of codes (its first line is not \"" +
                                               std::string(link::kCodesCsvTitle) + "\")");
        return;
    }
    if (line.empty()) return;
    if (line.front() == '#') {
        if (codeColumn_) return;  // a note among the rows
        line.remove_prefix(1);
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        const std::size_t colon = line.find(": ");
        if (colon != std::string_view::npos)
            header_.emplace(std::string(line.substr(0, colon)), std::string(line.substr(colon + 2)));
        return;
    }
    if (!codeColumn_) {
        for (std::size_t i = 0;; ++i) {
            const std::optional<std::string_view> name = fieldAt(line, i);
            if (!name) {
                fail("no column is named \"" + std::string(kCodeColumn) + "\"");
                return;
            }
            if (*name == kCodeColumn) {
                codeColumn_ = i;
                return;
            }
        }
    }
    const std::optional<std::string_view> field = fieldAt(line, *codeColumn_);
    const std::optional<double> code = field ? platform::ParseNumber(*field) : std::nullopt;
    if (!field)
        fail("no code: the row ends before column " + std::to_string(*codeColumn_ + 1));
    else if (!code || !std::isfinite(*code))
        fail("the code \"" + platform::Printable(*field) + "\" is not a number");
    else
        codes_.push_back(*code);
}

platform::Result<CsvCapture> CodesCsvParser::Finish() {
    if (!failed() && (!line_.empty() || lineTooLong_)) Feed("\n");
    if (failed()) return platform::Fail(*error_);
    if (lineNumber_ == 0) return platform::Fail("the file is empty");
    if (!codeColumn_) return platform::Fail("no line names the columns");
    if (codes_.empty()) return platform::Fail("there are no codes after the column line");
    const auto conditions = link::ConditionsFromFields([this](std::string_view name) -> std::optional<std::string> {
        const auto it = header_.find(name);
        if (it == header_.end()) return std::nullopt;
        return it->second;
    });
    if (!conditions.ok()) return platform::Fail(conditions.error());
    CsvCapture capture{std::move(codes_), *conditions, std::nullopt};
    if (const auto it = header_.find("captured"); it != header_.end()) capture.capturedAt = utcTime(it->second);
    return capture;
}

platform::Result<CsvCapture> ParseCodesCsv(std::string_view content) {
    CodesCsvParser parser;
    parser.Feed(content);
    return parser.Finish();
}

bool LoadIntoBuffer(link::SharedSettings& settings, const CsvCapture& capture) {
    if (!LoadIntoBuffer(settings, capture.codes)) return false;
    settings.CodesConditions = capture.conditions;
    settings.CodesCapturedAt = capture.capturedAt;
    return true;
}

platform::Result<CsvCapture> ReadCodesCsvFile(const std::string& path) {
    CodesCsvParser parser;
    const platform::Result<> read = platform::ReadPlainFile(path, [&parser](std::string_view piece) {
        parser.Feed(piece);
        return !parser.failed();
    });
    if (!read.ok()) return platform::Fail("the file cannot be read: " + read.error());
    return parser.Finish();
}

} // namespace qb::files
