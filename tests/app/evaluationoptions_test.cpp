// The evaluator's options: --filter and --spectrum with --analyse, --csv with either command
// (--acquire then needs no --out), --no-settings; and L choosing the clock of a spectrum.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include "app/Entry.h"
#include "app/Options.h"
#include "support/Why.h"

namespace {

using namespace qb::app;
using qb::test::Why;

TEST(EvaluationOptions, TakenWithTheirCommandRefusedWithout) {
    const auto a = ParseOptions({"qb", "--analyse", "a.dat", "--filter=96000", "--spectrum=s.csv", "--csv=c.csv", "L"});
    ASSERT_EQ(Why(a), "");
    EXPECT_EQ(std::vector<std::string>({a->filterHex, a->spectrumFile, a->csvFile, a->commandLine}),
              std::vector<std::string>({"96000", "s.csv", "c.csv", "L"}));
    const auto b = ParseOptions({"qb", "--acquire", "500", "--csv=c.csv"});
    ASSERT_EQ(Why(b), "");
    EXPECT_TRUE(b->command == Command::Acquire && b->csvFile == "c.csv");
    const auto c = ParseOptions({"qb", "--no-settings", "L"});
    ASSERT_EQ(Why(c), "");
    EXPECT_TRUE(c->command == Command::Gui && c->noSettings);
    EXPECT_FALSE(ParseOptions({"qb", "L"})->noSettings);

    const QStringList bad[] = {{"--filter=800010"}, {"--spectrum=s.csv"}, {"--csv=c.csv"},
                               {"--acquire", "500", "--filter=1", "--out", "a"}, {"--acquire", "500", "--hex"}};
    for (const QStringList& words : bad) {
        const auto r = ParseOptions(QStringList{"qb"} + words);
        EXPECT_TRUE(!Why(r).empty() && Why(r).find('\n') == std::string::npos) << words.join(' ').toStdString();
    }
}

TEST(EvaluationOptions, TheWordLSlowsTheClockOfTheSpectrum) {
    QTemporaryDir dir;
    const std::string data = dir.filePath("a.dat").toStdString(), spectrum = dir.filePath("s.csv").toStdString();
    std::ofstream(data) << " 1\r\n 5\r\n 2\r\n 7\r\n";
    for (const auto& [word, rate] : {std::pair{"L", "25"}, std::pair{"", "50"}}) {
        std::vector<std::string> words{"qb4160-eval", "--analyse", data, "--spectrum=" + spectrum};
        if (*word) words.push_back(word);
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        std::ostringstream out, err;
        ASSERT_EQ(RunProgram(int(argv.size()), argv.data(), out, err, false), 0) << err.str();
        std::ifstream in(spectrum);
        const std::string csv{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(csv.find("# sample_rate_hz: " + std::string(rate) + "\n"), std::string::npos) << csv;
    }
}

} // namespace
