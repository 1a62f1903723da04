// Drive, directory and file lists: pattern matching, mount filtering, and the lists on a real
// folder tree with hidden names, links (also looping and broken ones) and unreadable folders.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/widgets/FileLists.h"

using namespace qb::platform;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

TEST(FileLists, ClassicFileNamePatterns) {
    struct Case { const char* name; const char* pattern; bool matches; };
    const Case cases[] = {
        {"README", "*.*", true}, {".profile", "*.*", true}, {"a.DAT", "*.dat", false},  // case counts
        {"a.dat.bak", "*.dat", false}, {"data", "data.*", true}, {"data2", "data.*", false},
        {"a1.dat", "a?.dat", true}, {"a.dat", "a?.dat", false}, {"x.csv", "*.dat; *.txt", false},
        {"x.txt", "*.dat; *.txt ", true}, {"anything", "", true}, {"a.dat", "[a].dat", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*c", false}};  // no runaway backtracking
    for (const Case& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(FileLists, DrivesAreTheRootsOfRealFileSystemsAndPathsAreMadeAbsolute) {
    const char* mounts =
        "proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\ndevtmpfs /dev devtmpfs rw 0 0\ntmpfs /dev/shm tmpfs rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n/dev/sda1 / ext4 rw 0 0\ncgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\ntmpfs /tmp tmpfs rw 0 0\noverlay /var/lib/box overlay rw 0 0\n"
        "/dev/sdb1 /media/My\\040Stick vfat rw 0 0\n/dev/sda2 /home ext4 rw 0 0\nbroken line\n\n";
    EXPECT_EQ(DriveRoots(mounts, "/home/ann"), (Names{"/", "/home", "/media/My Stick", "/tmp", "/var/lib/box"}));
    EXPECT_EQ(DriveRoots("", ""), Names{"/"});
    EXPECT_EQ(DriveRoots("tmpfs /run tmpfs rw 0 0\n", "/run/home/ann"), (Names{"/", "/run"}));  // home's mount stays
    EXPECT_EQ(DriveRoots("tmpfs /run tmpfs rw 0 0\n", "/root"), Names{"/"});
    const Names roots{"/", "/home", "/home/ann/nfs"};  // "/homework" only starts like a root
    EXPECT_EQ((Names{DriveOf(roots, "/home/ann/x"), DriveOf(roots, "/home/ann/nfs/x"), DriveOf(roots, "/homework"),
                     DriveOf({"/home"}, "/etc")}),
              (Names{"/home", "/home/ann/nfs", "/", ""}));
    const std::string here = fs::current_path().string();
    EXPECT_EQ((Names{AbsolutePath("/a/./b//c/../d/"), AbsolutePath("/.."), AbsolutePath(""), AbsolutePath("x/y")}),
              (Names{"/a/b/d", "/", here, (fs::path(here) / "x/y").string()}));
}

// A folder tree with hidden names, a link to a folder and to a file, a looping and a broken link.
class Tree : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::string root = tmp.path().toStdString();

    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        for (const char* f : {"a.dat", "b.DAT", "c.txt", "noext", ".hidden.dat"}) std::ofstream(root + "/" + f) << "1";
        for (const char* d : {"sub1", "Sub2", ".hiddendir", "sub1/deeper"}) fs::create_directory(root + "/" + d);
        fs::create_directory_symlink(root + "/sub1", root + "/link-to-sub1");
        fs::create_symlink(root + "/loop", root + "/loop");
        fs::create_symlink(root + "/nowhere", root + "/broken");
        fs::create_symlink(root + "/a.dat", root + "/fileLink.dat");
    }
};

TEST_F(Tree, FileListShowsMatchingPlainFilesAndReportsTheChoice) {
    FileList list("ListRead");
    ASSERT_TRUE(list.setPath(root));
    EXPECT_EQ(list.fileNames(), (Names{"a.dat", "b.DAT", "c.txt", "fileLink.dat", "noext"}));  // "*.*"
    list.setShowHidden(true);
    list.setPattern("*.dat;*.txt");
    EXPECT_EQ(list.fileNames(), (Names{".hidden.dat", "a.dat", "c.txt", "fileLink.dat"}));
    list.setPattern("*.csv");
    EXPECT_EQ(list.fileNames(), Names{});
    list.setPattern("*.*");
    list.show();
    EXPECT_EQ(list.currentFileName(), "");  // nothing chosen yet
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(2)).center());
    EXPECT_EQ(list.currentFileName(), "b.DAT");
    list.setPattern("*.txt");  // a new listing forgets the choice
    EXPECT_EQ(list.currentFileName(), "");
}

TEST_F(Tree, DirListShowsAncestorsThenSortedSubfoldersAndOpensTheEntryUnderTheCursor) {
    DirList dir("ReadDir");
    ASSERT_TRUE(dir.setPath(root + "/./sub1/.."));
    EXPECT_EQ(dir.path(), root);
    EXPECT_EQ(dir.subfolders(), (Names{"link-to-sub1", "sub1", "Sub2"}));  // no loop, no broken link
    ASSERT_EQ(dir.count(), std::count(root.begin(), root.end(), '/') + 1 + 3);  // "/", ancestors, itself, 3 below
    EXPECT_EQ(dir.item(0)->text().trimmed(), "/");
    EXPECT_EQ(dir.currentEntry(), root);  // the cursor starts on the folder itself
    int changes = 0;
    std::vector<int> keys;
    dir.onChange([&] { ++changes; });
    dir.onKeyPress([&](int& k) {
        keys.push_back(k);
        dir.openCurrent();  // any key opens the entry under the cursor
    });
    dir.show();
    QTest::keyClick(&dir, Qt::Key_Down);  // moves the cursor, types nothing
    QTest::keyClick(&dir, Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<int>{13});
    EXPECT_EQ(dir.path(), root + "/link-to-sub1");  // the link's own name stays in the path
    EXPECT_EQ(dir.subfolders(), Names{"deeper"});
    dir.setCurrentRow(dir.count() - 3);  // up again through an ancestor row
    EXPECT_TRUE(dir.openCurrent());
    EXPECT_EQ(dir.path(), root);
    EXPECT_TRUE(dir.setPath(root));  // the same path again: re-read, no change
    EXPECT_EQ(changes, 2);
}

TEST_F(Tree, UnreadableFoldersAreRefusedAndTheListsKeepWhatTheyHad) {
    DirList dir("ReadDir");
    FileList files("ListRead");
    ASSERT_TRUE(dir.setPath(root) && files.setPath(root));
    int changes = 0;
    dir.onChange([&] { ++changes; });
    const Names before = dir.subfolders();
    if (::geteuid() != 0) fs::permissions(root + "/sub1", fs::perms::none);  // which does not stop the superuser
    for (const char* bad : {"nothing-here", "a.dat", "loop", "broken", "sub1"}) {
        const std::string path = root + "/" + bad;
        if (bad == std::string("sub1") && ::geteuid() == 0) continue;
        EXPECT_FALSE(dir.setPath(path) || files.setPath(path) || ReadFolder(path, false).readable) << bad;
        EXPECT_EQ(dir.path(), root);
        EXPECT_EQ(dir.subfolders(), before);
        EXPECT_EQ(files.fileNames().size(), 5u);
    }
    EXPECT_EQ(changes, 0);
    fs::permissions(root + "/sub1", fs::perms::owner_all);  // lets the folder be removed
}

} // namespace
