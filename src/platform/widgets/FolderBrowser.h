#pragma once
// FolderBrowser: the drive, directory and file lists of the data-file windows in one frame,
// moving together. Choosing a drive shows its folder in the directory list (the current
// directory when that lies on the drive, else the drive's root; a drive that cannot be shown
// gives way to the one the directory list is on); a folder opened in the directory list is
// listed in the file list and selected in the drive list. The folder shown becomes the process's
// current directory, so a bare file name lands in it. Any key in the directory list opens the
// entry under the cursor.
#include <string>

#include <QGroupBox>

#include "platform/widgets/FileLists.h"

class QLayout;

namespace qb::platform {

// Makes `path` the process's current directory; false when it cannot be entered (the current
// directory is then unchanged).
bool MakeCurrentDirectory(const std::string& path);

// A typed file name as the bytes the file system uses (local encoding, UTF-8 on Linux).
std::string FileSystemName(const QString& typed);

class FolderBrowser : public QGroupBox {
    Q_OBJECT
public:
    // The control names of the frame and its three lists.
    struct Names {
        const char* frame;
        const char* drives;
        const char* folders;
        const char* files;
    };

    // The drive list above the directory list, the file list beside both; `aboveFiles` and
    // `belowFiles`, when given, stand above and below the file list, which then stands beside the
    // directory list only. All start on the current directory.
    FolderBrowser(const Names& names, const QString& title, QLayout* aboveFiles = nullptr,
                  QLayout* belowFiles = nullptr);

    DriveList* drives() const { return drives_; }
    DirList* folders() const { return folders_; }
    FileList* files() const { return files_; }

    // Lists the directory list's folder again in the file list, selects its drive and makes it
    // current (what opening a folder does).
    void followFolder();

private:
    void drives_Change();
    void folders_KeyPress();
    // Keeps the drive list on the drive that holds the directory list's path, without running
    // its change handler.
    void followDrive();

    DriveList* drives_;
    DirList* folders_;
    FileList* files_;
    bool syncingDrive_ = false;
};

} // namespace qb::platform
