#include "platform/base/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qb::platform {

Result<LineFile> LineFile::Create(const std::string& path) {
    // Non-blocking, so that a named pipe put in its place since the check cannot hang the open.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return Fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail("it is not a plain file");
    }
    if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return Fail(std::strerror(error));
    }
    return LineFile(fd);
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
