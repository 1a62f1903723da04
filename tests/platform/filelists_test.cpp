// Drive, directory and file lists: pattern matching, mount filtering, and the lists on a real
// folder tree with hidden names, links (also looping and broken ones) and unreadable folders.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FileLists.h"

using namespace qb::platform;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// ---- patterns -------------------------------------------------------------------------------

struct PatternCase {
    const char* name;
    const char* pattern;
    bool matches;
};

class Pattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(Pattern, ClassicFileNamePatterns) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Pattern,
    ::testing::Values(PatternCase{"Default.dat", "*.*", true},   // every name
                      PatternCase{"README", "*.*", true},        // also without a dot
                      PatternCase{".profile", "*.*", true},
                      PatternCase{"a.dat", "*.dat", true},
                      PatternCase{"a.DAT", "*.dat", false},       // case counts on Linux
                      PatternCase{"a.dat.bak", "*.dat", false},
                      PatternCase{"dat", "*.dat", false},
                      PatternCase{"data", "data.*", true},        // ".*" also matches no extension
                      PatternCase{"data.txt", "data.*", true},
                      PatternCase{"data2", "data.*", false},
                      PatternCase{"a1.dat", "a?.dat", true},
                      PatternCase{"a.dat", "a?.dat", false},
                      PatternCase{"x.txt", "*.dat;*.txt", true},  // several patterns
                      PatternCase{"x.csv", "*.dat; *.txt", false},
                      PatternCase{"x.txt", "*.dat; *.txt ", true},
                      PatternCase{"anything", "", true},
                      PatternCase{"[a].dat", "[a].dat", true},    // brackets are plain characters
                      PatternCase{"a.dat", "[a].dat", false},
                      PatternCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*c", false}));

// ---- drives ---------------------------------------------------------------------------------

constexpr const char* kMounts =
    "proc /proc proc rw 0 0\n"
    "sysfs /sys sysfs rw 0 0\n"
    "devtmpfs /dev devtmpfs rw 0 0\n"
    "tmpfs /dev/shm tmpfs rw 0 0\n"
    "tmpfs /run tmpfs rw 0 0\n"
    "tmpfs /run/user/1000 tmpfs rw 0 0\n"
    "/dev/sda1 / ext4 rw 0 0\n"
    "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
    "/dev/sda2 /home ext4 rw 0 0\n"
    "tmpfs /tmp tmpfs rw 0 0\n"
    "overlay /var/lib/box overlay rw 0 0\n"
    "/dev/sdb1 /media/My\\040Stick vfat rw 0 0\n"
    "binfmt_misc /proc/sys/fs/binfmt_misc binfmt_misc rw 0 0\n"
    "/dev/sda2 /home ext4 rw 0 0\n"  // mounted twice
    "broken line\n"
    "\n";

struct DriveCase {
    const char* what;
    const char* mounts;
    const char* home;
    Names expected;
};

class Drives : public ::testing::TestWithParam<DriveCase> {};

TEST_P(Drives, RealFileSystemRootsOnly) {
    const DriveCase& c = GetParam();
    EXPECT_EQ(DriveRoots(c.mounts, c.home), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Drives,
    ::testing::Values(
        DriveCase{"typical desktop", kMounts, "/home/ann",
                  {"/", "/home", "/media/My Stick", "/tmp", "/var/lib/box"}},
        DriveCase{"empty table still has /", "", "", {"/"}},
        DriveCase{"home on a filtered mount is kept", "tmpfs /run tmpfs rw 0 0\n", "/run/home/ann", {"/", "/run"}},
        DriveCase{"home on / adds nothing", "tmpfs /run tmpfs rw 0 0\n", "/root", {"/"}}));

TEST(Drives, DriveOfPicksTheLongestRootHoldingThePath) {
    const Names roots{"/", "/home", "/home/ann/nfs", "/media/My Stick"};
    EXPECT_EQ(DriveOf(roots, "/home/ann/x"), "/home");
    EXPECT_EQ(DriveOf(roots, "/home/ann/nfs/x"), "/home/ann/nfs");
    EXPECT_EQ(DriveOf(roots, "/home"), "/home");
    EXPECT_EQ(DriveOf(roots, "/homework"), "/");  // a name that only starts like a root
    EXPECT_EQ(DriveOf(roots, "/media/My Stick/a"), "/media/My Stick");
    EXPECT_EQ(DriveOf({"/home"}, "/etc"), "");
}

// ---- a folder tree --------------------------------------------------------------------------

class Tree : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::string root;

    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path().toStdString();
        for (const char* f : {"a.dat", "b.DAT", "c.txt", "noext", ".hidden.dat"}) std::ofstream(root + "/" + f) << "1\r\n";
        for (const char* d : {"sub1", "Sub2", ".hiddendir", "sub1/deeper"}) fs::create_directory(root + "/" + d);
        fs::create_directory_symlink(root + "/sub1", root + "/link-to-sub1");
        fs::create_symlink(root + "/loop", root + "/loop");        // a link to itself
        fs::create_symlink(root + "/nowhere", root + "/broken");  // a dangling link
        fs::create_symlink(root + "/a.dat", root + "/fileLink.dat");
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root + "/sub1", fs::perms::owner_all, ec);
    }
};

