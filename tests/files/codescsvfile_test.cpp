// The program's CSV files of codes read back: what the writer writes comes back whole (codes,
// conditions, time of capture), also with other columns around the codes; a file that is not one
// is refused naming its line or the header field.
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/CodesCsv.h"
#include "files/CodesCsvFile.h"
#include "files/DataFile.h"
#include "link/SharedSettings.h"
#include "support/Why.h"

namespace qb::filestest {
namespace {

using test::Why;

const link::Conditions kTaken{0x2190, 0x400010, 4915200, 0x21, 0x7FF000, 0x555555, "simulated board (virtual time)"};

TEST(CodesCsvFile, WhatTheWriterWritesComesBackWhole) {
    using namespace std::chrono;
    const analysis::CaptureTime at = system_clock::time_point(seconds(1714566896));
    const std::vector<double> codes{8388608, 0, 16777215};
    for (const analysis::CaptureTime time : {at, analysis::CaptureTime{}}) {
        const std::string csv = analysis::CodesCsv(codes, kTaken, time);
        EXPECT_TRUE(files::StartsAsCodesCsv(csv));
        // Piece by piece as a file is read, cut in the middle of a line.
        files::CodesCsvParser parser;
        parser.Feed(std::string_view(csv).substr(0, 101));
        parser.Feed(std::string_view(csv).substr(101));
        const auto back = parser.Finish();
        ASSERT_EQ(Why(back), "");
        EXPECT_EQ(std::tie(back->codes, back->conditions, back->capturedAt), std::tie(codes, kTaken, time));
        // Into the code buffer with its conditions, which the next data file's codes do not have.
        link::SharedSettings s;
        ASSERT_TRUE(files::LoadIntoBuffer(s, *back));
        EXPECT_EQ(std::tie(s.CodesRead, s.CodesConditions, s.CodesCapturedAt), std::tuple(int16_t(3), std::optional(kTaken), time));
        ASSERT_TRUE(files::LoadIntoBuffer(s, codes));
        EXPECT_FALSE(s.CodesConditions || s.CodesCapturedAt);
    }
}

TEST(CodesCsvFile, TheCodeColumnWhereverItIsAndWhatIsWrongWithAFile) {
    const link::Conditions sparse{0x21B0, 0x800010, 4915200, {}, {}, {}, {}};  // written "unknown"
    const std::string header = analysis::CodesCsvHeader(sparse, {});
    const std::size_t lines = 1 + std::size_t(std::count(header.begin(), header.end(), '\n'));  // the column line's
    std::string badGain = header;
    badGain.replace(badGain.find("gain_register: unknown") + 15, 7, "x");
    const auto crlf = [](std::string text) {
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.insert(at, "\r");
        return text;
    };
    const auto at = [&](std::size_t line) { return "line " + std::to_string(line) + ": "; };
    const struct {
        std::string content;
        std::vector<double> codes;
        std::string why;
    } cases[] = {
        {crlf(header + "index,time_s,code,volts\n1,0.01,8388608,0\n# a note among the rows\n\n2,0.02, 12 ,0\n"), {8388608, 12}, ""},
        {crlf(header + "code\n5\n"), {5}, ""},
        {header + "code\n7", {7}, ""},
        {"# QB4160 data\nindex,code\n1,5\n", {}, at(1) + "not a CSV file of codes (its first line is not \"# QB4160 codes\")"},
        {header + "index,value\n1,5\n", {}, at(lines) + "no column is named \"code\""},
        {header + "index,code\n1,5\n2\n", {}, at(lines + 2) + "no code: the row ends before column 2"},
        {header + "index,code\n1,5\n2,x5\n", {}, at(lines + 2) + "the code \"x5\" is not a number"},
        {header + "index,code\n" + std::string(5000, '1') + "\n", {}, at(lines + 1) + "longer than 4096 characters"},
        {header + "index,code\n", {}, "there are no codes after the column line"},
        {header, {}, "no line names the columns"},
        {"# QB4160 codes\n# filter_register: 800010\n# master_clock_hz: 4915200\ncode\n1\n", {}, "the header does not give mode_register"},
        {"# QB4160 codes\n# mode_register: 21B0\n# filter_register: 800010\ncode\n1\n", {}, "the header does not give master_clock_hz"},
        {"# QB4160 codes\n# mode_register: 21B0\n# filter_register: 800010\n# master_clock_hz: 4.9 MHz\ncode\n1\n", {},
         "master_clock_hz \"4.9 MHz\" is not a clock in hertz"},
        {badGain + "code\n1\n", {}, "gain_register \"x\" is not 1 to 6 hexadecimal digits"},
        {header + "code\n1\x1b[2J\r\r\n", {}, at(lines + 1) + R"(the code "1\x1b[2J\r" is not a number)"},
    };
    files::CodesCsvParser pieces;  // a line too long however it comes
    for (int i = 0; i < 3; ++i) pieces.Feed(std::string(2000, '1'));
    EXPECT_EQ(Why(pieces.Finish()), "line 1: longer than 4096 characters");
    for (const auto& c : cases) {
        const auto got = files::ParseCodesCsv(c.content);
        EXPECT_EQ(Why(got), c.why) << c.content;
        if (got.ok()) {
            EXPECT_EQ(std::tie(got->codes, got->conditions), std::tie(c.codes, sparse));
        }
    }
}

// The time of capture as the writer writes it, and only within what the clock can hold.
TEST(CodesCsvFile, TheTimeOfCaptureIsKnownWhenWrittenAsTheWriterWritesIt) {
    const std::pair<const char*, std::optional<int64_t>> cases[] = {  // captured, seconds from 1970
        {"2024-05-01T12:34:56Z", 1714566896}, {"2262-04-11T23:47:16Z", 9223372036}, {"2262-04-11T23:47:17Z", {}},
        {"1677-09-21T00:12:43Z", {}},         {"2024-05-01 12:34:56Z", {}},         {"2024-05-01T12:34:56", {}}};
    for (const auto& [captured, when] : cases) {
        const auto got = files::ParseCodesCsv(std::string("# QB4160 codes\n# captured: ") + captured +
                                              "\n# mode_register: 21B0\n# filter_register: 800010\n# master_clock_hz: 1\ncode\n1\n");
        ASSERT_EQ(Why(got), "");
        EXPECT_EQ(got->capturedAt, when ? std::optional(std::chrono::system_clock::from_time_t(*when)) : std::nullopt) << captured;
    }
}

} // namespace
} // namespace qb::filestest
