// The data file: line texts, whole-file bytes, the reader's rules and failures, round trips and
// the safe save.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "files/DataFile.h"
#include "link/SharedSettings.h"

namespace qb::files {
namespace {

namespace fs = std::filesystem;
using Codes = std::vector<double>;

std::vector<double> buffer(const Codes& codes) {
    std::vector<double> b{0.0};
    b.insert(b.end(), codes.begin(), codes.end());
    return b;
}

std::string encode(const Codes& codes, CodeForm form) {
    const Encoded e = EncodeCodes(buffer(codes), static_cast<int32_t>(codes.size()), form);
    EXPECT_TRUE(e.bytes.has_value()) << e.error;
    return e.bytes.value_or("");
}

// ---- Writing ----------------------------------------------------------------------------------

TEST(FormatCodeLine, DecimalAndHexTexts) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double code;
        std::optional<std::string> decimal, hex;
    };
    const std::vector<Case> cases = {
        {8388608, " 8388608", "800000"},
        {16777215, " 16777215", "FFFFFF"},
        {0, " 0", "0"},
        {-0.0, " 0", "0"},
        {-0.4, " 0", "0"},
        {-5, "-5", "FFFFFFFB"},
        {-1, "-1", "FFFFFFFF"},
        {12.5, " 12", "C"},
        {13.5, " 14", "E"},
        {-2.5, "-2", "FFFFFFFE"},
        {2147483647, " 2147483647", "7FFFFFFF"},
        {-2147483648.0, "-2147483648", "80000000"},
        {2147483648.0, " 2147483648", std::nullopt},
        {1e20, " 100000000000000000000", std::nullopt},
        {nan, std::nullopt, std::nullopt},
        {-inf, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCodeLine(c.code, CodeForm::Decimal), c.decimal) << c.code;
        EXPECT_EQ(FormatCodeLine(c.code, CodeForm::Hex), c.hex) << c.code;
    }
}