struct FileCase {
    const char* pattern;
    bool hidden;
    Names expected;
};

class FileListPatterns : public Tree, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FileListPatterns, ListsMatchingPlainFiles) {
    const FileCase& c = GetParam();
    FileList list("ListRead");
    list.setShowHidden(c.hidden);
    ASSERT_TRUE(list.setPath(root));
    list.setPattern(c.pattern);
    EXPECT_EQ(list.fileNames(), c.expected) << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileListPatterns,
    ::testing::Values(FileCase{"*.*", false, {"a.dat", "b.DAT", "c.txt", "fileLink.dat", "noext"}},
                      FileCase{"*.*", true, {".hidden.dat", "a.dat", "b.DAT", "c.txt", "fileLink.dat", "noext"}},
                      FileCase{"*.dat", false, {"a.dat", "fileLink.dat"}},
                      FileCase{"*.dat;*.txt", false, {"a.dat", "c.txt", "fileLink.dat"}},
                      FileCase{"no*.*", false, {"noext"}},
                      FileCase{"*.csv", false, {}}));

TEST_F(Tree, FileListSelectionAndHooks) {
    FileList list("ListRead");
    ASSERT_TRUE(list.setPath(root));
    int clicks = 0, doubles = 0;
    list.onClick([&] { ++clicks; });
    list.onDoubleClick([&] { ++doubles; });
    list.show();
    EXPECT_EQ(list.currentFileName(), "");  // nothing chosen yet
    const QRect second = list.visualItemRect(list.item(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(list.currentFileName(), "b.DAT");
    EXPECT_EQ(clicks, 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(doubles, 1);
    // A new listing forgets the choice.
    list.setPattern("*.txt");
    EXPECT_EQ(list.currentFileName(), "");
}

TEST_F(Tree, DirListShowsAncestorsThenSortedSubfolders) {
    DirList dir("ReadDir");
    ASSERT_TRUE(dir.setPath(root + "/./sub1/.."));
    EXPECT_EQ(dir.path(), root);
    EXPECT_EQ(dir.subfolders(), (Names{"link-to-sub1", "sub1", "Sub2"}));  // no loop, no broken link
    const size_t depth = std::count(root.begin(), root.end(), '/');
    ASSERT_EQ(size_t(dir.count()), depth + 1 + 3);
    EXPECT_EQ(dir.item(0)->text().trimmed(), "/");
    EXPECT_EQ(dir.item(int(depth))->text().trimmed().toStdString(), fs::path(root).filename().string());
    EXPECT_EQ(dir.currentEntry(), root);  // the cursor starts on the folder itself
    dir.setShowHidden(true);
    EXPECT_EQ(dir.subfolders(), (Names{".hiddendir", "link-to-sub1", "sub1", "Sub2"}));
}

TEST_F(Tree, DirListOpensTheEntryUnderTheCursor) {
    DirList dir("WriteDir");
    ASSERT_TRUE(dir.setPath(root));
    int changes = 0;
    dir.onChange([&] { ++changes; });
    // The first subfolder after the folder's own row.
    dir.setCurrentRow(dir.count() - 2);
    EXPECT_EQ(dir.currentEntry(), root + "/sub1");
    EXPECT_TRUE(dir.openCurrent());
    EXPECT_EQ(dir.path(), root + "/sub1");
    EXPECT_EQ(dir.subfolders(), Names{"deeper"});
    EXPECT_EQ(changes, 1);
    // Up again through an ancestor row.
    dir.setCurrentRow(dir.count() - 3);
    EXPECT_TRUE(dir.openCurrent());
    EXPECT_EQ(dir.path(), root);
    EXPECT_EQ(changes, 2);
    // The same path again: re-read, no change.
    EXPECT_TRUE(dir.setPath(root));
    EXPECT_EQ(changes, 2);
}

TEST_F(Tree, DirListKeyHookAndDoubleClick) {
    DirList dir("ReadDir");
    ASSERT_TRUE(dir.setPath(root));
    std::vector<int> keys;
    dir.onKeyPress([&](int& k) {
        keys.push_back(k);
        dir.openCurrent();  // any key opens the entry under the cursor
    });
    dir.show();
    QTest::keyClick(&dir, Qt::Key_Down);  // moves the cursor, types nothing
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(dir.currentEntry(), root + "/link-to-sub1");
    QTest::keyClick(&dir, Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<int>{13});
    EXPECT_EQ(dir.path(), root + "/link-to-sub1");  // the link's own name stays in the path
    EXPECT_EQ(dir.subfolders(), Names{"deeper"});

    ASSERT_TRUE(dir.setPath(root));
    const QRect sub2 = dir.visualItemRect(dir.item(dir.count() - 1));
    QTest::mouseClick(dir.viewport(), Qt::LeftButton, {}, sub2.center());  // a double click's first half
    QTest::mouseDClick(dir.viewport(), Qt::LeftButton, {}, sub2.center());
    EXPECT_EQ(dir.path(), root + "/Sub2");
}

struct RefusedCase {
    const char* what;
    const char* relative;
    bool needsNonRoot;  // permissions do not stop the superuser
};

class UnreadableFolders : public Tree, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(UnreadableFolders, AreRefusedAndTheListsKeepWhatTheyHad) {
    const RefusedCase& c = GetParam();
    if (c.needsNonRoot) {
        if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not apply";
        fs::permissions(root + "/sub1", fs::perms::none);
    }
    DirList dir("ReadDir");
    FileList files("ListRead");
    ASSERT_TRUE(dir.setPath(root));
    ASSERT_TRUE(files.setPath(root));
    int changes = 0;
    dir.onChange([&] { ++changes; });
    const Names before = dir.subfolders();
    const std::string bad = root + "/" + c.relative;
    EXPECT_FALSE(dir.setPath(bad)) << c.what;
    EXPECT_FALSE(files.setPath(bad)) << c.what;
    EXPECT_EQ(dir.path(), root);
    EXPECT_EQ(dir.subfolders(), before);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(files.path(), root);
    EXPECT_EQ(files.fileNames().size(), 5u);
    EXPECT_FALSE(ReadFolder(bad, false).readable);
}

INSTANTIATE_TEST_SUITE_P(Table, UnreadableFolders,
                         ::testing::Values(RefusedCase{"missing", "nothing-here", false},
                                           RefusedCase{"a file, not a folder", "a.dat", false},
                                           RefusedCase{"a link to itself", "loop", false},
                                           RefusedCase{"a dangling link", "broken", false},
                                           RefusedCase{"no permission", "sub1", true}));

TEST(FileLists, ThousandsOfEntries) {
    // In memory when possible: creating thousands of files on disk can take seconds.
    QTemporaryDir tmp(fs::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0
                          ? QStringLiteral("/dev/shm/qb-lists-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/qb-lists-XXXXXX"));
    ASSERT_TRUE(tmp.isValid());
    const std::string root = tmp.path().toStdString();
    for (int i = 0; i < 3000; ++i) std::ofstream(root + "/f" + std::to_string(i) + ".dat");
    for (int i = 0; i < 1000; ++i) fs::create_directory(root + "/d" + std::to_string(i));
    FileList files("ListRead");
    ASSERT_TRUE(files.setPath(root));
    files.setPattern("*.dat");
    EXPECT_EQ(files.count(), 3000);
    DirList dir("ReadDir");
    ASSERT_TRUE(dir.setPath(root));
    EXPECT_EQ(dir.subfolders().size(), 1000u);
    const Names sub = dir.subfolders();
    EXPECT_TRUE(std::is_sorted(sub.begin(), sub.end()));
}

TEST(FileLists, AbsolutePathCleansAndAnchors) {
    const std::string here = fs::current_path().string();
    EXPECT_EQ(AbsolutePath("/a/./b//c/../d/"), "/a/b/d");
    EXPECT_EQ(AbsolutePath("/"), "/");
    EXPECT_EQ(AbsolutePath("/.."), "/");
    EXPECT_EQ(AbsolutePath(""), here);
    EXPECT_EQ(AbsolutePath("x/y"), (fs::path(here) / "x/y").string());
}

// ---- the drive list -------------------------------------------------------------------------

TEST_F(Tree, DriveListChoosesOnlyEnterableDrives) {
    DriveList drives("ReadDrive");
    ASSERT_FALSE(drives.drives().empty());
    EXPECT_EQ(drives.drives().front(), "/");
    EXPECT_FALSE(drives.drive().empty());

    const std::string missing = root + "/unplugged";
    drives.setDrives({"/", root, missing});
    int changes = 0;
    drives.onChange([&] { ++changes; });
    ASSERT_TRUE(drives.setDrive("/"));
    const int before = changes;

    EXPECT_TRUE(drives.setDrive(root + "/sub1/deeper"));  // any path selects its drive
    EXPECT_EQ(drives.drive(), root);
    EXPECT_EQ(drives.currentText().toStdString(), root);
    EXPECT_EQ(changes, before + 1);
    EXPECT_TRUE(drives.setDrive(root));  // the same drive: no change
    EXPECT_EQ(changes, before + 1);

    EXPECT_FALSE(drives.setDrive(missing));  // not there: refused, nothing changes
    EXPECT_EQ(drives.drive(), root);
    EXPECT_EQ(changes, before + 1);

    // The user picks the unplugged drive: the list goes back silently.
    drives.setCurrentIndex(2);
    emit drives.activated(2);
    EXPECT_EQ(drives.drive(), root);
    EXPECT_EQ(drives.currentIndex(), 1);
    EXPECT_EQ(changes, before + 1);

    // The user picks an enterable one.
    drives.setCurrentIndex(0);
    emit drives.activated(0);
    EXPECT_EQ(drives.drive(), "/");
    EXPECT_EQ(changes, before + 2);
    EXPECT_EQ(drives.driveOf(root + "/x"), root);
}

} // namespace
