// A measurement that keeps its conditions through the windows: the program menu programs the
// converter from a set-up file, the data reading window reads, the noise window saves the codes as
// CSV; after a restart that remembers nothing, on a converter at its power-on set-up, "Read from
// File" loads that CSV and the noise window gives the same figures, saying where its conditions
// come from. The program menu's set-up buttons: a save, and a load that stops at a mismatch or
// refuses a bad file with one message.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "analysis/NoiseForm.h"
#include "analysis/ReadDataForm.h"
#include "files/FileWindowRig.h"
#include "link/ProgramRegisters.h"
#include "link/SetUp.h"
#include "registers/program.h"
#include "support/BoardRig.h"

namespace {

using namespace qb;
using test::Click;
using test::RunModal;
using Texts = std::vector<std::string>;

// The program menu with its file dialog answered by `choice`; its buttons pressed without
// opening it (which would read the status register).
struct SetUpMenu : registers::program {
    std::optional<std::string> choice;
    using program::program;
    std::optional<std::string> chooseSetUpFile(bool) override { return choice; }
    void press(const char* button) { findChild<QPushButton*>(button)->click(); }
};

// The noise window's texts once open (every label by name); "Save as CSV..." to `csvChoice` when
// one is given.
struct NoiseTexts : analysis::NoiseForm {
    std::optional<std::string> csvChoice;
    std::map<std::string, std::string> texts;
    using NoiseForm::NoiseForm;
    std::optional<std::string> chooseCsvFile() override { return csvChoice; }
    NoiseTexts& read() {
        RunModal(*this, [this] {
            for (const QLabel* label : findChildren<QLabel*>()) texts[label->objectName().toStdString()] = label->text().toStdString();
            if (csvChoice) Click(*this, "CsvCommand");
        });
        return *this;
    }
};

TEST(Measurement, ACsvFileReadBackAfterARestartGivesTheSameFiguresInItsOwnConditions) {
    files::rig::TempFolder folder;
    const std::string setUp = (folder.path / "s.json").string();
    files::rig::spit(setUp, R"({"mode": "2190", "filter": "40010"})");  // +-20 mV, 1600 Hz
    std::map<std::string, std::string> before;
    {
        test::BoardRig rig;  // the power-on set-up: +-80 mV, 50 Hz
        SetUpMenu menu(rig.ctx);
        menu.choice = setUp;
        menu.press("LoadSetUpCommand");
        EXPECT_EQ(rig.traffic(), (Texts{"W filter 40010", "R filter 40010", "W mode 2190", "R mode 2190"}));
        analysis::ReadDataForm read(rig.ctx);
        RunModal(read, [&] { Click(read, "Command3D1"); });
        ASSERT_EQ(rig.settings.CodesRead, 500);
        NoiseTexts noise(rig.ctx);
        noise.csvChoice = (folder.path / "Codes.csv").string();
        before = noise.read().texts;
        EXPECT_TRUE(rig.messages.shown.empty());
        EXPECT_EQ(before["lblConditions"], "\u00B120 mV bipolar, 24-bit, 5 V reference, 1600.00 Hz: the converter's present set-up");
        // The registers nothing keeps are read from the converter for the file, not taken as 0.
        EXPECT_NE(files::rig::slurp(folder.path / "Codes.csv").find("# dac_register: 0\n# offset_register: 800000\n# gain_register: 555555\n"),
                  std::string::npos);
    }
    test::BoardRig restarted;
    files::FileReadForm load(restarted.ctx);
    RunModal(load, [&] {
        ASSERT_TRUE(files::rig::clickFile(load, "Codes.csv"));
        Click(load, "ReadFileCommand");
    });
    ASSERT_EQ(restarted.messages.texts(), Texts{"The File Has been Sucessfully read"});
    NoiseTexts again(restarted.ctx);  // saved again as it came
    again.csvChoice = (folder.path / "Again.csv").string();
    std::map<std::string, std::string> after = again.read().texts;
    EXPECT_EQ(files::rig::slurp(folder.path / "Again.csv"), files::rig::slurp(folder.path / "Codes.csv"));
    EXPECT_EQ(after["lblConditions"], "\u00B120 mV bipolar, 24-bit, 5 V reference, 1600.00 Hz: from the file");
    before.erase("lblConditions"), after.erase("lblConditions");
    EXPECT_EQ(after, before);
    // The converter's own set-up, on which the register windows rely, is left as it is, and codes
    // read from it next are its own.
    EXPECT_EQ(std::make_pair(restarted.settings.ModeRegValue, restarted.settings.InputRangeMv), std::make_pair(0x21B0, int16_t{80}));
    analysis::ReadDataForm read(restarted.ctx);
    RunModal(read, [&] { Click(read, "Command3D1"); });
    EXPECT_EQ(NoiseTexts(restarted.ctx).read().texts["lblConditions"],
              "\u00B180 mV bipolar, 24-bit, 5 V reference, 50.00 Hz: the converter's present set-up");
}

TEST(SetUpMenu, SavesTheRegistersAndLoadsWithOneMessageAtAMismatchOrABadFile) {
    files::rig::TempFolder folder;
    const std::string file = (folder.path / "s.json").string();
    {
        test::BoardRig rig;
        SetUpMenu menu(rig.ctx);
        menu.choice = file;
        menu.press("SaveSetUpCommand");
        EXPECT_EQ(*link::ParseSetUp(files::rig::slurp(file)), link::ReadRegisters(rig.ctx));
        EXPECT_TRUE(rig.messages.shown.empty());
    }
    const struct {
        const char* content;
        bool readBackFault;
        Texts traffic;
        std::string says;
    } cases[] = {
        {R"({"mode": "2190", "dac": "2"})", true, {"W DAC 2", "R DAC 3"},
         "The set-up was not loaded in full: the DAC register read back 3 after 2 was written, and the registers after "
         "it were not written."},
        {R"({"mode": "2190", "dac": "2", "dac": "3"})", false, {},
         "The set-up could not be loaded, and no register was written: " + file + ": \"dac\" is given twice."},
    };
    for (const auto& c : cases) {
        files::rig::spit(file, c.content);
        test::BoardRig rig(-1, c.readBackFault ? test::Fault(board::Fault::Readback) : board::SimOptions{});
        SetUpMenu menu(rig.ctx);
        menu.choice = file;
        menu.press("LoadSetUpCommand");
        EXPECT_EQ(rig.traffic(), c.traffic);
        EXPECT_EQ(rig.messages.texts(), Texts{c.says});
    }
}

} // namespace
