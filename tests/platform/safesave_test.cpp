// The safe save as an ordinary user would meet it: the system decides what may be written (a
// write-protected file is refused, not replaced), a file in a folder the user cannot write is
// written in place with its old content put back if that fails, an ending signal during a save
// leaves neither a temporary file nor a damaged target, and what cannot be saved is said before
// anything is made.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/base/SafeSave.h"

namespace qb::platform {
namespace {

namespace fs = std::filesystem;

// Runs a piece of a test in a child process as an ordinary user, so file-permission rules apply
// as they do to the program's users: when the tests run as root, the child gives up root for
// the user "nobody" before it runs the piece. What the piece returns comes back as text.
struct ChildOutcome {
    bool ran = false;       // false: the child could not become an ordinary user
    int exitStatus = -1;    // when it exited
    int signal = 0;         // when a signal ended it
    std::string text;       // what the piece returned (when it returned)
};

// The user files are made for so that the child may or may not reach them: nobody when the
// tests run as root, otherwise the user running them.
std::pair<uid_t, gid_t> OrdinaryUser() {
    if (::getuid() != 0) return {::getuid(), ::getgid()};
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? std::pair{nobody->pw_uid, nobody->pw_gid} : std::pair<uid_t, gid_t>{65534, 65534};
}

// Gives `path` to the ordinary user, with these permission bits.
void GiveToOrdinaryUser(const std::string& path, mode_t mode) {
    const auto [uid, gid] = OrdinaryUser();
    if ((::getuid() == 0 && ::chown(path.c_str(), uid, gid) != 0) || ::chmod(path.c_str(), mode) != 0) std::abort();
}

ChildOutcome RunAsOrdinaryUser(const std::function<std::string()>& piece) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto [uid, gid] = OrdinaryUser();
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) ::_exit(125);
        const std::string text = piece();  // a few words: one write
        ::_exit(::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 124);
    }
    ::close(fds[1]);
    ChildOutcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) outcome.text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return {};
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome.ran = outcome.exitStatus != 125;
    return outcome;
}

// A file's content, or "(none)".
std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string{std::istreambuf_iterator<char>(in), {}} : "(none)";
}

// A folder for the ordinary user inside a private one; `file` names the target in it.
struct Place {
    QTemporaryDir top;
    std::string folder = top.filePath("place").toStdString();
    std::string file = folder + "/data.dat";

    // The target holds "old" with these bits (none when fileMode < 0); the folder has folderMode.
    Place(mode_t folderMode, int fileMode) {
        fs::permissions(top.path().toStdString(), fs::perms(0711));
        fs::create_directory(folder);
        GiveToOrdinaryUser(folder, 0755);
        if (fileMode >= 0) {
            std::ofstream(file) << "old";
            GiveToOrdinaryUser(file, static_cast<mode_t>(fileMode));
        }
        GiveToOrdinaryUser(folder, folderMode);
    }
    std::string content() const { return Slurp(file); }
    int entries() const { return static_cast<int>(std::distance(fs::directory_iterator(folder), {})); }
    mode_t mode() const { return fs::exists(file) ? static_cast<mode_t>(fs::status(file).permissions()) : 0; }
};

std::string Text(const Result<>& r) { return r.ok() ? "saved" : r.error(); }

// A writer that writes `first`, then does `between`, then writes `rest`.
ContentWriter Writer(std::string first, std::function<void()> between, std::string rest, Result<> end = {}) {
    return [=](int fd) -> Result<> {
        for (const std::string* part : {&first, &rest}) {
            if (part == &rest && between) between();
            if (::write(fd, part->data(), part->size()) != static_cast<ssize_t>(part->size())) return Fail("short write");
        }
        return end;
    };
}

TEST(SafeSave, AsAnOrdinaryUserTheSystemDecidesWhatIsWrittenAndWhere) {
    struct Case { const char* what; mode_t folderMode; int fileMode; std::string error; std::string after; mode_t modeAfter; };
    const std::string denied = "Permission denied";
    const std::vector<Case> cases = {
        {"a write-protected file", 0755, 0444, denied, "old", 0444},
        {"a writable file", 0755, 0604, "", "new", 0604},
        {"a writable file in a folder the user cannot write", 0555, 0640, "", "new", 0640},
        {"a write-only file there", 0555, 0200,
         "cannot create a file in {D}: " + denied + ", and the file cannot be read to keep its old content", "old", 0200},
        {"a new file there", 0555, -1, "cannot create a file in {D}: " + denied, "(none)", 0},
        {"a new file in a writable folder", 0755, -1, "", "new", 0640},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Place place(c.folderMode, c.fileMode);
        const ChildOutcome child = RunAsOrdinaryUser([&] {
            ::umask(027);
            const std::string check = Text(CheckSaveTarget(place.file));
            return check + "|" + Text(SaveFileSafely(place.file, "new"));
        });
        if (!child.ran) GTEST_SKIP() << "cannot run as an ordinary user here";
        std::string error = c.error.empty() ? "saved" : c.error;
        if (const auto at = error.find("{D}"); at != std::string::npos) error.replace(at, 3, place.folder);
        EXPECT_EQ(child.text, error + "|" + error);  // the check says what the save then does
        EXPECT_EQ(place.content(), c.after);
        EXPECT_EQ(place.mode(), c.modeAfter);
        EXPECT_EQ(place.entries(), c.fileMode >= 0 || c.after != "(none)" ? 1 : 0) << "no file left over";
    }
}

