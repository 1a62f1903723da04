#include "platform/base/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

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

bool writeAll(const SaveSystem& sys, int fd, std::string_view bytes, int& error) {
    while (!bytes.empty()) {
        const ssize_t n = sys.write(fd, bytes.data(), bytes.size());
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

// ---- what a save is aimed at ------------------------------------------------------------------

struct Target {
    std::string path;  // the file to replace: a symbolic link is followed
    bool exists = false;
    struct stat st {};
};

Result<Target> findTarget(const std::string& path) {
    if (path.empty()) return Fail("no file name");
    Target target{path};
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target.path = resolved;
            std::free(resolved);
        }
    }
    if (::stat(target.path.c_str(), &target.st) == 0) {
        if (S_ISDIR(target.st.st_mode)) return Fail("it is a directory");
        if (!S_ISREG(target.st.st_mode)) return Fail("it is not a plain file");
        target.exists = true;
    } else if (errno != ENOENT) {
        return Fail(std::strerror(errno));
    }
    return target;
}

// A new file can be made in the folder: it exists and the user may write and enter it.
Result<> checkFolder(const std::string& directory) {
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0) {
        if (errno == ENOENT) return Fail("the directory " + directory + " does not exist");
        return Fail(systemError("cannot reach the directory " + directory, errno));
    }
    if (!S_ISDIR(st.st_mode)) return Fail(directory + " is not a directory");
    if (::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return Fail(systemError("cannot create a file in " + directory, errno));
    return {};
}

// An existing target opened for writing, and for reading where the user may; -1 (errno set)
// when the user may not write it. The open itself is the test, so every rule of the system
// (permission bits, access lists, read-only mounts, immutable files) has its say.
class TargetFile {
public:
    TargetFile(const Target& target, const SaveSystem& sys) : sys_(sys) {
        constexpr int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
        fd_ = sys_.open(target.path.c_str(), O_RDWR | flags);
        readable_ = fd_ >= 0;
        if (fd_ < 0 && errno == EACCES) fd_ = sys_.open(target.path.c_str(), O_WRONLY | flags);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {  // changed meanwhile
            sys_.close(fd_);
            fd_ = -1;
            errno = EINVAL;
        }
    }
    ~TargetFile() {
        if (fd_ >= 0) sys_.close(fd_);
    }
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    int fd() const { return fd_; }
    bool readable() const { return readable_; }

private:
    const SaveSystem& sys_;
    int fd_ = -1;
    bool readable_ = false;
};

// ---- undoing a save when an ending signal comes -----------------------------------------------

// What the signal handler must undo; set only while a save runs (on one thread at a time).
struct Undo {
    char temporary[4096] = {};              // the temporary file to remove ...
    volatile sig_atomic_t hasTemporary = 0;  // ... when this is set
    volatile sig_atomic_t inPlaceFd = -1;   // a file being written in place ...
    const char* oldContent = nullptr;        // ... and what it held
    std::size_t oldSize = 0;
};
Undo g_undo;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM};

bool putBack(int fd, const char* content, std::size_t size) {
    if (::ftruncate(fd, 0) != 0) return false;
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, content + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

extern "C" void undoSaveAndEnd(int signal) {
    const int savedErrno = errno;
    if (g_undo.hasTemporary) ::unlink(g_undo.temporary);
    if (g_undo.inPlaceFd >= 0) putBack(g_undo.inPlaceFd, g_undo.oldContent, g_undo.oldSize);
    // End as the signal would have ended the program: its default action, once this returns.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
    ::raise(signal);
    errno = savedErrno;
}

// While it lives, SIGINT and SIGTERM undo the save before they end the program. A signal the
// program handles itself, or ignores, does not end it, and is left alone.
class EndingSignals {
public:
    EndingSignals() {
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            struct sigaction current {};
            if (::sigaction(kEndingSignals[i], nullptr, &current) != 0) continue;
            if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
            struct sigaction undo {};
            undo.sa_handler = undoSaveAndEnd;
            sigemptyset(&undo.sa_mask);
            for (const int other : kEndingSignals) sigaddset(&undo.sa_mask, other);
            installed_[i] = ::sigaction(kEndingSignals[i], &undo, &previous_[i]) == 0;
        }
    }
    ~EndingSignals() {
        forgetTemporary();
        forgetInPlace();
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            if (installed_[i]) ::sigaction(kEndingSignals[i], &previous_[i], nullptr);
    }
    EndingSignals(const EndingSignals&) = delete;
    EndingSignals& operator=(const EndingSignals&) = delete;

    void removeOnSignal(const std::string& temporary) {
        if (temporary.size() >= sizeof g_undo.temporary) return;  // too long a path to keep
        std::memcpy(g_undo.temporary, temporary.c_str(), temporary.size() + 1);
        g_undo.hasTemporary = 1;
    }
    void forgetTemporary() { g_undo.hasTemporary = 0; }
    void putBackOnSignal(int fd, const std::string& oldContent) {
        g_undo.oldContent = oldContent.data();
        g_undo.oldSize = oldContent.size();
        g_undo.inPlaceFd = fd;
    }
    void forgetInPlace() { g_undo.inPlaceFd = -1; }

private:
    struct sigaction previous_[std::size(kEndingSignals)] {};
    bool installed_[std::size(kEndingSignals)] = {};
};

// ---- the two ways of writing ------------------------------------------------------------------