TEST(EncodeCodes, ByteExactFiles) {
    struct Case {
        Codes codes;
        CodeForm form;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {{8388608, 8388610, 8388605}, CodeForm::Decimal, " 8388608\r\n 8388610\r\n 8388605\r\n"},
        {{8388608, 8388610, 8388605}, CodeForm::Hex, "800000\r\n800002\r\n7FFFFD\r\n"},
        {{0}, CodeForm::Decimal, " 0\r\n"},
        {{0}, CodeForm::Hex, "0\r\n"},
        {{}, CodeForm::Decimal, ""},
        {{}, CodeForm::Hex, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(encode(c.codes, c.form), c.bytes);
    EXPECT_EQ(encode({8388608, 8388610, 8388605}, CodeForm::Decimal).size(), 30u);
    EXPECT_EQ(encode({8388608, 8388610, 8388605}, CodeForm::Hex).size(), 24u);
}

TEST(EncodeCodes, RefusesABufferItCannotWriteFaithfully) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Encoded e = EncodeCodes(buffer({1, nan, 3}), 3, CodeForm::Decimal);
    EXPECT_FALSE(e.bytes.has_value());
    EXPECT_NE(e.error.find("code 2"), std::string::npos) << e.error;

    e = EncodeCodes(buffer({1, 2, 4294967295.0}), 3, CodeForm::Hex);
    EXPECT_FALSE(e.bytes.has_value());
    EXPECT_NE(e.error.find("code 3"), std::string::npos) << e.error;

    EXPECT_FALSE(EncodeCodes(buffer({1, 2}), 5, CodeForm::Decimal).bytes.has_value());
    EXPECT_FALSE(EncodeCodes({}, -1, CodeForm::Decimal).bytes.has_value());
    EXPECT_EQ(EncodeCodes({}, 0, CodeForm::Hex).bytes, "");  // never-filled buffer: empty file
}

// ---- Reading ----------------------------------------------------------------------------------

struct ParseCase {
    std::string name;
    std::string content;
    CodeForm form;
    Codes codes;                         // expected when ok
    std::optional<ReadFailure> failure;  // expected failure
    std::size_t line = 0;                // line named by the failure
};

ParseCase ok(std::string name, std::string content, CodeForm form, Codes codes) {
    return {std::move(name), std::move(content), form, std::move(codes), std::nullopt, 0};
}
ParseCase bad(std::string name, std::string content, CodeForm form, ReadFailure f, std::size_t line) {
    return {std::move(name), std::move(content), form, {}, f, line};
}

constexpr CodeForm Dec = CodeForm::Decimal;
constexpr CodeForm Hex = CodeForm::Hex;

std::vector<ParseCase> parseCases() {
    return {
        ok("DecimalAsWritten", " 8388608\r\n 8388610\r\n 8388605\r\n", Dec, {8388608, 8388610, 8388605}),
        ok("DecimalBlanksAndSigns", "  7  \r\n-12\r\n+3\r\n\t4\r\n", Dec, {7, -12, 3, 4}),
        ok("DecimalHalvesToEven", "12.5\r\n13.5\r\n-0.5\r\n2.51\r\n", Dec, {12, 14, 0, 3}),
        ok("DecimalInt32Ends", "2147483647\r\n-2147483648\r\n-2147483648.5\r\n", Dec,
           {2147483647, -2147483648.0, -2147483648.0}),
        ok("StopsAtFirstEmptyLine", "1\r\n2\r\n\r\n3\r\nrubbish\r\n", Dec, {1, 2}),
        ok("EmptyFirstLineIsZero", "\r\n", Dec, {0}),
        ok("EmptyFirstLineThenMore", "\r\n5\r\n\r\n", Dec, {0, 5}),
        ok("EmptyFirstLineHex", "\r\nFF\r\n", Hex, {0, 255}),
        ok("LineFeedsAlone", "1\n2\n3\n", Dec, {1, 2, 3}),
        ok("CarriageReturnsAlone", "1\r2\r3\r", Dec, {1, 2, 3}),
        ok("LastLineWithoutEnd", "1\r\n2", Dec, {1, 2}),
        ok("LfThenCrIsAnEmptyLine", "1\n\r2\r\n", Dec, {1}),
        ok("HexAsWritten", "800000\r\n800002\r\n7FFFFD\r\n", Hex, {8388608, 8388610, 8388605}),
        ok("HexSixteenBitPatterns", "FFFF\r\n8000\r\n7FFF\r\n0\r\n1\r\n", Hex, {65535, 32768, 32767, 0, 1}),
        ok("HexLowerCase", "ffff\r\nabcdef\r\n", Hex, {65535, 11259375}),
        ok("HexFiveToEightDigits", "10000\r\nFFFFFF\r\n7FFFFFFF\r\n", Hex, {65536, 16777215, 2147483647}),
        // 32-bit patterns with the top bit set read negative and get 65536 added.
        ok("HexNegative32Bit", "FFFFFFFF\r\n80000000\r\n", Hex, {65535, -2147483648.0 + 65536}),
        ok("HexLeadingZeroOfNonZero", "0FF\r\n000A\r\n", Hex, {255, 10}),
        ok("HexDigitsReadAsDecimal", "800000\r\n", Dec, {800000}),

        bad("Empty", "", Dec, ReadFailure::Empty, 0),
        bad("EmptyHex", "", Hex, ReadFailure::Empty, 0),
        bad("DecimalWord", "abc\r\n", Dec, ReadFailure::NotANumber, 1),
        bad("DecimalBadSecondLine", "1\r\n2x\r\n3\r\n", Dec, ReadFailure::NotANumber, 2),
        bad("DecimalBlankLine", "1\r\n   \r\n", Dec, ReadFailure::NotANumber, 2),
        bad("HexFileAsDecimal", "800000\r\n7FFFFD\r\n", Dec, ReadFailure::NotANumber, 2),
        bad("DecimalBeyond32Bits", "1\r\n2147483648\r\n", Dec, ReadFailure::OutOfRange, 2),
        bad("DecimalBelow32Bits", "-2147483649\r\n", Dec, ReadFailure::OutOfRange, 1),
        bad("DecimalRoundsBeyond", "2147483647.5\r\n", Dec, ReadFailure::OutOfRange, 1),
        bad("NulByte", std::string("12\0\r\n", 5), Dec, ReadFailure::NotANumber, 1),
        bad("BinaryJunk", "\x01\x02\xff\xfe\r\n", Dec, ReadFailure::NotANumber, 1),
        bad("HexDoubleZero", "5\r\n00\r\n", Hex, ReadFailure::NotANumber, 2),
        bad("HexPrefix", "0x12\r\n", Hex, ReadFailure::NotANumber, 1),
        bad("DecimalFileAsHex", " 8388608\r\n", Hex, ReadFailure::NotANumber, 1),
        bad("HexNineDigits", "123456789\r\n", Hex, ReadFailure::NotANumber, 1),
        bad("HexSign", "-1\r\n", Hex, ReadFailure::NotANumber, 1),
        bad("HexNonDigit", "12G\r\n", Hex, ReadFailure::NotANumber, 1),
        bad("HexTrailingBlank", "12 \r\n", Hex, ReadFailure::NotANumber, 1),
    };
}

void expectResult(const ReadResult& r, const ParseCase& c, const std::string& how) {
    if (c.failure) {
        ASSERT_TRUE(r.error.has_value()) << how;
        EXPECT_EQ(r.error->kind, *c.failure) << how;
        EXPECT_EQ(r.error->line, c.line) << how;
        EXPECT_TRUE(r.codes.empty()) << how;
    } else {
        ASSERT_FALSE(r.error.has_value()) << how << ": " << r.error->Describe(c.form);
        EXPECT_EQ(r.codes, c.codes) << how;
    }
}

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseCodesTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCodesTest, WholeContent) {
    expectResult(ParseCodes(GetParam().content, GetParam().form), GetParam(), "whole");
}

