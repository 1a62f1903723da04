#include "platform/base/LineFile.h"

#include "platform/base/SafeSave.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qb::platform {

// Opened as the trace is: no link of another user in a shared folder followed, a pipe or device
// put in its place since the check refused without hanging, the file emptied.
Result<LineFile> LineFile::Create(const std::string& path) {
    const Result<int> fd = OpenForStreaming(path);
    if (!fd.ok()) return Fail(fd.error());
    return LineFile(*fd);
}

LineFile::LineFile(LineFile&& other) noexcept
    : fd_(other.fd_), pending_(std::move(other.pending_)), firstPending_(other.firstPending_),
      written_(other.written_), failed_(other.failed_) {
    other.fd_ = -1;
}

LineFile::~LineFile() {
    if (fd_ < 0) return;
    (void)flush();
    ::close(fd_);
}

Result<> LineFile::add(std::string_view lines) {
    if (pending_.empty()) firstPending_ = Clock::now();
    pending_.append(lines);
    if (pending_.size() >= kHoldBytes) return flush();
    return flushIfDue();
}

Result<> LineFile::flushIfDue() {
    if (pending_.empty() || Clock::now() - firstPending_ < std::chrono::duration<double>(kHoldSeconds)) return {};
    return flush();
}

Result<> LineFile::flush() {
    if (failed_) return Fail("an earlier write failed");
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // The file ends where the last whole hand-over ended: no part of a line stays.
            failed_ = true;
            if (::ftruncate(fd_, static_cast<off_t>(written_)) != 0) {}
            pending_.clear();
            return Fail(std::strerror(error));
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += done;
    pending_.clear();
    return {};
}

} // namespace qb::platform
