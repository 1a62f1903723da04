// The program from its command line: help, version, refusals with their exit statuses, and the
// window program's checks that come before any window.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/Display.h"
#include "app/Entry.h"
#include "board/SimOptions.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunWith(std::vector<std::string> words) {
    words.insert(words.begin(), "qb4160-eval");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const int status = qb::app::RunProgram(static_cast<int>(words.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

// Sets environment variables for one test and puts the old values back afterwards.
class EnvironmentScope {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvironmentScope() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
            else unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(Entry, HelpShowsTheUsageAndTheSimulatorOptions) {
    const Outcome r = RunWith({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out.starts_with("Usage:\n")) << r.out;
    EXPECT_NE(r.out.find(qb::board::SimOptionsHelp()), std::string::npos);
    EXPECT_EQ(RunWith({"-h"}).out, r.out);
}

TEST(Entry, VersionIsTheProjectVersion) {
    const Outcome r = RunWith({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "qb4160-eval 2.0.5\n");
    EXPECT_EQ(r.err, "");
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> argv;
    std::string err;  // exactly
    int status;
};

class EntryRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(EntryRefuses, WithOneLineAndAStatus) {
    const RefusedCase& c = GetParam();
    EnvironmentScope env;
    env.set("QT_QPA_PLATFORM", "offscreen");  // the display is there: the refusal is the board's
    const Outcome r = RunWith(c.argv);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryRefuses,
    ::testing::Values(
        RefusedCase{"UnknownOption", {"--no-such-option"},
                    "qb4160-eval: Unknown option 'no-such-option'.\nTry 'qb4160-eval --help'.\n", 2},
        RefusedCase{"AcquireTooFew", {"--acquire", "4", "--out", "a.dat"},
                    "qb4160-eval: --acquire takes a number of codes from 5 to 5000, not \"4\"\n"
                    "Try 'qb4160-eval --help'.\n",
                    2},
        RefusedCase{"UnknownBoard", {"--board=bogus"},
                    "qb4160-eval: unknown board \"bogus\"; use sim, ppdev[:DEVICE] or io[:ADDRESS]\n", 2},
        RefusedCase{"BadSimValue", {"--sim-noise=-3", "L"},
                    "qb4160-eval: " +
                        [] {
                            qb::board::SimOptions s;
                            return *qb::board::ApplySimOption(s, "--sim-noise=-3");
                        }() +
                        "\n",
                    2},
        RefusedCase{"AcquireWithUnknownBoard", {"--acquire", "5", "--out", "/nonexistent/a.dat", "--board=x"},
                    "qb4160-eval: unknown board \"x\"; use sim, ppdev[:DEVICE] or io[:ADDRESS]\n", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Entry, WithoutADisplayTheWindowProgramSaysHowToRunIt) {
    EnvironmentScope env;
    env.set("DISPLAY", nullptr);
    env.set("WAYLAND_DISPLAY", nullptr);
    env.set("QT_QPA_PLATFORM", nullptr);
    QTemporaryDir dir;
    const std::string trace = dir.filePath("kept.trace").toStdString();
    { std::ofstream(trace) << "W 0378 0B\n"; }

    const Outcome r = RunWith({"L", "--trace=" + trace});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string(qb::app::kNoDisplayMessage) + "\n");
    EXPECT_EQ(r.out, "");
    // The run never started: an earlier trace of that name is left as it was.
    std::ifstream in(trace);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "W 0378 0B");

    // A wrong board is a wrong command line, display or none.
    EXPECT_EQ(RunWith({"--board=io:1"}).status, 2);
}

} // namespace