// Fed in pieces of every small size, the result is the same: a CR LF split between two pieces
// is still one line end.
TEST_P(ParseCodesTest, InPieces) {
    const ParseCase& c = GetParam();
    for (std::size_t size = 1; size <= 4; ++size) {
        CodeParser parser(c.form);
        for (std::size_t at = 0; at < c.content.size(); at += size)
            parser.Feed(std::string_view(c.content).substr(at, size));
        expectResult(parser.Finish(), c, "pieces of " + std::to_string(size));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseCodesTest, ::testing::ValuesIn(parseCases()),
                         [](const auto& info) { return info.param.name; });

std::string lines(std::size_t n, const std::string& text = " 1") {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += text + "\r\n";
    return s;
}

TEST(ParseCodes, AtMost5000CodeLines) {
    EXPECT_EQ(ParseCodes(lines(5000), Dec).codes.size(), 5000u);
    const ReadResult over = ParseCodes(lines(5001), Dec);
    ASSERT_TRUE(over.error.has_value());
    EXPECT_EQ(over.error->kind, ReadFailure::TooManyLines);
    EXPECT_EQ(over.error->line, 5001u);
    EXPECT_TRUE(over.codes.empty());
    // Lines after the first empty line do not count.
    EXPECT_EQ(ParseCodes(lines(5000) + "\r\n" + lines(300), Dec).codes.size(), 5000u);
}

TEST(ParseCodes, VeryLongLinesAreRefusedWithoutHoldingThem) {
    const std::string longLine(10 * 1024 * 1024, '1');
    ReadResult r = ParseCodes(longLine, Dec);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->kind, ReadFailure::LineTooLong);
    EXPECT_EQ(r.error->line, 1u);

    r = ParseCodes("5\r\n" + longLine + "\r\n", Hex);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->line, 2u);

    // After the codes have ended, nothing more is looked at.
    r = ParseCodes(" 5\r\n\r\n" + longLine, Dec);
    EXPECT_EQ(r.codes, Codes{5});

    // The longest line taken is still converted.
    const std::string padded = std::string(kMaxLineLength - 2, ' ') + "42";
    EXPECT_EQ(ParseCodes(padded, Dec).codes, Codes{42});
}

