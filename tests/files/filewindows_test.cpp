// The file windows through their real controls: the exact bytes of saved files and the reader
// loading them back, the old file kept on every failure, and where a bare name lands; the reader's
// all-or-nothing loads with a message naming the file and the line; the form and folder of the
// last file saved or loaded remembered for the next writer and reader (a folder that has gone is
// not offered; without preferences, and after a failed save, nothing is remembered).
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>

#include <QCoreApplication>

#include "files/FileChoices.h"
#include "files/FileWindowRig.h"
#include "support/MemoryPreferences.h"

namespace qb::files::rig {

void typeName(QWidget& form, const QString& name) {
    auto* box = Find<platform::TextBox>(form, "FileName");
    box->selectAll();
    box->insert(name);
}

TEST(WriteFileForm, SavesTheBufferExactlyAndTheReaderLoadsItBack) {
    Codes many = {8388608, 0, 16777215, 65535, 32768, 40000};
    for (std::size_t i = many.size(); i < 5000; ++i) many.push_back(static_cast<double>((i * 3355443u) % 16777216u));
    const Codes three = {8388608, 8388610, 8388605};
    struct Case { Codes codes; bool hex; QString name; std::optional<std::string> bytes; };
    const std::vector<Case> cases = {
        {three, false, {}, " 8388608\r\n 8388610\r\n 8388605\r\n"},  // 30 bytes over the old Default.dat
        {three, true, "h.dat", "800000\r\n800002\r\n7FFFFD\r\n"},    // 24 bytes
        {{}, false, "empty.dat", ""},
        {many, true, QString::fromUtf8("my codes \xC3\xA4\xE6\x95\xB0.hex"), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TempFolder folder;
        spit("Default.dat", std::string(5000, 'x'));
        Rig writer(c.codes), reader;
        WriteFileForm saver(writer.ctx);
        std::vector<std::string> listed;
        RunModal(saver, [&] {
            if (c.hex) Click(saver, "HexOpt");
            if (!c.name.isEmpty()) typeName(saver, c.name);
            Click(saver, "WriteFileCommand");
            listed = Find<platform::FileList>(saver, "WriteList")->fileNames();
        });
        const std::string name = c.name.isEmpty() ? "Default.dat" : c.name.toStdString();
        writer.expectLast(MsgIcon::Information, "File successfully created", c.name.isEmpty() ? 2 : 1);  // replacing asked
        const std::string bytes = slurp(folder.path / name);
        EXPECT_EQ(bytes, c.bytes.value_or(bytes));  // exact where given
        EXPECT_EQ(names(folder.path), (std::set<std::string>{"Default.dat", name}));  // no temporary left
        EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());         // listed at once
        if (c.codes.empty()) continue;

        FileReadForm form(reader.ctx);
        RunModal(form, [&] {
            if (c.hex) Click(form, "FileReadHexOpt");
            ASSERT_TRUE(clickFile(form, name));
            Click(form, "ReadFileCommand");
        });
        reader.expectLast(MsgIcon::Information, "The File Has been Sucessfully read");
        EXPECT_EQ(reader.settings.Codes, writer.settings.Codes);
        EXPECT_EQ(reader.settings.CodesRead, writer.settings.CodesRead);
        EXPECT_EQ(reader.settings.CodesToRead, 500);  // only the buffer is replaced
        EXPECT_EQ(reader.settings.LastCode, 77);
    }
}

TEST(WriteFileForm, AFailedSaveKeepsTheOldFileAndSaysSo) {
    struct Case { QString name; double second = 2; int16_t count = 3; rlim_t sizeLimit = RLIM_INFINITY; };
    const std::vector<Case> cases = {
        {"sub"}, {"pipe"}, {"nosuch/x.dat"}, {""}, {"   "}, {"old.dat", std::nan("")}, {"old.dat", 2, 40},
        {"old.dat", 2, 3, 4},  // as on a full disk, writes beyond 4 bytes fail
    };
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.name.toStdString() + "' " + std::to_string(c.second) + " " + std::to_string(c.count));
        TempFolder folder;
        spit("old.dat", " 11\r\n 12\r\n");
        fs::create_directory("sub");
        ASSERT_EQ(::mkfifo("pipe", 0600), 0);
        Rig rig({1, c.second, 3});
        rig.settings.CodesRead = c.count;
        WriteFileForm form(rig.ctx);
        RunModal(form, [&] {
            typeName(form, c.name);
            const rlimit small{std::min(c.sizeLimit, saved.rlim_cur), saved.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
            Click(form, "WriteFileCommand");
            ::setrlimit(RLIMIT_FSIZE, &saved);
        });
        const bool replacing = c.name == "pipe" || c.name == "old.dat";  // asked first, answered Yes
        rig.expectLast(MsgIcon::Exclamation, "Error occured while trying to create File.", replacing ? 2 : 1);
        EXPECT_EQ(slurp(folder.path / "old.dat"), " 11\r\n 12\r\n");
        EXPECT_EQ(names(folder.path), (std::set<std::string>{"old.dat", "pipe", "sub"}));  // no temporary left
    }
    std::signal(SIGXFSZ, oldHandler);
}

