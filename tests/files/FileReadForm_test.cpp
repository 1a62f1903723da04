// The file reader window through its real controls: round trips with the writer, all-or-nothing
// loads, a message for every load that fails, the pattern box, and the current directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include "files/FileReadForm.h"
#include "files/WriteFileForm.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::files {
namespace {

namespace fs = std::filesystem;
using platform::MsgIcon;

struct TempFolder {
    fs::path path;
    fs::path previous;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "qb-read-XXXXXX").string();
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

void spit(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string lines(std::size_t count, const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += line + "\r\n";
    return out;
}

struct Rig {
    test::RecordingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};

    // A buffer that a failed load must leave exactly as it is.
    void fillOld() {
        settings.Codes = {0.0, 101.0, 102.0, 103.0};
        settings.CodesRead = 3;
        settings.CodesToRead = 500;
        settings.LastCode = 103;
    }
    bool holdsOld() const {
        return settings.Codes == std::vector<double>{0.0, 101.0, 102.0, 103.0} && settings.CodesRead == 3 &&
               settings.CodesToRead == 500 && settings.LastCode == 103;
    }
};

template <class T>
T* control(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void runModal(platform::Form& form, const std::function<void()>& actions) {
    QTimer::singleShot(0, &form, [&] {
        actions();
        if (form.isVisible()) form.unload();
    });
    form.showModal();
}

// Clicks the file `name` in the file list; false when it is not listed.
bool clickFile(QWidget& form, const std::string& name, bool twice = false) {
    auto* list = control<platform::FileList>(form, "ListRead");
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text().toStdString() != name) continue;
        const QPoint at = list->visualItemRect(list->item(row)).center();
        // A double click arrives as a click followed by the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        return true;
    }
    return false;
}

void chooseHex(QWidget& form) {
    QTest::mouseClick(control<platform::OptionButton>(form, "FileReadHexOpt"), Qt::LeftButton);
}

void clickRead(QWidget& form) {
    QTest::mouseClick(control<QPushButton>(form, "ReadFileCommand"), Qt::LeftButton);
}

// ---- Round trips with the writer ------------------------------------------------------------

struct RoundTrip {
    const char* label;
    std::vector<double> codes;
    bool hex;
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.label; }

class FileRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(FileRoundTrip, WhatTheWriterSavedLoadsBackExactly) {
    const RoundTrip& c = GetParam();
    TempFolder folder;
    Rig writer;
    writer.settings.Codes = {0.0};
    writer.settings.Codes.insert(writer.settings.Codes.end(), c.codes.begin(), c.codes.end());
    writer.settings.CodesRead = static_cast<int16_t>(c.codes.size());
    {
        WriteFileForm form(writer.ctx);
        runModal(form, [&] {
            if (c.hex) QTest::mouseClick(control<platform::OptionButton>(form, "HexOpt"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(form, "WriteFileCommand"), Qt::LeftButton);
        });
        ASSERT_EQ(writer.messages.texts(), std::vector<std::string>{"File successfully created"});
    }

    Rig reader;
    reader.fillOld();
    FileReadForm form(reader.ctx);
    runModal(form, [&] {
        if (c.hex) chooseHex(form);
        ASSERT_TRUE(clickFile(form, "Default.dat"));
        clickRead(form);
    });
    ASSERT_EQ(reader.messages.shown.size(), 1u);
    EXPECT_EQ(reader.messages.shown[0].text, "The File Has been Sucessfully read");
    EXPECT_EQ(reader.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(reader.settings.Codes, writer.settings.Codes);
    EXPECT_EQ(reader.settings.CodesRead, writer.settings.CodesRead);
    // Only the buffer itself is replaced.
    EXPECT_EQ(reader.settings.CodesToRead, 500);
    EXPECT_EQ(reader.settings.LastCode, 103);
}

std::vector<double> ramp(std::size_t n) {
    std::vector<double> out;
    for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<double>((i * 3355443u) % 16777216u));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileRoundTrip,
    ::testing::Values(RoundTrip{"Decimal", {8388608, 8388610, 8388605, 0, 16777215}, false},
                      RoundTrip{"Hex", {8388608, 8388610, 8388605, 0, 16777215, 65535, 32768}, true},
                      RoundTrip{"Decimal5000", ramp(5000), false},
                      RoundTrip{"Hex5000", ramp(5000), true},
                      RoundTrip{"SixteenBitHex", {0, 1, 32767, 32768, 65535}, true}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Files that load --------------------------------------------------------------------------

struct GoodFile {
    const char* label;
    std::string content;
    bool hex;
    std::vector<double> codes;
};
void PrintTo(const GoodFile& c, std::ostream* os) { *os << c.label; }

class FileReadLoads : public ::testing::TestWithParam<GoodFile> {};

TEST_P(FileReadLoads, TheBufferHoldsTheFileAfterASuccessMessage) {
    const GoodFile& c = GetParam();
    TempFolder folder;
    spit(folder.path / "codes.dat", c.content);
    Rig rig;
    rig.fillOld();
    FileReadForm form(rig.ctx);
    runModal(form, [&] {
        if (c.hex) chooseHex(form);
        ASSERT_TRUE(clickFile(form, "codes.dat"));
        clickRead(form);
    });
    std::vector<double> expected{0.0};
    expected.insert(expected.end(), c.codes.begin(), c.codes.end());
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{"The File Has been Sucessfully read"});
    EXPECT_EQ(rig.settings.Codes, expected);
    EXPECT_EQ(rig.settings.CodesRead, static_cast<int16_t>(c.codes.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileReadLoads,
    ::testing::Values(GoodFile{"LineFeedsOnly", " 1\n 2\n 3", false, {1, 2, 3}},
                      GoodFile{"CarriageReturnsOnly", "1\r2\r3\r", false, {1, 2, 3}},
                      GoodFile{"EmptyFirstLineIsZero", "\r\n", false, {0}},
                      GoodFile{"StopsAtTheFirstEmptyLine", "5\r\n6\r\n\r\nnot a code\r\n", false, {5, 6}},
                      GoodFile{"Exactly5000", lines(5000, " 7"), false, std::vector<double>(5000, 7)}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Files that do not load -------------------------------------------------------------------

struct BadFile {
    const char* label;
    std::function<void(const fs::path&)> make;  // makes "bad.dat" (listed) in the folder
    std::function<void(const fs::path&)> after; // runs once the file is listed and clicked
    bool hex;
    std::string message;
};
void PrintTo(const BadFile& c, std::ostream* os) { *os << c.label; }

class FileReadRefuses : public ::testing::TestWithParam<BadFile> {};

TEST_P(FileReadRefuses, NamesTheFileAndTheReasonAndKeepsTheBuffer) {
    const BadFile& c = GetParam();
    TempFolder folder;
    c.make(folder.path);
    Rig rig;
    rig.fillOld();
    FileReadForm form(rig.ctx);
    runModal(form, [&] {
        if (c.hex) chooseHex(form);
        ASSERT_TRUE(clickFile(form, "bad.dat"));
        if (c.after) c.after(folder.path);
        clickRead(form);
    });
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, c.message);
    EXPECT_EQ(rig.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(form.errorFlag());
    EXPECT_TRUE(rig.holdsOld());
}

auto content(std::string bytes) {
    return [bytes](const fs::path& dir) { spit(dir / "bad.dat", bytes); };
}

const std::string kCannot = "The file bad.dat could not be read: ";

INSTANTIATE_TEST_SUITE_P(
    Files, FileReadRefuses,
    ::testing::Values(
        BadFile{"Empty", content(""), {}, false, kCannot + "it is empty."},
        BadFile{"BinaryJunk", content(std::string("\x7f" "ELF\x02\x01\x00\xff\xfe", 9)), {}, false,
                kCannot + "line 1 is not a decimal number."},
        BadFile{"BadSeventhLine", content(lines(6, " 1") + "seven\r\n" + lines(3, " 1")), {}, false,
                kCannot + "line 7 is not a decimal number."},
        BadFile{"TenMegabyteLine", content(std::string(10u << 20, '7')), {}, false,
                kCannot + "line 1 is longer than 4096 characters."},
        BadFile{"MoreThan5000", content(lines(5001, " 1")), {}, false,
                "The file bad.dat holds more than 5000 codes and was not read."},
        BadFile{"DoubleZeroInHex", content("12\r\n00\r\n"), {}, true,
                kCannot + "line 2 is not a hexadecimal code of 1 to 8 digits "
                          "(a zero is written as the single digit 0)."},
        BadFile{"PrefixInHex", content("0x12\r\n"), {}, true,
                kCannot + "line 1 is not a hexadecimal code of 1 to 8 digits."},
        BadFile{"DecimalReadAsHex", content(" 8388608\r\n 8388610\r\n"), {}, true,
                kCannot + "line 1 is not a hexadecimal code of 1 to 8 digits."},
        BadFile{"NineHexDigits", content("1\r\n123456789\r\n"), {}, true,
                kCannot + "line 2 is not a hexadecimal code of 1 to 8 digits."},
        BadFile{"DecimalBeyond32Bits", content(" 1\r\n 4294967296\r\n"), {}, false,
                kCannot + "line 2 holds a number beyond the 32-bit range."},
        BadFile{"GoneSinceListed", content(" 1\r\n"),
                [](const fs::path& dir) { fs::remove(dir / "bad.dat"); }, false,
                kCannot + "No such file or directory."},
        BadFile{"NowAFolder", content(" 1\r\n"),
                [](const fs::path& dir) {
                    fs::remove(dir / "bad.dat");
                    fs::create_directory(dir / "bad.dat");
                },
                false, kCannot + "not a plain file."},
        BadFile{"NowAPipe", content(" 1\r\n"),
                [](const fs::path& dir) {
                    fs::remove(dir / "bad.dat");
                    ASSERT_EQ(::mkfifo((dir / "bad.dat").c_str(), 0600), 0);
                },
                false, kCannot + "not a plain file."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FileReadForm, NoFileSelectedIsSaidAndChangesNothing) {
    TempFolder folder;
    spit(folder.path / "codes.dat", " 1\r\n");
    Rig rig;
    rig.fillOld();
    FileReadForm form(rig.ctx);
    runModal(form, [&] { clickRead(form); });
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "No file has been selected. Please select a data file from the list.");
    EXPECT_EQ(rig.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(rig.holdsOld());
}

TEST(FileReadForm, ADoubleClickLoadsTheFile) {
    TempFolder folder;
    spit(folder.path / "codes.dat", " 9\r\n 8\r\n");
    Rig rig;
    FileReadForm form(rig.ctx);
    runModal(form, [&] { ASSERT_TRUE(clickFile(form, "codes.dat", true)); });
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{"The File Has been Sucessfully read"});
    EXPECT_EQ(rig.settings.Codes, (std::vector<double>{0, 9, 8}));
}

TEST(FileReadForm, ALoadAfterAFailureStartsAfresh) {
    TempFolder folder;
    spit(folder.path / "a_bad.dat", "junk\r\n");
    spit(folder.path / "b_good.dat", " 5\r\n");
    Rig rig;
    rig.fillOld();
    FileReadForm form(rig.ctx);
    bool flagAfterBad = false;
    runModal(form, [&] {
        ASSERT_TRUE(clickFile(form, "a_bad.dat"));
        clickRead(form);
        flagAfterBad = form.errorFlag();
        ASSERT_TRUE(clickFile(form, "b_good.dat"));
        clickRead(form);
    });
    EXPECT_TRUE(flagAfterBad);
    EXPECT_FALSE(form.errorFlag());
    EXPECT_EQ(rig.messages.texts(),
              (std::vector<std::string>{"The file a_bad.dat could not be read: line 1 is not a decimal number.",
                                        "The File Has been Sucessfully read"}));
    EXPECT_EQ(rig.settings.Codes, (std::vector<double>{0, 5}));
}

// ---- The pattern box ----------------------------------------------------------------------------

TEST(FileReadForm, ThePatternTakesEffectOnEnterOrAClickInTheList) {
    TempFolder folder;
    for (const char* name : {"a.dat", "b.txt", "c.dat", "noext"}) spit(folder.path / name, " 1\r\n");
    Rig rig;
    FileReadForm form(rig.ctx);
    std::vector<std::string> atStart, typedOnly, afterEnter, afterClick;
    std::string selected;
    runModal(form, [&] {
        auto* list = control<platform::FileList>(form, "ListRead");
        auto* search = control<platform::TextBox>(form, "SearchText");
        atStart = list->fileNames();
        search->setFocus();
        search->selectAll();
        QTest::keyClicks(search, "*.dat");
        typedOnly = list->fileNames();
        QTest::keyClick(search, Qt::Key_Return);
        afterEnter = list->fileNames();
        search->selectAll();
        QTest::keyClicks(search, "*.dat;*.txt");
        ASSERT_TRUE(clickFile(form, "c.dat"));
        afterClick = list->fileNames();
        selected = list->currentFileName();
    });
    EXPECT_EQ(atStart, (std::vector<std::string>{"a.dat", "b.txt", "c.dat", "noext"}));
    EXPECT_EQ(typedOnly, atStart);
    EXPECT_EQ(afterEnter, (std::vector<std::string>{"a.dat", "c.dat"}));
    EXPECT_EQ(afterClick, (std::vector<std::string>{"a.dat", "b.txt", "c.dat"}));
    // The clicked file stays chosen while the list is read again with the new pattern.
    EXPECT_EQ(selected, "c.dat");
}

// ---- Folders and the current directory ----------------------------------------------------------

void openFolder(platform::DirList* list, const fs::path& folder) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(Qt::UserRole).toString().toStdString() == folder.string()) {
            list->setCurrentRow(row);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Space);
            return;
        }
    }
    ADD_FAILURE() << folder << " is not listed";
}

TEST(FileReadForm, OpeningMakesTheProgramsFolderCurrentAndReadingTheListedOne) {
    TempFolder folder;
    fs::create_directory(folder.path / "data");
    spit(folder.path / "data" / "codes.dat", " 3\r\n");
    Rig rig;
    FileReadForm form(rig.ctx);
    fs::path atLoad, afterOpen, afterRead;
    std::vector<std::string> listedInData;
    runModal(form, [&] {
        atLoad = fs::current_path();
        auto* dir = control<platform::DirList>(form, "ReadDir");
        EXPECT_EQ(dir->path(), folder.path.string());  // the lists show where the user was
        openFolder(dir, folder.path / "data");
        afterOpen = fs::current_path();
        listedInData = control<platform::FileList>(form, "ListRead")->fileNames();
        // Something else moves the current directory; reading goes back to the listed folder.
        fs::current_path("/");
        ASSERT_TRUE(clickFile(form, "codes.dat"));
        clickRead(form);
        afterRead = fs::current_path();
    });
    EXPECT_EQ(atLoad, fs::path(QCoreApplication::applicationDirPath().toStdString()));
    EXPECT_EQ(afterOpen, folder.path / "data");
    EXPECT_EQ(listedInData, std::vector<std::string>{"codes.dat"});
    EXPECT_EQ(afterRead, folder.path / "data");
    EXPECT_EQ(rig.settings.Codes, (std::vector<double>{0, 3}));
}

TEST(FileReadForm, MainMenuClosesTheWindowWithoutLoading) {
    TempFolder folder;
    spit(folder.path / "codes.dat", " 1\r\n");
    Rig rig;
    rig.fillOld();
    FileReadForm form(rig.ctx);
    bool closed = false;
    runModal(form, [&] {
        ASSERT_TRUE(clickFile(form, "codes.dat"));
        QTest::mouseClick(control<QPushButton>(form, "ReadMenuCommand"), Qt::LeftButton);
        closed = !form.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(rig.holdsOld());
    EXPECT_TRUE(rig.messages.shown.empty());
}

} // namespace
} // namespace qb::files