TEST(ReadError, DescribesTheLineAndTheReason) {
    struct Case {
        std::string content;
        CodeForm form;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"1\r\nx\r\n", Dec, "line 2: not a decimal number"},
        {"x\r\n", Hex, "line 1: not a hexadecimal code of 1 to 8 digits"},
        {"1\r\n00\r\n", Hex, "line 2: a zero is written as the single digit 0"},
        {"99999999999\r\n", Dec, "line 1: the number is beyond the 32-bit range"},
        {"", Dec, "the file is empty"},
        {lines(5001), Dec, "more than 5000 code lines"},
    };
    for (const auto& c : cases) {
        const ReadResult r = ParseCodes(c.content, c.form);
        ASSERT_TRUE(r.error.has_value()) << c.text;
        EXPECT_EQ(r.error->Describe(c.form), c.text);
    }
}

// Whatever the converter can produce comes back exactly, in both forms.
TEST(DataFile, RoundTripsEveryConverterCode) {
    Codes codes;
    for (double c = 0; c <= 16777215; c += 3989) codes.push_back(c);
    for (double c : {0.0, 1.0, 32767.0, 32768.0, 65535.0, 65536.0, 8388607.0, 8388608.0, 16777215.0})
        codes.push_back(c);
    for (std::size_t from = 0; from < codes.size(); from += kMaxCodeLines) {
        const Codes part(codes.begin() + static_cast<std::ptrdiff_t>(from),
                         codes.begin() + static_cast<std::ptrdiff_t>(std::min(codes.size(), from + kMaxCodeLines)));
        for (const CodeForm form : {Dec, Hex}) {
            const ReadResult r = ParseCodes(encode(part, form), form);
            ASSERT_TRUE(r.ok()) << r.error->Describe(form);
            EXPECT_EQ(r.codes, part);
        }
    }
    // Negative codes survive the decimal form.
    const Codes negative = {-1, -8388608, -2147483648.0};
    EXPECT_EQ(ParseCodes(encode(negative, Dec), Dec).codes, negative);
}

// ---- Files ------------------------------------------------------------------------------------

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "qb-datafile-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }
    // Names in the directory, so a left-over temporary file shows.
    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(path_)) n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }

private:
    fs::path path_;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(SaveFileSafely, CreatesAndReplacesFiles) {
    TempDir dir;
    const std::string file = dir / "Default.dat";
    EXPECT_EQ(SaveFileSafely(file, " 1\r\n"), std::nullopt);
    EXPECT_EQ(slurp(file), " 1\r\n");
    EXPECT_EQ(SaveFileSafely(file, ""), std::nullopt);  // an empty buffer gives an empty file
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"Default.dat"});
}

TEST(SaveFileSafely, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirPermissions) {
    TempDir dir;
    const mode_t old = ::umask(022);
    const std::string fresh = dir / "new.dat";
    EXPECT_EQ(SaveFileSafely(fresh, "x"), std::nullopt);
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const std::string kept = dir / "kept.dat";
    put(kept, "old");
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    EXPECT_EQ(SaveFileSafely(kept, "new"), std::nullopt);
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ::umask(old);
}