// Yes is the first case of the save test above.
TEST(WriteFileForm, ReplacingAFileAsksFirstAndNoLeavesItAsItWas) {
    TempFolder folder;
    spit("Default.dat", "old");
    Rig rig;
    rig.messages.answers = {platform::MsgAnswer::No};
    WriteFileForm form(rig.ctx);
    RunModal(form, [&] { Click(form, "WriteFileCommand"); });
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{"Default.dat already exists. Do you want to replace it?"});
    EXPECT_EQ(slurp(folder.path / "Default.dat"), "old");
}

// A bare name lands in the folder last opened; the reader makes the program's folder current
// when it opens, yet reads from the folder its list shows.
TEST(WriteFileForm, ABareNameLandsInTheFolderLastOpenedAndIsReadFromThere) {
    TempFolder folder;
    fs::create_directory("a");
    Rig writer({42}), reader;
    WriteFileForm saver(writer.ctx);
    RunModal(saver, [&] {
        auto* dir = Find<platform::DirList>(saver, "WriteDir");
        openFolder(dir, folder.path / "a");
        typeName(saver, "saved.dat");
        Click(saver, "WriteFileCommand");
    });
    EXPECT_EQ(slurp(folder.path / "a" / "saved.dat"), " 42\r\n");
    EXPECT_EQ(fs::current_path(), folder.path / "a");  // stays where the window left it

    FileReadForm form(reader.ctx);
    RunModal(form, [&] {
        EXPECT_EQ(fs::current_path(), fs::path(QCoreApplication::applicationDirPath().toStdString()));
        EXPECT_EQ(Find<platform::DirList>(form, "ReadDir")->path(), (folder.path / "a").string());
        ASSERT_TRUE(clickFile(form, "saved.dat"));
        Click(form, "ReadFileCommand");
        EXPECT_EQ(fs::current_path(), folder.path / "a");
    });
    EXPECT_EQ(reader.settings.Codes, (Codes{0, 42}));
}

