#include "platform/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qb::platform {

namespace {

std::string systemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// The directory part of a path ("." for a bare name, "/" for a name in the root).
std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, std::string_view bytes, int& error) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

Result<> SaveFileSafely(const std::string& path, std::string_view bytes) {
    if (path.empty()) return Fail("no file name");

    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = newFileMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Fail(target + " is a directory");
        if (!S_ISREG(st.st_mode)) return Fail(target + " is not a plain file");
        mode = st.st_mode & 07777;
    }

    const std::string directory = directoryOf(target);
    std::string temporary = directory + "/.qb4160-save-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Fail(systemError("cannot create a file in " + directory, errno));

    int error = 0;
    std::string failure;
    if (::fchmod(fd, mode) != 0) {
        failure = systemError("cannot set the permissions of " + temporary, errno);
    } else if (!writeAll(fd, bytes, error)) {
        failure = systemError("cannot write " + temporary, error);
    } else if (::fsync(fd) != 0) {
        failure = systemError("cannot flush " + temporary + " to the disk", errno);
    }
    if (::close(fd) != 0 && failure.empty()) failure = systemError("cannot close " + temporary, errno);
    if (failure.empty() && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = systemError("cannot replace " + target, errno);
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        return Fail(failure);
    }

    // Make the new name itself durable; the file is already in place, so a failure here is
    // not reported.
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace qb::platform
