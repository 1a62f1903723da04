// The program's CSV files of codes read back: what the writer writes comes back whole (codes,
// conditions, time of capture), at any length and with other columns around the codes; a file
// that is not one is refused naming its line or the header field.
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

TEST(CodesCsvFile, WhatTheWriterWritesComesBackWholeAtAnyLength) {
    using namespace std::chrono;
    const analysis::CaptureTime at = system_clock::time_point(seconds(1714566896));
    std::vector<double> many(12000);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = 8388608.0 + double(i % 97);
    for (const auto& [codes, time] : {std::pair{std::vector<double>{8388608, 0, 16777215}, at}, std::pair{many, analysis::CaptureTime{}}}) {
        const std::string csv = analysis::CodesCsv(codes, kTaken, time);
        EXPECT_TRUE(files::StartsAsCodesCsv(csv));
        // Piece by piece as a file is read, cut in the middle of a line.
        files::CodesCsvParser parser;
        parser.Feed(std::string_view(csv).substr(0, 101));
        parser.Feed(std::string_view(csv).substr(101));
        const auto back = parser.Finish();
        ASSERT_EQ(Why(back), "");
        EXPECT_EQ(back->codes, codes);
        EXPECT_EQ(back->conditions, kTaken);
        EXPECT_EQ(back->capturedAt, time);
        // Into the code buffer with its conditions, which the next data file's codes do not have.
        link::SharedSettings s;
        ASSERT_TRUE(files::LoadIntoBuffer(s, *back));
        EXPECT_EQ(std::make_tuple(s.CodesRead, s.CodesConditions, s.CodesCapturedAt), std::make_tuple(int16_t(codes.size()), std::optional(kTaken), time));
        ASSERT_TRUE(files::LoadIntoBuffer(s, codes));
        EXPECT_FALSE(s.CodesConditions || s.CodesCapturedAt);
    }
}

TEST(CodesCsvFile, TheCodeColumnWhereverItIsAndWhatIsWrongWithAFile) {
    const std::string header = analysis::CodesCsvHeader({0x21B0, 0x800010, 4915200, {}, {}, {}, {}}, {});
    const std::size_t lines = 1 + std::size_t(std::count(header.begin(), header.end(), '\n'));  // the column line's
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
    };
    for (const auto& c : cases) {
        const auto got = files::ParseCodesCsv(c.content);
        EXPECT_EQ(Why(got), c.why) << c.content;
        if (got.ok()) {
            EXPECT_EQ(got->codes, c.codes);
        }
    }
}

} // namespace
} // namespace qb::filestest
