#include "platform/base/SafeSave.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <memory>
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

// The kernel's rule for links in shared folders (protected symlinks): in a folder that is sticky
// and world-writable (such as /tmp), a link is followed only when it is the user's own or the
// folder owner's, so another user's link cannot send a save to a file of the user's choosing.
Result<> mayFollow(const std::string& link, const struct stat& linkStat) {
    struct stat folder {};
    if (::stat(directoryOf(link).c_str(), &folder) != 0) return {};  // the save fails there anyway
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == folder.st_uid) return {};
    return Fail("the symbolic link " + link + " belongs to another user in a shared folder, so it is not followed");
}

// The file a path names, following symbolic links one by one as the kernel would.
Result<std::string> followLinks(std::string path) {
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        if (hops == 40) return Fail(std::strerror(ELOOP));
        if (const Result<> allowed = mayFollow(path, st); !allowed.ok()) return Fail(allowed.error());
        std::string to(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
        if (n < 0) return Fail(std::strerror(errno));
        to.resize(static_cast<std::size_t>(n));
        path = to.starts_with('/') ? to : directoryOf(path) + "/" + to;
    }
}

Result<Target> findTarget(const std::string& path) {
    if (path.empty()) return Fail("no file name");
    const Result<std::string> followed = followLinks(path);
    if (!followed.ok()) return Fail(followed.error());
    Target target{*followed};
    if (::stat(target.path.c_str(), &target.st) == 0) {
        if (S_ISDIR(target.st.st_mode)) return Fail("it is a directory");
        if (!S_ISREG(target.st.st_mode)) return Fail("it is not a plain file");
        target.exists = true;
    } else if (errno != ENOENT) {
        return Fail(std::strerror(errno));
    }
    return target;
}

// A sticky folder lets only the file's owner and the folder's owner (and root) replace a file in
// it: another user's file there is written in place, as in a folder the user may not write.
Result<> replaceable(const Target& target, const std::string& directory) {
    struct stat folder {};
    if (!target.exists || ::stat(directory.c_str(), &folder) != 0 || (folder.st_mode & S_ISVTX) == 0) return {};
    const uid_t me = ::geteuid();
    if (me == 0 || me == target.st.st_uid || me == folder.st_uid) return {};
    return Fail("the folder " + directory + " is sticky and the file belongs to another user");
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
        constexpr int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
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

// The content written in full into the temporary file `fd` beside the target, flushed and closed,
// with the target's permission bits; the reason when any step fails.
Result<> fillTemporary(const SaveSystem& sys, const Target& target, int fd, const ContentWriter& write) {
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
    if (!failure.empty()) return Fail(failure);
    return {};
}

// The temporary file renamed over the target, and the new name made durable (the file is in
// place by then, so a failure of that last step is not reported).
Result<> putInPlace(const SaveSystem& sys, const Target& target, const std::string& directory,
                    const std::string& temporary) {
    if (sys.rename(temporary.c_str(), target.path.c_str()) != 0)
        return Fail(systemError("cannot put it in place", errno));
    const int dirFd = sys.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        sys.fsync(dirFd);
        sys.close(dirFd);
    }
    return {};
}

// The content written to a temporary file beside the target and renamed over it.
Result<> writeBeside(const SaveSystem& sys, const Target& target, const std::string& directory, int fd,
                     const std::string& temporary, const ContentWriter& write, EndingSignals& signals) {
    signals.removeOnSignal(temporary);
    Result<> saved = fillTemporary(sys, target, fd, write);
    if (saved.ok()) saved = putInPlace(sys, target, directory, temporary);
    if (!saved.ok()) ::unlink(temporary.c_str());
    signals.forgetTemporary();
    return saved;
}

ContentWriter bytesWriter(std::string_view bytes, const SaveSystem& system) {
    return [bytes, &system](int fd) -> Result<> {
        int error = 0;
        if (!writeAll(system, fd, bytes, error)) return Fail(std::strerror(error));
        return {};
    };
}

// ---- a set of files saved together --------------------------------------------------------------

// One file of a set, written in full and ready to be put in place.
struct Staged {
    std::size_t index = 0;
    Target target;
    std::string directory;
    std::string_view bytes;
    std::string temporary;            // written beside the target; empty: to be written in place
    std::optional<std::string> old;   // what the target held, when it could be read
    bool placed = false;

    Staged() = default;
    Staged(const Staged&) = delete;
    Staged& operator=(const Staged&) = delete;
    ~Staged() {
        if (!temporary.empty() && !placed) ::unlink(temporary.c_str());
    }
};

