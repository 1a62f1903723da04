#include <gtest/gtest.h>

#include "app/Options.h"

using qb::app::Command;
using qb::app::ParseOptions;

namespace {

QStringList args(std::initializer_list<const char*> words) {
    QStringList out{"qb4160-eval"};
    for (const char* w : words) out << w;
    return out;
}

struct WordsCase {
    std::initializer_list<const char*> argv;
    const char* commandLine;
};

TEST(Options, OwnOptionsAreTakenOutAndTheWordsLeftAreJoinedByOneBlank) {
    const WordsCase cases[] = {
        {{}, ""},
        {{"L"}, "L"},
        {{"l"}, "l"},
        {{"--board=sim", "L"}, "L"},
        {{"L", "/SS"}, "L /SS"},
        {{"/ss", "--trace=t.log", "L"}, "/ss L"},
        {{"--sim-noise=0", "--sim-noref", "x", "y"}, "x y"},
    };
    for (const auto& c : cases) {
        const auto r = ParseOptions(args(c.argv));
        EXPECT_EQ(r.error, "") << c.commandLine;
        EXPECT_EQ(r.options.command, Command::Gui);
        EXPECT_EQ(r.options.commandLine, c.commandLine);
    }
}

TEST(Options, SimulatorOptionsAreKeptAsTypedForTheBoard) {
    const auto r = ParseOptions(args({"--sim-ain1=12.5", "--sim-noref", "--sim-fault=absent"}));
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.simOptions,
              (std::vector<std::string>{"--sim-ain1=12.5", "--sim-fault=absent", "--sim-noref"}));
}

TEST(Options, HeadlessCommands) {
    auto r = ParseOptions(args({"--acquire", "500", "--out", "a.dat", "--hex"}));
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.command, Command::Acquire);
    EXPECT_EQ(r.options.acquireCount, 500);
    EXPECT_EQ(r.options.outFile, "a.dat");
    EXPECT_TRUE(r.options.hex);

    r = ParseOptions(args({"--analyse", "a.dat", "--json", "--mode=31B0"}));
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.command, Command::Analyse);
    EXPECT_EQ(r.options.analyseFile, "a.dat");
    EXPECT_TRUE(r.options.json);
    EXPECT_EQ(r.options.modeHex, "31B0");
}

TEST(Options, BadCommandLinesAreRefusedWithOneLine) {
    const std::initializer_list<const char*> bad[] = {
        {"--no-such-option"},
        {"--sim-unknown=3"},
        {"--acquire", "4", "--out", "a.dat"},
        {"--acquire", "5001", "--out", "a.dat"},
        {"--acquire", "abc", "--out", "a.dat"},
        {"--acquire", "500"},
        {"--analyse", "a.dat", "--acquire", "500", "--out", "b"},
        {"--json"},
        {"--hex"},
        {"--board"},
    };
    for (const auto& argv : bad) {
        const auto r = ParseOptions(args(argv));
        EXPECT_NE(r.error, "") << *argv.begin();
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

} // namespace
