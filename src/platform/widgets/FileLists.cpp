#include "platform/widgets/FileLists.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QStyle>

namespace qb::platform {

namespace fs = std::filesystem;

// ---- DriveList ----------------------------------------------------------------------------

DriveList::DriveList(const char* name, QWidget* parent) : QComboBox(parent) {
    setObjectName(QString::fromUtf8(name));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::activated, this, [this](int index) {
        const std::string chosen = itemData(index).toString().toStdString();
        if (chosen == drive_) return;
        if (!setDrive(chosen)) showDrive(drive_);  // not ready: back to the drive in use, silently
    });
    refresh();
    std::error_code ec;
    const std::string here = fs::current_path(ec).string();
    const std::string start = DriveOf(drives_, here);
    drive_ = start.empty() ? drives_.front() : start;
    showDrive(drive_);
}

void DriveList::refresh() {
    std::ifstream mounts("/proc/self/mounts");
    std::stringstream text;
    text << mounts.rdbuf();
    const char* home = std::getenv("HOME");
    setDrives(DriveRoots(text.str(), home ? home : ""));
}

void DriveList::setDrives(std::vector<std::string> roots) {
    if (roots.empty()) roots.push_back("/");
    drives_ = std::move(roots);
    clear();
    for (const auto& root : drives_) {
        const QString r = QString::fromStdString(root);
        addItem(r, r);
    }
    if (std::find(drives_.begin(), drives_.end(), drive_) == drives_.end()) drive_ = drives_.front();
    showDrive(drive_);
}

void DriveList::showDrive(const std::string& root) {
    const auto it = std::find(drives_.begin(), drives_.end(), root);
    setCurrentIndex(it == drives_.end() ? -1 : int(it - drives_.begin()));
}

bool DriveList::setDrive(const std::string& path) {
    const std::string root = driveOf(path);
    if (root.empty() || !Enterable(root)) return false;
    if (root == drive_) {
        showDrive(drive_);
        return true;
    }
    drive_ = root;
    showDrive(drive_);
    if (change_) change_();
    return true;
}

std::string DriveList::startDirectory(const std::string& drive) {
    std::error_code ec;
    const std::string here = fs::current_path(ec).string();
    return !ec && IsUnder(here, drive) ? here : drive;
}

// ---- DirList ------------------------------------------------------------------------------

DirList::DirList(const char* name, QWidget* parent) : QListWidget(parent) {
    setObjectName(QString::fromUtf8(name));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { openCurrent(); });
    if (!setPath(AbsolutePath(""))) setPath("/");
}

bool DirList::setPath(const std::string& path) {
    const std::string target = AbsolutePath(path);
    const FolderContents contents = ReadFolder(target, showHidden_);
    if (!contents.readable) return false;

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [&](const std::string& text, const std::string& full, int depth, const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + QString::fromStdString(text));
        item->setData(Qt::UserRole, QString::fromStdString(full));
        addItem(item);
    };

    clear();
    // The ancestors from the root down, then the folder itself.
    add("/", "/", 0, openIcon);
    int depth = 0;
    std::string sofar;
    for (const auto& part : fs::path(target).relative_path()) {
        sofar += "/" + part.string();
        add(part.string(), sofar, ++depth, openIcon);
    }
    ownRow_ = count() - 1;
    for (const auto& folder : contents.folders)
        add(folder, target == "/" ? "/" + folder : target + "/" + folder, depth + 1, closedIcon);
    setCurrentRow(ownRow_);

    const bool changed = target != path_;
    path_ = target;
    if (changed && change_) change_();
    return true;
}

std::string DirList::currentEntry() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(Qt::UserRole).toString().toStdString() : path_;
}

bool DirList::openCurrent() { return setPath(currentEntry()); }

std::vector<std::string> DirList::subfolders() const {
    std::vector<std::string> out;
    for (int row = ownRow_ + 1; row < count(); ++row)
        out.push_back(fs::path(item(row)->data(Qt::UserRole).toString().toStdString()).filename().string());
    return out;
}

void DirList::setShowHidden(bool on) {
    if (on == showHidden_) return;
    showHidden_ = on;
    refresh();
}

void DirList::keyPressEvent(QKeyEvent* event) {
    const int code = KeyAscii(*event);
    if (code != 0 && keyPress_) {
        int key = code;
        QPointer<DirList> alive(this);
        keyPress_(key);
        if (!alive) return;
        if (key == 0) {
            event->accept();
            return;
        }
    }
    QListWidget::keyPressEvent(event);
}

// ---- FileList -----------------------------------------------------------------------------

FileList::FileList(const char* name, QWidget* parent) : QListWidget(parent) {
    setObjectName(QString::fromUtf8(name));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) {
        if (click_) click_();
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) {
        if (doubleClick_) doubleClick_();
    });
    if (!setPath(AbsolutePath(""))) setPath("/");
}

bool FileList::setPath(const std::string& path) {
    const std::string target = AbsolutePath(path);
    const FolderContents contents = ReadFolder(target, showHidden_);
    if (!contents.readable) return false;
    path_ = target;
    QStringList names;
    for (const auto& file : contents.files)
        if (MatchesPattern(file, pattern_)) names.append(QString::fromStdString(file));
    clear();
    addItems(names);
    setCurrentRow(-1);
    return true;
}

void FileList::setPattern(std::string_view pattern) {
    pattern_ = std::string(pattern);
    refresh();
}

std::string FileList::currentFileName() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text().toStdString() : std::string();
}

std::vector<std::string> FileList::fileNames() const {
    std::vector<std::string> out;
    for (int row = 0; row < count(); ++row) out.push_back(item(row)->text().toStdString());
    return out;
}

void FileList::setShowHidden(bool on) {
    if (on == showHidden_) return;
    showHidden_ = on;
    refresh();
}

} // namespace qb::platform
