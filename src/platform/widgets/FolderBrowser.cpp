#include "platform/widgets/FolderBrowser.h"

#include <unistd.h>

#include <QFile>
#include <QGridLayout>

#include "platform/widgets/Controls.h"

namespace qb::platform {

namespace {

constexpr QSize kFoldersLeast(240, 220);
constexpr QSize kFilesLeast(200, 220);

// Where the directory list goes for `drive`: the current directory when it lies on that very
// drive (every folder lies under "/", but one on another mount belongs to that mount's drive),
// else the drive's root.
std::string StartDirectoryFor(const DriveList& drives, const std::string& drive) {
    const std::string here = DriveList::startDirectory(drive);
    return drives.driveOf(here) == drive ? here : drive;
}

} // namespace

bool MakeCurrentDirectory(const std::string& path) {
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string FileSystemName(const QString& typed) { return QFile::encodeName(typed).toStdString(); }

FolderBrowser::FolderBrowser(const Names& names, const QString& title, QLayout* aboveFiles, QLayout* belowFiles)
    : QGroupBox(title),
      drives_(new DriveList(names.drives)),
      folders_(new DirList(names.folders)),
      files_(new FileList(names.files)) {
    setObjectName(QString::fromUtf8(names.frame));
    folders_->setMinimumSize(kFoldersLeast);
    files_->setMinimumSize(kFilesLeast);
    auto* grid = new QGridLayout(this);
    grid->addWidget(drives_, 0, 0);
    if (aboveFiles) grid->addLayout(aboveFiles, 0, 1);
    grid->addWidget(folders_, 1, 0);
    if (aboveFiles)
        grid->addWidget(files_, 1, 1);
    else
        grid->addWidget(files_, 0, 1, 2, 1);
    if (belowFiles) grid->addLayout(belowFiles, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    files_->setPath(folders_->path());
    followDrive();

    drives_->onChange([this] { drives_Change(); });
    folders_->onChange([this] { followFolder(); });
    folders_->onKeyPress([this](int&) { folders_KeyPress(); });
}

void FolderBrowser::followDrive() {
    syncingDrive_ = true;
    drives_->setDrive(folders_->path());
    syncingDrive_ = false;
}

void FolderBrowser::drives_Change() {
    if (syncingDrive_) return;
    if (!folders_->setPath(StartDirectoryFor(*drives_, drives_->drive()))) {
        followDrive();  // the drive cannot be shown: back to the one the directory list is on
        return;
    }
    // The directory list's change handler made its path current; a path that did not change
    // (already current) needs nothing more.
    MakeCurrentDirectory(folders_->path());
}

void FolderBrowser::followFolder() {
    files_->setPath(folders_->path());
    MakeCurrentDirectory(folders_->path());
    followDrive();
}

void FolderBrowser::folders_KeyPress() {
    folders_->openCurrent();
    MakeCurrentDirectory(folders_->path());
}

} // namespace qb::platform