TEST(SaveFileSafely, ThroughASymbolicLinkTheFileItNamesIsReplaced) {
    TempDir dir;
    const std::string real = dir / "real.dat";
    const std::string link = dir / "link.dat";
    put(real, "old");
    fs::create_symlink(real, link);
    EXPECT_EQ(SaveFileSafely(link, "new"), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(slurp(real), "new");
}

TEST(SaveFileSafely, FailuresLeaveTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string file = dir / "codes.dat";
    put(file, "old contents\r\n");
    fs::create_directory(dir / "sub");

    struct Case {
        std::string name;
        std::string target;
    };
    const std::vector<Case> cases = {
        {"target is a directory", dir / "sub"},
        {"missing directory", dir / "nowhere/codes.dat"},
        {"empty name", ""},
    };
    for (const auto& c : cases) {
        const auto error = SaveFileSafely(c.target, "new\r\n");
        EXPECT_TRUE(error.has_value()) << c.name;
    }
    EXPECT_TRUE(fs::is_directory(dir / "sub"));
    EXPECT_EQ(slurp(file), "old contents\r\n");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"codes.dat", "sub"}));
}

// A full disk: writes beyond a small file-size limit fail (EFBIG) like writes to a full disk.
TEST(SaveFileSafely, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    const std::string file = dir / "codes.dat";
    put(file, "old\r\n");

    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = SaveFileSafely(file, std::string(1000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("cannot write"), std::string::npos) << *error;
    EXPECT_EQ(slurp(file), "old\r\n");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"codes.dat"});
}

TEST(ReadCodesFile, ReadsWhatSaveWrote) {
    TempDir dir;
    const Codes codes = {8388608, 8388610, 8388605};
    for (const CodeForm form : {Dec, Hex}) {
        const std::string file = dir / "Default.dat";
        ASSERT_EQ(SaveFileSafely(file, encode(codes, form)), std::nullopt);
        const ReadResult r = ReadCodesFile(file, form);
        ASSERT_TRUE(r.ok()) << r.error->Describe(form);
        EXPECT_EQ(r.codes, codes);
    }
}

TEST(ReadCodesFile, StopsReadingWhereTheCodesEnd) {
    TempDir dir;
    const std::string file = dir / "big.dat";
    // Codes, the empty line, then far more junk than one read takes.
    put(file, lines(10) + "\r\n" + std::string(3 * 1024 * 1024, 'z'));
    const ReadResult r = ReadCodesFile(file, Dec);
    ASSERT_TRUE(r.ok()) << r.error->Describe(Dec);
    EXPECT_EQ(r.codes.size(), 10u);
    // Content spanning many reads, with a CR LF wherever the pieces fall.
    put(file, lines(5000, " 16777215"));
    EXPECT_EQ(ReadCodesFile(file, Dec).codes.size(), 5000u);
}

TEST(ReadCodesFile, UnreadableThingsAreRefusedWithoutHanging) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(dir / "sub");
    for (const std::string& path : {dir / "missing.dat", dir / "sub", dir / "pipe", std::string()}) {
        const ReadResult r = ReadCodesFile(path, Dec);
        ASSERT_TRUE(r.error.has_value()) << path;
        EXPECT_EQ(r.error->kind, ReadFailure::Unreadable) << path;
        EXPECT_FALSE(r.error->Describe(Dec).empty());
    }
    EXPECT_EQ(ReadCodesFile(dir / "missing.dat", Dec).error->Describe(Dec),
              "the file cannot be read: No such file or directory");
}

TEST(LoadIntoBuffer, ReplacesTheWholeBufferOnlyWithACompleteResult) {
    link::SharedSettings s;
    s.Codes = buffer({1, 2, 3});
    s.CodesRead = 3;
    s.CodesToRead = 500;
    s.LastCode = 77;

    ASSERT_TRUE(LoadIntoBuffer(s, {10, 20}));
    EXPECT_EQ(s.Codes, (Codes{0, 10, 20}));
    EXPECT_EQ(s.CodesRead, 2);
    EXPECT_EQ(s.CodesToRead, 500);
    EXPECT_EQ(s.LastCode, 77);

    EXPECT_FALSE(LoadIntoBuffer(s, Codes(40000, 1.0)));
    EXPECT_EQ(s.CodesRead, 2);
    EXPECT_EQ(s.Codes.size(), 3u);
}

} // namespace
} // namespace qb::files