// SIGTERM or SIGINT in the middle of a save ends the program as ever, but first removes the
// temporary file or puts the old content back. A program that handles the signal itself is not
// ended, and its save completes.
TEST(SafeSave, AnEndingSignalDuringASaveLeavesNoTemporaryFileAndTheOldContent) {
    const struct { int signal; mode_t folderMode; bool handled; } cases[] = {
        {SIGTERM, 0755, false}, {SIGINT, 0755, false}, {SIGTERM, 0555, false}, {SIGINT, 0555, false},
        {SIGTERM, 0755, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << strsignal(c.signal) << (c.folderMode == 0555 ? " in place" : " beside")
                                        << (c.handled ? ", handled" : ""));
        Place place(c.folderMode, 0644);
        const ChildOutcome child = RunAsOrdinaryUser([&] {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, c.handled ? +[](int) {} : SIG_DFL);
            return Text(SaveFileSafely(place.file, Writer("par", [&] { std::raise(c.signal); }, "tial")));
        });
        if (!child.ran) GTEST_SKIP() << "cannot run as an ordinary user here";
        EXPECT_EQ(child.signal, c.handled ? 0 : c.signal);
        EXPECT_EQ(child.text, c.handled ? "saved" : "");
        EXPECT_EQ(place.content(), c.handled ? "partial" : "old");
        EXPECT_EQ(place.entries(), 1);
    }
}

// What is not a plain file, and a folder that is not there, are refused by the check and by the
// save alike, with nothing made.
TEST(SafeSave, WhatIsNotAPlainFileOrHasNoFolderIsRefusedBeforeAnythingIsMade) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    ASSERT_EQ(::mkfifo((base + "/pipe").c_str(), 0644), 0);
    fs::create_directory(base + "/sub");
    const std::pair<std::string, std::string> cases[] = {
        {base + "/pipe", "it is not a plain file"}, {"/dev/null", "it is not a plain file"}, {base + "/sub", "it is a directory"}, {base + "/no/x.dat", "the directory " + base + "/no does not exist"},
        {"", "no file name"}};
    for (const auto& [path, error] : cases) {
        EXPECT_EQ(Text(CheckSaveTarget(path)), error);
        EXPECT_EQ(Text(SaveFileSafely(path, "new")), error);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(base), {}), 2);
}


// The system calls of a save in their order, each file named by its part: the temporary file
// ("temporary"), the target written in place ("target") or the folder; `fail` makes one call fail.
struct CallLog : SaveSystem {
    std::string fail;  // "temporary" (as in a folder the user cannot write) or "fsync"
    mutable std::vector<std::string> calls;
    mutable std::map<int, std::string> names;
    int open(const char* path, int flags) const override {
        const int fd = SaveSystem::open(path, flags);
        names[fd] = (flags & O_DIRECTORY) ? "folder" : "target";
        calls.push_back("open " + names[fd]);
        return fd;
    }
    int makeTemporary(char* pattern) const override {
        calls.push_back("open temporary");
        if (fail == "temporary") return errno = EACCES, -1;
        const int fd = SaveSystem::makeTemporary(pattern);
        names[fd] = "temporary";
        return fd;
    }
    ssize_t write(int fd, const void* data, std::size_t size) const override {
        calls.push_back("write " + names[fd]);
        return SaveSystem::write(fd, data, size);
    }
    int fsync(int fd) const override {
        calls.push_back("fsync " + names[fd]);
        return fail == "fsync" ? (errno = EIO, -1) : SaveSystem::fsync(fd);
    }
    int close(int fd) const override {
        calls.push_back("close " + names[fd]);
        return SaveSystem::close(fd);
    }
    int rename(const char* from, const char* to) const override {
        calls.push_back("rename");
        return SaveSystem::rename(from, to);
    }
};

// The content is on the disk before its name replaces the old file, and the new name is on the
// disk before the save says it is done; a file written in place is on the disk before it is done.
TEST(SafeSave, FlushesTheContentBeforeTheRenameAndTheFolderAfterIt) {
    using Calls = std::vector<std::string>;
    const struct { const char* fail; Calls calls; const char* result; std::string content; } cases[] = {
        {"", {"open target", "open temporary", "write temporary", "fsync temporary", "close temporary", "rename",
              "open folder", "fsync folder", "close folder", "close target"}, "saved", "new"},
        {"temporary", {"open target", "open temporary", "write target", "fsync target", "close target"}, "saved", "new"},
        {"fsync", {"open target", "open temporary", "write temporary", "fsync temporary", "close temporary",
                   "close target"}, "cannot flush it to the disk: Input/output error", "old"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fail);
        QTemporaryDir dir;
        const std::string file = dir.filePath("data.dat").toStdString();
        std::ofstream(file) << "old";
        CallLog log;
        log.fail = c.fail;
        EXPECT_EQ(Text(SaveFileSafely(file, "new", log)), c.result);
        EXPECT_EQ(log.calls, c.calls);
        EXPECT_EQ(Slurp(file), c.content);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path().toStdString()), {}), 1) << "no file left over";
    }
}


