// The file writer window through its real controls: the bytes of saved files, where a bare name
// lands, the messages, the old file kept on every failure, and the lists following the folders.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <QComboBox>
#include <QTest>
#include <QTimer>

#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"
#include "files/WriteFileForm.h"

namespace qb::files {
namespace {

namespace fs = std::filesystem;
using platform::MsgIcon;

// A fresh folder that is the current directory for the test's lifetime.
struct TempFolder {
    fs::path path;
    fs::path previous;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "qb-write-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        previous = fs::current_path();
        fs::current_path(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::current_path(previous, ec);
        fs::remove_all(path, ec);
    }
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Names of the save's temporary files left in `folder`.
std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".qb4160-save-"))
            out.push_back(entry.path().filename().string());
    return out;
}

struct Rig {
    test::RecordingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};

    void fill(const std::vector<double>& codes) {
        settings.Codes = {0.0};
        settings.Codes.insert(settings.Codes.end(), codes.begin(), codes.end());
        settings.CodesRead = static_cast<int16_t>(codes.size());
    }
};

template <class T>
T* control(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Shows the window modally, runs `actions` while it is up, then closes it.
void runModal(platform::Form& form, const std::function<void()>& actions) {
    QTimer::singleShot(0, &form, [&] {
        actions();
        if (form.isVisible()) form.unload();
    });
    form.showModal();
}

void typeName(WriteFileForm& form, const QString& name) {
    auto* box = control<platform::TextBox>(form, "FileName");
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    for (const QChar c : name) {
        if (c.unicode() < 128)
            QTest::keyClick(box, c.toLatin1());
        else
            box->insert(QString(c));  // typed through an input method
    }
}

void clickSave(WriteFileForm& form) {
    QTest::mouseClick(control<QPushButton>(form, "WriteFileCommand"), Qt::LeftButton);
}

// Opens `folder` in the directory list the way a user does: cursor on it, then a key.
void openFolder(platform::DirList* list, const fs::path& folder) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(Qt::UserRole).toString().toStdString() == folder.string()) {
            list->setCurrentRow(row);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
            return;
        }
    }
    ADD_FAILURE() << folder << " is not listed";
}

// ---- Saves that succeed -------------------------------------------------------------------

struct SaveCase {
    const char* label;
    std::vector<double> codes;
    bool hex;
    QString name;
    std::string bytes;
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.label; }

class WriteFileSaves : public ::testing::TestWithParam<SaveCase> {};