Result<std::string> readWhole(int fd) {
    std::string content;
    char buffer[64 * 1024];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(std::strerror(errno));
        if (n == 0) return content;
        content.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

std::string cannotKeep(const std::string& whyNotBeside) {
    return whyNotBeside + ", and the file cannot be read to keep its old content";
}

// The target written over where it stands, its old content put back if that fails.
Result<> writeInPlace(const SaveSystem& sys, const TargetFile& file, const std::string& whyNotBeside,
                      const ContentWriter& write, EndingSignals& signals) {
    if (!file.readable()) return Fail(cannotKeep(whyNotBeside));
    const Result<std::string> old = readWhole(file.fd());
    if (!old.ok()) return Fail(whyNotBeside + ", and the file cannot be read: " + old.error());

    signals.putBackOnSignal(file.fd(), *old);
    std::string failure;
    if (::ftruncate(file.fd(), 0) != 0 || ::lseek(file.fd(), 0, SEEK_SET) != 0) {
        failure = std::strerror(errno);
    } else if (const Result<> written = write(file.fd()); !written.ok()) {
        failure = written.error();
    } else if (sys.fsync(file.fd()) != 0) {
        failure = systemError("cannot flush it to the disk", errno);
    }
    if (!failure.empty()) {
        failure += putBack(file.fd(), old->data(), old->size()) ? "; its old content was put back"
                                                                : "; its old content could not be put back";
    }
    signals.forgetInPlace();
    if (!failure.empty()) return Fail(failure);
    return {};
}

// The content written to a temporary file beside the target and renamed over it.
Result<> writeBeside(const SaveSystem& sys, const Target& target, const std::string& directory, int fd,
                     std::string temporary, const ContentWriter& write, EndingSignals& signals) {
    signals.removeOnSignal(temporary);
    std::string failure;
    const mode_t mode = target.exists ? target.st.st_mode & 07777 : newFileMode();
    // The owner and group go first: changing them may clear the set-id bits the mode restores.
    // Only root may give a file away, so a failure here is no reason to stop.
    if (target.exists) (void)!::fchown(fd, target.st.st_uid, target.st.st_gid);
    if (::fchmod(fd, mode) != 0) {
        failure = systemError("cannot set its permissions", errno);
    } else if (const Result<> written = write(fd); !written.ok()) {
        failure = written.error();
    } else if (sys.fsync(fd) != 0) {
        failure = systemError("cannot flush it to the disk", errno);
    }
    if (sys.close(fd) != 0 && failure.empty()) failure = systemError("cannot close it", errno);
    if (failure.empty() && sys.rename(temporary.c_str(), target.path.c_str()) != 0)
        failure = systemError("cannot put it in place", errno);
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        signals.forgetTemporary();
        return Fail(failure);
    }
    signals.forgetTemporary();

    // Make the new name itself durable; the file is already in place, so a failure here is
    // not reported.
    const int dirFd = sys.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        sys.fsync(dirFd);
        sys.close(dirFd);
    }
    return {};
}

} // namespace

int SaveSystem::open(const char* path, int flags) const { return ::open(path, flags); }
int SaveSystem::makeTemporary(char* pattern) const { return ::mkostemp(pattern, O_CLOEXEC); }
ssize_t SaveSystem::write(int fd, const void* data, std::size_t size) const { return ::write(fd, data, size); }
int SaveSystem::fsync(int fd) const { return ::fsync(fd); }
int SaveSystem::close(int fd) const { return ::close(fd); }
int SaveSystem::rename(const char* from, const char* to) const { return ::rename(from, to); }

const SaveSystem& RealSaveSystem() {
    static const SaveSystem real;
    return real;
}

Result<> SaveFileSafely(const std::string& path, std::string_view bytes, const SaveSystem& system) {
    return SaveFileSafely(
        path,
        [bytes, &system](int fd) -> Result<> {
            int error = 0;
            if (!writeAll(system, fd, bytes, error)) return Fail(std::strerror(error));
            return {};
        },
        system);
}

Result<> SaveFileSafely(const std::string& path, const ContentWriter& write, const SaveSystem& system) {
    const Result<Target> found = findTarget(path);
    if (!found.ok()) return Fail(found.error());
    const Target& target = *found;
    const std::string directory = directoryOf(target.path);

    // Refused before anything is made: a file the user may not write, a missing folder.
    std::optional<TargetFile> file;
    if (target.exists) {
        file.emplace(target, system);
        if (file->fd() < 0) return Fail(std::strerror(errno));
    } else if (const Result<> folder = checkFolder(directory); !folder.ok()) {
        return folder;
    }

    EndingSignals signals;
    std::string temporary = directory + "/.qb4160-save-XXXXXX";
    const int fd = system.makeTemporary(temporary.data());
    if (fd >= 0) return writeBeside(system, target, directory, fd, std::move(temporary), write, signals);
    const int error = errno;
    const std::string whyNotBeside = systemError("cannot create a file in " + directory, error);
    if (file && (error == EACCES || error == EPERM))
        return writeInPlace(system, *file, whyNotBeside, write, signals);
    return Fail(whyNotBeside);
}

Result<> CheckSaveTarget(const std::string& path) {
    const Result<Target> found = findTarget(path);
    if (!found.ok()) return Fail(found.error());
    if (!found->exists) return checkFolder(directoryOf(found->path));
    const TargetFile file(*found, RealSaveSystem());
    if (file.fd() < 0) return Fail(std::strerror(errno));
    if (file.readable()) return {};
    // Written in place when the folder does not take a new file, which needs the old content.
    if (const Result<> folder = checkFolder(directoryOf(found->path)); !folder.ok())
        return Fail(cannotKeep(folder.error()));
    return {};
}

} // namespace qb::platform