Result<std::unique_ptr<Staged>> stage(std::size_t index, const FileToSave& file, const SaveSystem& sys) {
    const Result<Target> found = findTarget(file.path);
    if (!found.ok()) return Fail(found.error());
    auto staged = std::make_unique<Staged>();
    staged->index = index;
    staged->target = *found;
    staged->directory = directoryOf(found->path);
    staged->bytes = file.bytes;
    if (found->exists) {
        const TargetFile existing(*found, sys);
        if (existing.fd() < 0) return Fail(std::strerror(errno));
        if (existing.readable())
            if (Result<std::string> old = readWhole(existing.fd()); old.ok()) staged->old = std::move(*old);
    } else if (const Result<> folder = checkFolder(staged->directory); !folder.ok()) {
        return Fail(folder.error());
    }
    std::string whyNotBeside;
    if (const Result<> beside = replaceable(*found, staged->directory); !beside.ok()) {
        whyNotBeside = beside.error();
    } else {
        std::string temporary = staged->directory + "/.qb4160-save-XXXXXX";
        const int fd = sys.makeTemporary(temporary.data());
        if (fd >= 0) {
            staged->temporary = std::move(temporary);
            if (const Result<> filled = fillTemporary(sys, *found, fd, bytesWriter(file.bytes, sys)); !filled.ok())
                return Fail(filled.error());
            return staged;
        }
        const int error = errno;
        whyNotBeside = systemError("cannot create a file in " + staged->directory, error);
        if (!found->exists || (error != EACCES && error != EPERM)) return Fail(whyNotBeside);
    }
    if (!staged->old) return Fail(cannotKeep(whyNotBeside));
    return staged;
}

Result<> place(Staged& staged, const SaveSystem& sys) {
    Result<> placed;
    if (!staged.temporary.empty()) {
        placed = putInPlace(sys, staged.target, staged.directory, staged.temporary);
    } else {
        const TargetFile file(staged.target, sys);
        if (file.fd() < 0) return Fail(std::strerror(errno));
        EndingSignals signals;
        placed = writeInPlace(sys, file, "", bytesWriter(staged.bytes, sys), signals);
    }
    staged.placed = placed.ok();
    return placed;
}

// A file put in place gets its old content back, or goes when there was none.
void putBackOld(const Staged& staged, const SaveSystem& sys) {
    if (staged.old)
        (void)SaveFileSafely(staged.target.path, *staged.old, sys);
    else if (!staged.target.exists)
        ::unlink(staged.target.path.c_str());
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
    return SaveFileSafely(path, bytesWriter(bytes, system), system);
}

Result<void, SaveSetFailure> SaveAllOrNothing(const std::vector<FileToSave>& files, const SaveSystem& system) {
    std::vector<std::unique_ptr<Staged>> staged;
    for (std::size_t i = 0; i < files.size(); ++i) {
        Result<std::unique_ptr<Staged>> ready = stage(i, files[i], system);
        if (!ready.ok()) return Fail(SaveSetFailure{i, ready.error()});
        staged.push_back(std::move(*ready));
    }
    // Writing in place can fail half-way (a full disk); a rename beside the target hardly can.
    std::stable_partition(staged.begin(), staged.end(), [](const auto& s) { return s->temporary.empty(); });
    for (const auto& file : staged) {
        if (const Result<> placed = place(*file, system); !placed.ok()) {
            for (const auto& done : staged)
                if (done->placed) putBackOld(*done, system);
            return Fail(SaveSetFailure{file->index, placed.error()});
        }
    }
    return {};
}

namespace {
SaveSet* g_saveSet = nullptr;  // the set in force

// What `write` writes, caught in a file in memory.
Result<std::string> contentOf(const ContentWriter& write) {
    const int fd = ::memfd_create("qb4160-content", MFD_CLOEXEC);
    if (fd < 0) return Fail(std::strerror(errno));
    Result<> written = write(fd);
    Result<std::string> content = written.ok() ? readWhole(fd) : Result<std::string>(Fail(written.error()));
    ::close(fd);
    return content;
}
} // namespace

SaveSet::SaveSet() { g_saveSet = this; }
SaveSet::~SaveSet() { g_saveSet = nullptr; }

Result<void, SaveSetFailure> SaveSet::SaveAll(const SaveSystem& system) {
    const std::vector<FileToSave> files = std::move(files_);
    files_.clear();
    return SaveAllOrNothing(files, system);
}

Result<> SaveFileSafely(const std::string& path, const ContentWriter& write, const SaveSystem& system) {
    if (g_saveSet) {
        if (const Result<> target = CheckSaveTarget(path); !target.ok()) return target;
        Result<std::string> content = contentOf(write);
        if (!content.ok()) return Fail(content.error());
        g_saveSet->files_.push_back({path, std::move(*content)});
        return {};
    }
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
    if (const Result<> beside = replaceable(target, directory); !beside.ok())
        return writeInPlace(system, *file, beside.error(), write, signals);
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
    const std::string directory = directoryOf(found->path);
    if (!found->exists) return checkFolder(directory);
    const TargetFile file(*found, RealSaveSystem());
    if (file.fd() < 0) return Fail(std::strerror(errno));
    if (file.readable()) return {};
    // Written in place when the folder does not take a new file, which needs the old content.
    if (const Result<> beside = replaceable(*found, directory); !beside.ok()) return Fail(cannotKeep(beside.error()));
    if (const Result<> folder = checkFolder(directory); !folder.ok()) return Fail(cannotKeep(folder.error()));
    return {};
}

Result<int> OpenForStreaming(const std::string& path) {
    const Result<Target> found = findTarget(path);
    if (!found.ok()) return Fail(found.error());
    if (!found->exists)
        if (const Result<> folder = checkFolder(directoryOf(found->path)); !folder.ok()) return Fail(folder.error());
    const int fd = ::open(found->path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                          0666);
    if (fd < 0) return Fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // changed since it was looked at
        ::close(fd);
        return Fail("it is not a plain file");
    }
    if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return Fail(std::strerror(error));
    }
    return fd;
}

} // namespace qb::platform