// A set of files is saved whole or not at all: a file that cannot be made, written or put in
// place leaves every other file with its old content, and no temporary file behind.
struct FailNth : SaveSystem {
    std::string call;  // "write" or "rename"
    int nth = 0;
    mutable int seen = 0;
    bool fails(const char* name) const { return call == name && ++seen == nth; }
    ssize_t write(int fd, const void* data, std::size_t size) const override {
        return fails("write") ? (errno = ENOSPC, -1) : SaveSystem::write(fd, data, size);
    }
    int rename(const char* from, const char* to) const override {
        return fails("rename") ? (errno = EIO, -1) : SaveSystem::rename(from, to);
    }
};

TEST(SaveAllOrNothing, OneFileThatCannotBeSavedLeavesEveryFileAsItWas) {
    const struct { const char* second; const char* call; int nth; std::string failure; } cases[] = {
        {"b.dat", "", 0, ""},
        {"sub", "", 0, "1: it is a directory"},
        {"b.dat", "write", 2, "1: No space left on device"},
        {"b.dat", "rename", 2, "1: cannot put it in place: Input/output error"},  // a.dat was in place: put back
        {"new.dat", "rename", 2, "1: cannot put it in place: Input/output error"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.second) + " " + c.call);
        QTemporaryDir dir;
        const auto path = [&](const char* name) { return dir.filePath(name).toStdString(); };
        std::ofstream(path("a.dat")) << "old a";
        std::ofstream(path("b.dat")) << "old b";
        fs::create_directory(path("sub"));
        FailNth system;
        system.call = c.call, system.nth = c.nth;
        const auto saved = SaveAllOrNothing({{path("a.dat"), "new a"}, {path(c.second), "new"}}, system);
        EXPECT_EQ(saved.ok() ? "" : std::to_string(saved.error().file) + ": " + saved.error().reason, c.failure);
        EXPECT_EQ(Slurp(path("a.dat")), c.failure.empty() ? "new a" : "old a");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path().toStdString()), {}), c.failure.empty() ? 3 + (*c.second == 'n') : 3);
    }
}

// Another user's link in a sticky world-writable folder is not followed (the kernel's
// protected-symlinks rule), by a save, its check or a trace; the user's own link, a link of the
// folder's owner, or any link in a folder that is not shared, is.
TEST(SafeSave, AnotherUsersLinkInASharedFolderIsRefusedNamingIt) {
    if (::getuid() != 0) GTEST_SKIP() << "making a link that belongs to another user needs root";
    const uid_t other = OrdinaryUser().first;
    const struct { mode_t folderMode; uid_t folderOwner, linkOwner; bool followed; } cases[] = {
        {01777, 0, other, false}, {01777, 0, 0, true}, {01777, other, other, true}, {0777, 0, other, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.folderMode << " link of " << c.linkOwner);
        QTemporaryDir dir;
        const std::string secret = dir.filePath("secret").toStdString(), shared = dir.filePath("shared").toStdString();
        const std::string link = shared + "/out.dat";
        std::ofstream(secret) << "secret";
        fs::create_directory(shared);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0) | ::chmod(shared.c_str(), c.folderMode), 0);
        ASSERT_EQ(::symlink(secret.c_str(), link.c_str()) | ::lchown(link.c_str(), c.linkOwner, 0), 0);
        const std::string refusal = "the symbolic link " + link + " belongs to another user in a shared folder, so it is not followed";
        const std::string expected = c.followed ? "saved" : refusal;
        EXPECT_EQ(Text(CheckSaveTarget(link)), expected);
        const Result<int> trace = OpenForStreaming(link);
        EXPECT_EQ(trace.ok() ? "saved" : trace.error(), expected);
        if (trace.ok()) ::close(*trace);
        EXPECT_EQ(Text(SaveFileSafely(link, "new")), expected);
        EXPECT_EQ(Slurp(secret), c.followed ? "new" : "secret");
    }
}

// Another user's writable file in a sticky folder cannot be replaced by a rename: the check
// says it can be saved, and the save writes it in place.
TEST(SafeSave, AnotherUsersWritableFileInAStickyFolderIsWrittenInPlace) {
    if (::getuid() != 0) GTEST_SKIP() << "a file of another user needs root to make";
    QTemporaryDir dir;
    const std::string file = dir.filePath("data.dat").toStdString();
    ASSERT_EQ(::chmod(dir.path().toStdString().c_str(), 01777), 0);
    std::ofstream(file) << "old";
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    const ChildOutcome child = RunAsOrdinaryUser([&] { return Text(CheckSaveTarget(file)) + "|" + Text(SaveFileSafely(file, "new")); });
    if (!child.ran) GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(child.text, "saved|saved");
    EXPECT_EQ(Slurp(file), "new");
}

} // namespace
} // namespace qb::platform
