// The reader window through its real controls: all-or-nothing loads with a message naming the
// file and the line. Round trips and the folder read from: writefileform_test.
#include "files/FileWindowRig.h"

namespace qb::files::rig {

// One window through every failure in turn; then a good file loads and clears the error.
TEST(FileReadForm, AFailedLoadKeepsTheBufferAndNamesTheFileAndTheLine) {
    const auto cannot = [](std::string file, std::string why) { return "The file " + file + " could not be read: " + why + "."; };
    const std::string hexBad = " is not a hexadecimal code of 1 to 8 digits";
    struct Case { std::string name, content; bool hex; std::string message; };
    const std::vector<Case> cases = {
        {"", "", false, "No file has been selected. Please select a data file from the list."},
        {"7.dat", lines(6, " 1") + "seven\r\n" + lines(3, " 1"), false, cannot("7.dat", "line 7 is not a decimal number")},
        {"5001.dat", lines(5001, " 1"), false, "The file 5001.dat holds more than 5000 codes and was not read."},
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
    runModal(form, [&] {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(c.message);
            click(form, c.hex ? "FileReadHexOpt" : "FileReadDecOpt");
            ASSERT_TRUE(c.name.empty() || clickFile(form, c.name));
            if (c.name == "gone.dat") fs::remove(folder.path / c.name);  // gone since it was listed
            click(form, "ReadFileCommand");
            rig.expectLast(MsgIcon::Exclamation, c.message, i + 1);
            EXPECT_TRUE(rig.untouched());
        }
        ASSERT_TRUE(clickFile(form, "good.dat", true));  // a double click loads too
    });
    rig.expectLast(MsgIcon::Information, "The File Has been Sucessfully read", cases.size() + 1);
    EXPECT_EQ(rig.settings.Codes, (Codes{0, 9, 8}));
}

} // namespace qb::files::rig
