// The data file: line texts, the reader's rules and failures, reading files and the safe save.
// The encoder's other refusals show through the writer window (filewindows_test).
#include <sys/stat.h>

#include <cmath>

#include "files/FileWindowRig.h"

namespace qb::files::rig {

constexpr CodeForm Dec = CodeForm::Decimal, Hex = CodeForm::Hex;

// Each code's line text; a count beyond the buffer is refused, not read past its end.
TEST(EncodeCodes, LineTextsAndACountBeyondTheBuffer) {
    struct Case { double code; std::optional<std::string> decimal, hex; };
    const std::vector<Case> cases = {
        {8388608, " 8388608", "800000"}, {0, " 0", "0"}, {-0.4, " 0", "0"}, {-1, "-1", "FFFFFFFF"},
        {12.5, " 12", "C"}, {13.5, " 14", "E"}, {-2147483648.0, "-2147483648", "80000000"},
        {2147483648.0, " 2147483648", std::nullopt}, {std::nan(""), std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCodeLine(c.code, Dec), c.decimal) << c.code;
        EXPECT_EQ(FormatCodeLine(c.code, Hex), c.hex) << c.code;
    }
    EXPECT_EQ(EncodeCodes(buffer({1, 2}), 5, Dec).error(), "the code buffer holds fewer codes than its count says");
}

// Whole and fed in pieces of 1 to 3 bytes, the result is the same: a CR LF split between two
// pieces is still one line end.
TEST(ParseCodes, RulesAndFailuresWholeAndInPieces) {
    const std::string decBad = "not a decimal number";
    struct Case { std::string content; CodeForm form; Codes codes; std::string error = {}; };  // error: Describe
    const std::vector<Case> cases = {
        {"  7  \r\n-12\r\n+3\r\n\t4\r\n", Dec, {7, -12, 3, 4}}, {"12.5\r\n13.5\r\n-0.5\r\n2.51\r\n", Dec, {12, 14, 0, 3}},
        {"2147483647\r\n-2147483648.5\r\n", Dec, {2147483647, -2147483648.0}}, {"1\r\n2\r\n\r\n3\r\nx\r\n", Dec, {1, 2}},
        {"\r\n", Dec, {0}}, {"\r\nFF\r\n", Hex, {0, 255}}, {"1\n2\n3", Dec, {1, 2, 3}}, {"1\r2\r3\r", Dec, {1, 2, 3}},
        {"1\r2\n3", Dec, {1, 2, 3}}, {"1\n\r2\r\n", Dec, {1}},  // LF then CR: an empty line
        {"800000\r\nFFFF\r\n8000\r\n0\r\nabcdef\r\nFFFFFFFF\r\n80000000\r\n0FF\r\n7FFFFFFF\r\n", Hex,
         {8388608, 65535, 32768, 0, 11259375, 65535, -2147483648.0 + 65536, 255, 2147483647}},
        {lines(5000, " 1") + "\r\n" + lines(300, " 1"), Dec, Codes(5000, 1)},
        {" 5\r\n\r\n" + std::string(kMaxLineLength + 1, '1'), Dec, {5}},
        {std::string(kMaxLineLength - 2, ' ') + "42", Dec, {42}},
        {"", Dec, {}, "the file is empty"}, {"1\r\n2x\r\n", Dec, {}, "line 2: " + decBad},
        {"1\r\n   \r\n", Dec, {}, "line 2: " + decBad}, {std::string("12\0\r\n", 5), Dec, {}, "line 1: " + decBad},
        {"1\r\n2147483648\r\n", Dec, {}, "line 2: the number is beyond the 32-bit range"},
        {"5\r\n00\r\n", Hex, {}, "line 2: a zero is written as the single digit 0"},
        {"1\r\n123456789\r\n", Hex, {}, "line 2: not a hexadecimal code of 1 to 8 digits"},
        {lines(5001, " 1"), Dec, {}, "more than 5000 code lines"},
        {"5\r\n" + std::string(kMaxLineLength + 1, '1'), Hex, {}, "line 2: longer than 4096 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        for (const std::size_t size : {c.content.size() + 1, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
            CodeParser parser(c.form);
            for (std::size_t at = 0; at < c.content.size(); at += size)
                parser.Feed(std::string_view(c.content).substr(at, size));
            // A bad line ends the read there, even one too long that no line break ends.
            if (c.error.starts_with("line ")) {
                EXPECT_TRUE(parser.done()) << "pieces of " << size;
            }
            const ReadResult r = parser.Finish();
            EXPECT_EQ(r.ok() ? *r : Codes{}, c.codes) << "pieces of " << size;
            EXPECT_EQ(r.ok() ? "" : r.error().Describe(c.form), c.error) << "pieces of " << size;
        }
    }
}

TEST(ReadCodesFile, ReadsAcrossPiecesAndRefusesWhatIsNotAPlainFileWithoutBlocking) {
    TempFolder folder;
    // Over 64 KiB of codes, then the empty line and more junk than one read takes.
    spit("big.dat", lines(5000, std::string(11, ' ') + "16777215") + "\r\n" + std::string(3 << 20, 'z'));
    EXPECT_EQ(*ReadCodesFile("big.dat", Dec), Codes(5000, 16777215));
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    fs::create_directory("sub");
    const std::string cannot = "the file cannot be read: ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pipe", cannot + "not a plain file"}, {"sub", cannot + "not a plain file"},
        {"missing.dat", cannot + "No such file or directory"}, {"", cannot + "no file name"}};
    for (const auto& [path, text] : cases) {
        const ReadResult r = ReadCodesFile(path, Dec);
        EXPECT_EQ(r.ok() ? "loaded" : r.error().Describe(Dec), text) << path;
    }
}

// Through a link the file it names is replaced, with its permissions (a new file's own are the
// safe-save test's).
TEST(SaveFileSafely, ReplacesWholeKeepsPermissionsAndFollowsLinks) {
    TempFolder folder;
    spit("kept.dat", std::string(100, 'x'));
    fs::permissions("kept.dat", fs::perms(0640));
    fs::create_symlink(folder.path / "kept.dat", "link.dat");
    EXPECT_TRUE(SaveFileSafely("link.dat", "").ok());  // an empty buffer gives an empty file
    EXPECT_TRUE(fs::is_symlink("link.dat"));
    EXPECT_EQ(fs::file_size("kept.dat"), 0u);
    EXPECT_EQ(fs::status("kept.dat").permissions(), fs::perms(0640));
}

} // namespace qb::files::rig