// One window through every failure in turn; then a good file loads and clears the error.
TEST(FileReadForm, AFailedLoadKeepsTheBufferAndNamesTheFileAndTheLine) {
    const auto cannot = [](std::string file, std::string why) { return "The file " + file + " could not be read: " + why + "."; };
    const std::string hexBad = " is not a hexadecimal code of 1 to 8 digits";
    struct Case { std::string name, content; bool hex; std::string message; };
    const std::vector<Case> cases = {
        {"", "", false, "No file has been selected. Please select a data file from the list."},
        {"7.dat", lines(6, " 1") + "seven\r\n" + lines(3, " 1"), false, cannot("7.dat", "line 7 is not a decimal number")},
        {"5001.dat", lines(5001, " 1"), false, "The file 5001.dat holds more than 5000 codes and was not read."},
        {"5001.csv", "# QB4160 codes\n# mode_register: 2190\n# filter_register: 400010\n# master_clock_hz: 1\ncode\n" +
             lines(5001, "1"), false,
         "The file 5001.csv holds more than 5000 codes and was not read. The headless analysis (--analyse) takes it whole."},
        {"no.csv", "# QB4160 codes\ncode\n1\n", false, cannot("no.csv", "the header does not give mode_register")},
        {"00.hex", "12\r\n00\r\n", true, cannot("00.hex", "line 2" + hexBad + " (a zero is written as the single digit 0)")},
        {"0x.hex", "0x12\r\n", true, cannot("0x.hex", "line 1" + hexBad)},
        {"big.dat", " 1\r\n 4294967296\r\n", false, cannot("big.dat", "line 2 holds a number beyond the 32-bit range")},
        {"long.dat", std::string(5000, '7'), false, cannot("long.dat", "line 1 is longer than 4096 characters")},
        {"empty.dat", "", false, cannot("empty.dat", "it is empty")},
        {"gone.dat", " 1\r\n", false, cannot("gone.dat", "No such file or directory")},
    };
    TempFolder folder;
    for (std::size_t i = 1; i < cases.size(); ++i) spit(cases[i].name, cases[i].content);  // the first chooses none
    spit("good.dat", " 9\r\n 8\r\n");
    Rig rig;
    FileReadForm form(rig.ctx);
    RunModal(form, [&] {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(c.message);
            Click(form, c.hex ? "FileReadHexOpt" : "FileReadDecOpt");
            ASSERT_TRUE(c.name.empty() || clickFile(form, c.name));
            if (c.name == "gone.dat") fs::remove(folder.path / c.name);  // gone since it was listed
            Click(form, "ReadFileCommand");
            rig.expectLast(MsgIcon::Exclamation, c.message, i + 1);
            EXPECT_TRUE(rig.untouched());
        }
        ASSERT_TRUE(clickFile(form, "good.dat", true));  // a double click loads too
    });
    rig.expectLast(MsgIcon::Information, "The File Has been Sucessfully read", cases.size() + 1);
    EXPECT_EQ(rig.settings.Codes, (Codes{0, 9, 8}));
}

TEST(FileChoices, TheNextFileWindowOpensWhereAndHowTheLastSaveWent) {
    TempFolder scratch;
    const fs::path folder = scratch.path / "runs";
    fs::create_directory(folder);
    test::MemoryPreferences preferences;
    Rig rig({8388608, 8388610});
    rig.ctx.preferences = &preferences;

    {   // Save in hex into the folder, by name.
        WriteFileForm form(rig.ctx);
        RunModal(form, [&] {
            Click(form, "HexOpt");
            Find<platform::TextBox>(form, "FileName")->setText(QString::fromStdString((folder / "a.dat").string()));
            Click(form, "WriteFileCommand");
        });
    }
    EXPECT_EQ(slurp(folder / "a.dat"), "800000\r\n800002\r\n");
    EXPECT_EQ(preferences.values, (std::map<std::string, std::string, std::less<>>{
                                       {"files/folder", folder.string()}, {"files/form", "hex"}}));

    {   // The reader starts there in hex.
        FileReadForm form(rig.ctx);
        RunModal(form, [&] {
            EXPECT_EQ(Find<platform::DirList>(form, "ReadDir")->path(), folder.string());
            EXPECT_TRUE(Find<platform::OptionButton>(form, "FileReadHexOpt")->value());
        });
    }
    {   // So does the writer; a failed save there remembers nothing.
        WriteFileForm form(rig.ctx);
        RunModal(form, [&] {
            EXPECT_EQ(Find<platform::DirList>(form, "WriteDir")->path(), folder.string());
            Click(form, "DecimalOpt");
            Find<platform::TextBox>(form, "FileName")->setText("no/such/folder/b.dat");
            Click(form, "WriteFileCommand");
        });
    }

    // A folder that has gone is not offered.
    EXPECT_EQ(preferences.values.at("files/form"), "hex");
    fs::remove_all(folder);
    EXPECT_EQ(RememberedFolder(&preferences), std::nullopt);
    EXPECT_EQ(RememberedForm(nullptr), std::nullopt);
}

} // namespace qb::files::rig
