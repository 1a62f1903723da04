#pragma once
// Drive, directory and file lists for the save and load windows, on Linux file systems.
//
//  - A "drive" is the root of a mounted file system ("/", "/home", "/media/usb", ...).
//  - DirList shows a folder as a classic directory list: the folder's ancestors from "/" down,
//    the folder itself, then its subfolders sorted by name.
//  - FileList shows the plain files of a folder that match a pattern ("*.*", "*.dat;*.txt").
// Names starting with '.' (hidden on Linux) are left out unless setShowHidden(true).
// Folders are read one level at a time: unreadable folders, symbolic-link loops and broken links
// never hang or fail a list; a folder that cannot be read is refused (the list keeps what it had).
#include <functional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QListWidget>

#include "platform/base/Folders.h"
#include "platform/widgets/Controls.h"

namespace qb::platform {

// ---- Controls -----------------------------------------------------------------------------

class DriveList : public QComboBox {
    Q_OBJECT
public:
    // Lists the mounted drives and selects the one holding the current directory.
    explicit DriveList(const char* name, QWidget* parent = nullptr);

    std::string drive() const { return drive_; }
    // Selects the drive holding `path` (a root or any path on it). False, with nothing changed,
    // when no listed drive holds it or its root cannot be entered.
    bool setDrive(const std::string& path);
    std::string driveOf(const std::string& path) const { return DriveOf(drives_, AbsolutePath(path)); }
    // Where a directory list should go for `drive`: the current directory when it lies on that
    // drive, else the drive's root.
    static std::string startDirectory(const std::string& drive);

    const std::vector<std::string>& drives() const { return drives_; }
    // Replaces the listed drives (keeps the selection when it is still listed, else the first).
    void setDrives(std::vector<std::string> roots);
    // Reads the mounted drives again.
    void refresh();

    // Runs after the drive changed, by the user's choice or setDrive(). A drive the user picks
    // that cannot be entered is refused silently: the list shows the previous drive again.
    void onChange(std::function<void()> handler) { change_ = std::move(handler); }

private:
    void showDrive(const std::string& root);

    std::vector<std::string> drives_;
    std::string drive_;
    std::function<void()> change_;
};

class DirList : public QListWidget {
    Q_OBJECT
public:
    // Shows the current directory.
    explicit DirList(const char* name, QWidget* parent = nullptr);

    std::string path() const { return path_; }
    // Shows `path` (relative paths count from the current directory). False, with nothing
    // changed, when it cannot be read. Runs the change handler when the path changed; setting
    // the same path again re-reads it without running it.
    bool setPath(const std::string& path);
    void refresh() { setPath(path_); }

    // The folder under the cursor (the list's own path when there is no cursor).
    std::string currentEntry() const;
    // Opens the folder under the cursor: it becomes the list's path. False when it cannot be
    // read.
    bool openCurrent();
    // The subfolders listed below the path, in order.
    std::vector<std::string> subfolders() const;

    void setShowHidden(bool on);

    void onChange(std::function<void()> handler) { change_ = std::move(handler); }
    // Runs for every key that types a character, before the list acts on it (may discard: 0).
    void onKeyPress(KeyPressHandler handler) { keyPress_ = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string path_;
    int ownRow_ = 0;  // the row showing path_ (its ancestors stand above it)
    bool showHidden_ = false;
    std::function<void()> change_;
    KeyPressHandler keyPress_;
};

class FileList : public QListWidget {
    Q_OBJECT
public:
    // Lists the current directory with the pattern "*.*".
    explicit FileList(const char* name, QWidget* parent = nullptr);

    std::string path() const { return path_; }
    // Lists the files of `path`. False, with nothing changed, when it cannot be read.
    bool setPath(const std::string& path);
    std::string pattern() const { return pattern_; }
    // Takes a new pattern and lists the folder again.
    void setPattern(std::string_view pattern);
    void refresh() { setPath(path_); }

    // The selected file's name (no folder), empty when none is selected.
    std::string currentFileName() const;
    std::vector<std::string> fileNames() const;

    void setShowHidden(bool on);

    // A mouse click on a file name / a double click on one.
    void onClick(std::function<void()> handler) { click_ = std::move(handler); }
    void onDoubleClick(std::function<void()> handler) { doubleClick_ = std::move(handler); }

private:
    std::string path_;
    std::string pattern_ = "*.*";
    bool showHidden_ = false;
    std::function<void()> click_;
    std::function<void()> doubleClick_;
};

} // namespace qb::platform
