#pragma once
// A file written as it grows, for outputs that must survive the program being killed (a long log):
// lines are gathered in memory and handed to the system whole, at the latest kHoldSeconds after
// the first of them came or once kHoldBytes have gathered. A program killed at any moment
// (SIGKILL included) leaves every line up to about a second before, and no part of a line. The
// memory it takes does not grow with the file.
//
// Unlike a safe save, the file is truncated and written in place: what was there is gone at
// Create. The caller checks the target first (platform::CheckSaveTarget).
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/base/Result.h"

namespace qb::platform {

class LineFile {
public:
    static constexpr double kHoldSeconds = 0.5;
    static constexpr std::size_t kHoldBytes = 64 * 1024;

    // Creates (or truncates) the plain file at `path`; the reason on failure ("Permission
    // denied", "it is not a plain file").
    static Result<LineFile> Create(const std::string& path);

    LineFile(LineFile&& other) noexcept;
    LineFile& operator=(LineFile&&) = delete;
    LineFile(const LineFile&) = delete;
    ~LineFile();  // hands over what is gathered, then closes

    // Adds text made of whole lines, each ending in '\n'; hands the gathered lines over when due.
    // Fails, with the system's reason, when a write fails (the file then ends at a line's end).
    Result<> add(std::string_view lines);
    // Hands the gathered lines over if they have waited kHoldSeconds (for callers that wait).
    Result<> flushIfDue();
    // Hands every gathered line over now.
    Result<> flush();

    // Bytes handed to the system so far.
    std::size_t written() const { return written_; }

private:
    using Clock = std::chrono::steady_clock;
    explicit LineFile(int fd) : fd_(fd) {}

    int fd_ = -1;
    std::string pending_;
    Clock::time_point firstPending_{};
    std::size_t written_ = 0;
    bool failed_ = false;
};

} // namespace qb::platform
