// The file windows remember the form and folder of the last file saved or loaded: the next
// writer and reader open there, in that form; a folder that has gone is not offered; without
// preferences (and after a failed save) nothing is remembered.
#include "files/FileChoices.h"
#include "files/FileWindowRig.h"
#include "support/MemoryPreferences.h"

namespace qb::files::rig {
namespace {

TEST(FileChoices, TheNextFileWindowOpensWhereAndHowTheLastSaveWent) {
    TempFolder scratch;
    const fs::path folder = scratch.path / "runs";
    fs::create_directory(folder);
    test::MemoryPreferences preferences;
    Rig rig({8388608, 8388610});
    rig.ctx.preferences = &preferences;

    {   // Save in hex into the folder, by name.
        WriteFileForm form(rig.ctx);
        runModal(form, [&] {
            click(form, "HexOpt");
            control<platform::TextBox>(form, "FileName")->setText(QString::fromStdString((folder / "a.dat").string()));
            click(form, "WriteFileCommand");
        });
    }
    EXPECT_EQ(slurp(folder / "a.dat"), "800000\r\n800002\r\n");
    EXPECT_EQ(preferences.values, (std::map<std::string, std::string, std::less<>>{
                                       {"files/folder", folder.string()}, {"files/form", "hex"}}));

    {   // The reader starts there in hex, and loads the file back.
        FileReadForm form(rig.ctx);
        runModal(form, [&] {
            EXPECT_EQ(control<platform::DirList>(form, "ReadDir")->path(), folder.string());
            EXPECT_TRUE(control<platform::OptionButton>(form, "FileReadHexOpt")->value());
            ASSERT_TRUE(clickFile(form, "a.dat"));
            click(form, "ReadFileCommand");
        });
        EXPECT_EQ(rig.settings.Codes, buffer({8388608, 8388610}));
    }
    {   // So does the writer.
        WriteFileForm form(rig.ctx);
        runModal(form, [&] {
            EXPECT_EQ(control<platform::DirList>(form, "WriteDir")->path(), folder.string());
            EXPECT_TRUE(control<platform::OptionButton>(form, "HexOpt")->value());
        });
    }

    // A failed save remembers nothing; a folder that has gone is not offered.
    {
        WriteFileForm form(rig.ctx);
        runModal(form, [&] {
            click(form, "DecimalOpt");
            control<platform::TextBox>(form, "FileName")->setText("no/such/folder/b.dat");
            click(form, "WriteFileCommand");
        });
    }
    EXPECT_EQ(preferences.values.at("files/form"), "hex");
    fs::remove_all(folder);
    EXPECT_EQ(RememberedFolder(&preferences), std::nullopt);
    EXPECT_EQ(RememberedForm(nullptr), std::nullopt);
}

} // namespace
} // namespace qb::files::rig
