#pragma once
// Saving a whole file so that a failure never destroys what was there, for every file the
// program writes (data files, chart images).
//
// The content goes to a new temporary file in the target's folder, which is flushed to the disk,
// closed and then renamed over the target; on any failure the temporary file is removed and the
// old file (if any) is untouched. A target that is a symbolic link has the file it points to
// replaced, except where the kernel's protected-symlinks rule would not follow it: in a folder
// that is sticky and world-writable (/tmp), another user's link is refused. A new file gets the usual permissions (read-write as the umask allows); a replaced
// file keeps its permission bits (and its owner, where the system allows).
//
// Refused, changing nothing: no name; a directory, a device, a named pipe or anything else that
// is not a plain file; a file the user could not open for writing (a write-protected file: the
// system decides, so root may write where others may not); a folder that does not exist.
//
// In place: when no temporary file can be made beside the target (a folder the user may not
// write), or a rename could not replace it (another user's file in a sticky folder), but the target itself can be opened for writing and reading, the target is written in
// place, with its old content kept in memory and put back if the write fails.
//
// Ending signals: a SIGINT or SIGTERM that arrives during a save while it would end the program
// (its default handling) first removes the temporary file, or puts the old content back into a
// file being written in place; then the program ends as it would have. (SIGKILL cannot be
// helped.)
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Result.h"

namespace qb::platform {

// Writes the whole content into the open file `fd` from its current position; the reason on
// failure ("No space left on device").
using ContentWriter = std::function<Result<>(int fd)>;

// The system calls through which a save opens, writes, flushes, closes and renames, so that a test
// can watch their order or make one fail. Each does what the call of its name does; the base
// class makes the real calls.
class SaveSystem {
public:
    virtual ~SaveSystem() = default;
    virtual int open(const char* path, int flags) const;  // an existing file or a folder
    virtual int makeTemporary(char* pattern) const;       // mkostemp, close-on-exec
    virtual ssize_t write(int fd, const void* data, std::size_t size) const;
    virtual int fsync(int fd) const;
    virtual int close(int fd) const;
    virtual int rename(const char* from, const char* to) const;
};
const SaveSystem& RealSaveSystem();

// Replaces the file at path with bytes, or leaves it as it was. On failure, what went wrong, in
// words that follow the file's name in the caller's message ("cannot write x.dat: " + reason):
// "Permission denied", "it is not a plain file", "the directory /a/b does not exist".
Result<> SaveFileSafely(const std::string& path, std::string_view bytes, const SaveSystem& system = RealSaveSystem());
// The same with the content written by `write`.
Result<> SaveFileSafely(const std::string& path, const ContentWriter& write,
                        const SaveSystem& system = RealSaveSystem());

// One file of a set saved together.
struct FileToSave {
    std::string path;
    std::string bytes;
};
// Which file of the set was not saved (its index), and why, in the words SaveFileSafely uses.
struct SaveSetFailure {
    std::size_t file = 0;
    std::string reason;
};
// Saves every file or none. Each is first written in full beside its target (or, where it must
// be written in place, its old content is read), then they are put in place, those written in
// place first; if one fails, those already in place get their old content back (or go, where
// there was no file). The files must be distinct. The caller keeps ending signals from ending
// the program meanwhile (a headless command's signal guard does), or a temporary file may stay.
Result<void, SaveSetFailure> SaveAllOrNothing(const std::vector<FileToSave>& files,
                                              const SaveSystem& system = RealSaveSystem());

// While a SaveSet lives (one at a time, on the thread that saves), SaveFileSafely saves nothing:
// it refuses what a save would refuse and keeps the file and its content for the set, so that
// writers of many kinds of file (data files, CSV, chart images) can make a set of outputs that
// SaveAll() then saves all or nothing. Content not saved by SaveAll() is dropped with the set.
class SaveSet {
public:
    SaveSet();
    ~SaveSet();
    SaveSet(const SaveSet&) = delete;
    SaveSet& operator=(const SaveSet&) = delete;

    // SaveAllOrNothing of what was kept, in the order it came; the set is then empty.
    Result<void, SaveSetFailure> SaveAll(const SaveSystem& system = RealSaveSystem());
    const std::vector<FileToSave>& files() const { return files_; }

private:
    friend Result<> SaveFileSafely(const std::string&, const ContentWriter&, const SaveSystem&);
    std::vector<FileToSave> files_;
};

// Whether a save to `path` would be refused, found without changing anything: the refusals
// above with the same reasons. For checking a target before long work that makes its content
// (reading codes from the board, drawing a chart).
Result<> CheckSaveTarget(const std::string& path);

// Opens the file at `path` for content written as it comes (a trace), emptied: refused as a save
// is (another user's link in a shared folder, not a plain file, a missing folder, a
// write-protected file), without blocking on a named pipe. A file descriptor, or why not.
Result<int> OpenForStreaming(const std::string& path);

} // namespace qb::platform