TEST_P(WriteFileSaves, WritesTheBufferExactlyAndSaysSo) {
    const SaveCase& c = GetParam();
    TempFolder folder;
    Rig rig;
    rig.fill(c.codes);
    const std::vector<double> before = rig.settings.Codes;

    WriteFileForm form(rig.ctx);
    std::vector<std::string> listed;
    runModal(form, [&] {
        EXPECT_EQ(control<platform::TextBox>(form, "FileName")->str(), "Default.dat");
        EXPECT_TRUE(control<platform::OptionButton>(form, "DecimalOpt")->value());
        if (c.hex) QTest::mouseClick(control<platform::OptionButton>(form, "HexOpt"), Qt::LeftButton);
        if (!c.name.isEmpty()) typeName(form, c.name);
        clickSave(form);
        listed = control<platform::FileList>(form, "WriteList")->fileNames();
    });

    const std::string name = c.name.isEmpty() ? "Default.dat" : c.name.toStdString();
    EXPECT_EQ(slurp(folder.path / name), c.bytes);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "File successfully created");
    EXPECT_EQ(rig.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_FALSE(form.errorFlag());
    // The list shows the new file at once; the buffer is only read.
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());
    EXPECT_EQ(rig.settings.Codes, before);
    EXPECT_TRUE(leftovers(folder.path).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteFileSaves,
    ::testing::Values(
        SaveCase{"Decimal", {8388608, 8388610, 8388605}, false, {},
                 " 8388608\r\n 8388610\r\n 8388605\r\n"},
        SaveCase{"Hex", {8388608, 8388610, 8388605}, true, {}, "800000\r\n800002\r\n7FFFFD\r\n"},
        SaveCase{"ZeroBothForms", {0}, false, "zero.dat", " 0\r\n"},
        SaveCase{"ZeroHex", {0, 16777215}, true, "zero.hex", "0\r\nFFFFFF\r\n"},
        SaveCase{"EmptyBufferEmptyFile", {}, false, "empty.dat", ""},
        SaveCase{"NameWithBlanks", {1, 2}, false, "my codes 1.dat", " 1\r\n 2\r\n"},
        SaveCase{"NonAsciiName", {65535}, true, QString::fromUtf8("Messung_\xC3\xA4\xC3\x9F_\xE6\x95\xB0.dat"),
                 "FFFF\r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WriteFileForm, ReplacesAnExistingFileWhole) {
    TempFolder folder;
    spit(folder.path / "Default.dat", std::string(5000, 'x'));
    Rig rig;
    rig.fill({7});
    WriteFileForm form(rig.ctx);
    runModal(form, [&] { clickSave(form); });
    EXPECT_EQ(slurp(folder.path / "Default.dat"), " 7\r\n");
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{"File successfully created"});
}

// ---- Saves that fail ----------------------------------------------------------------------

struct FailCase {
    const char* label;
    QString name;                          // typed into FileName
    std::function<void(Rig&, const fs::path&)> setup;
};
void PrintTo(const FailCase& c, std::ostream* os) { *os << c.label; }

class WriteFileFailures : public ::testing::TestWithParam<FailCase> {};

TEST_P(WriteFileFailures, KeepTheOldFileAndSayWhy) {
    const FailCase& c = GetParam();
    TempFolder folder;
    const std::string old = " 11\r\n 12\r\n";
    spit(folder.path / "old.dat", old);
    fs::create_directory(folder.path / "sub");
    Rig rig;
    rig.fill({1, 2, 3});
    if (c.setup) c.setup(rig, folder.path);

    WriteFileForm form(rig.ctx);
    runModal(form, [&] {
        typeName(form, c.name);
        clickSave(form);
    });

    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "Error occured while trying to create File.");
    EXPECT_EQ(rig.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(form.errorFlag());
    EXPECT_EQ(slurp(folder.path / "old.dat"), old);
    EXPECT_TRUE(fs::is_directory(folder.path / "sub"));
    EXPECT_TRUE(leftovers(folder.path).empty());
}

// Makes every write beyond a few bytes fail, as a full disk does.
struct FileSizeLimit {
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
};

INSTANTIATE_TEST_SUITE_P(
    Files, WriteFileFailures,
    ::testing::Values(
        FailCase{"NameOfAFolder", "sub", {}},
        FailCase{"FolderThatDoesNotExist", "nosuch/x.dat", {}},
        FailCase{"NoName", "", {}},
        FailCase{"BlanksOnly", "   ", {}},
        FailCase{"Device", "/dev/full", {}},
        FailCase{"FolderThatTakesNoFiles", "/proc/qb4160-test.dat", {}},
        FailCase{"BufferHoldsNoNumber", "old.dat",
                 [](Rig& rig, const fs::path&) { rig.settings.Codes[2] = std::nan(""); }},
        FailCase{"BufferShorterThanItsCount", "old.dat",
                 [](Rig& rig, const fs::path&) { rig.settings.CodesRead = 40; }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WriteFileForm, AWriteThatFailsHalfwayKeepsTheOldFile) {
    TempFolder folder;
    const std::string old = " 11\r\n 12\r\n";
    spit(folder.path / "Default.dat", old);
    Rig rig;
    rig.fill(std::vector<double>(5000, 16777215));
    WriteFileForm form(rig.ctx);
    runModal(form, [&] {
        FileSizeLimit limit(1000);
        clickSave(form);
    });
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{"Error occured while trying to create File."});
    EXPECT_EQ(slurp(folder.path / "Default.dat"), old);
    EXPECT_TRUE(leftovers(folder.path).empty());
}

// ---- Folders, drives and the current directory ----------------------------------------------

TEST(WriteFileForm, ABareNameLandsInTheFolderLastChosen) {
    TempFolder folder;
    fs::create_directories(folder.path / "a" / "b");
    spit(folder.path / "a" / "there.dat", "1\r\n");
    Rig rig;
    rig.fill({42});
    WriteFileForm form(rig.ctx);
    std::vector<std::string> listedInA;
    runModal(form, [&] {
        auto* dir = control<platform::DirList>(form, "WriteDir");
        auto* list = control<platform::FileList>(form, "WriteList");
        EXPECT_EQ(dir->path(), folder.path.string());
        openFolder(dir, folder.path / "a");
        EXPECT_EQ(dir->path(), (folder.path / "a").string());
        EXPECT_EQ(fs::current_path(), folder.path / "a");
        listedInA = list->fileNames();
        openFolder(dir, folder.path / "a" / "b");
        EXPECT_EQ(fs::current_path(), folder.path / "a" / "b");
        EXPECT_TRUE(list->fileNames().empty());
        // Back up through the ancestor shown above the folder.
        openFolder(dir, folder.path / "a");
        typeName(form, "saved.dat");
        clickSave(form);
    });
    EXPECT_EQ(listedInA, std::vector<std::string>{"there.dat"});
    EXPECT_EQ(slurp(folder.path / "a" / "saved.dat"), " 42\r\n");
    // The current directory stays where the window left it.
    EXPECT_EQ(fs::current_path(), folder.path / "a");
}

TEST(WriteFileForm, ClickingTheFileListReadsTheFolderAgain) {
    TempFolder folder;
    spit(folder.path / "first.dat", "1\r\n");
    Rig rig;
    WriteFileForm form(rig.ctx);
    std::vector<std::string> before, after;
    std::string name;
    runModal(form, [&] {
        auto* list = control<platform::FileList>(form, "WriteList");
        before = list->fileNames();
        spit(folder.path / "second.dat", "2\r\n");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        after = list->fileNames();
        name = control<platform::TextBox>(form, "FileName")->str();
    });
    EXPECT_EQ(before, std::vector<std::string>{"first.dat"});
    EXPECT_EQ(after, (std::vector<std::string>{"first.dat", "second.dat"}));
    EXPECT_EQ(name, "Default.dat");  // the clicked name is not taken over
}

TEST(WriteFileForm, TheDriveListMovesTheFolderAndFollowsIt) {
    TempFolder folder;
    fs::create_directory(folder.path / "sub");
    fs::current_path(folder.path / "sub");
    const std::string drive = folder.path.string();
    Rig rig;
    WriteFileForm form(rig.ctx);
    runModal(form, [&] {
        auto* drives = control<platform::DriveList>(form, "WriteDrive");
        auto* dir = control<platform::DirList>(form, "WriteDir");
        auto* list = control<platform::FileList>(form, "WriteList");
        drives->setDrives({"/", drive});
        drives->setDrive("/");
        ASSERT_EQ(drives->drive(), "/");
        drives->setFocus();

        // The folder's own drive: the current directory lies on it and stays.
        QTest::keyClick(drives, Qt::Key_Down);
        EXPECT_EQ(drives->drive(), drive);
        EXPECT_EQ(dir->path(), (folder.path / "sub").string());

        // "/": the current directory is on the other drive, so its root is shown.
        QTest::keyClick(drives, Qt::Key_Up);
        EXPECT_EQ(drives->drive(), "/");
        EXPECT_EQ(dir->path(), "/");
        EXPECT_EQ(list->path(), "/");
        EXPECT_EQ(fs::current_path(), fs::path("/"));

        // Back: the drive's root, as the current directory is not on it.
        QTest::keyClick(drives, Qt::Key_Down);
        EXPECT_EQ(dir->path(), drive);
        EXPECT_EQ(fs::current_path(), folder.path);

        // Walking the directory list onto another drive moves the drive list with it.
        openFolder(dir, "/");
        EXPECT_EQ(drives->drive(), "/");
        openFolder(dir, fs::path(drive).parent_path());
        openFolder(dir, drive);
        EXPECT_EQ(drives->drive(), drive);
    });
}

TEST(WriteFileForm, MainMenuClosesTheWindowWithoutSaving) {
    TempFolder folder;
    Rig rig;
    rig.fill({1});
    WriteFileForm form(rig.ctx);
    bool closed = false;
    runModal(form, [&] {
        QTest::mouseClick(control<QPushButton>(form, "WriteMenuCommand"), Qt::LeftButton);
        closed = !form.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_FALSE(fs::exists(folder.path / "Default.dat"));
    EXPECT_TRUE(rig.messages.shown.empty());
}

} // namespace
} // namespace qb::files
