// Long logging: the CSV stream (header, columns, times in whole conversion periods on virtual
// time, the count or the duration), and the real program killed or stopped mid-log (every code up
// to the last second in whole lines; Ctrl-C: status 130, every code read and how many).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "analysis/CodesCsv.h"
#include "analysis/ResolutionFigures.h"
#include "cli/Commands.h"
#include "cli/LogCommand.h"
#include "files/CodesCsvFile.h"
#include "link/Conditions.h"
#include "platform/base/Text.h"
#include "support/BoardRig.h"

namespace {

using namespace qb;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The rows after the column line, each checked against its index, the time of whole periods
// and the volts of its code; the number of rows, or -1 at the first row that breaks the layout.
int64_t CheckRows(const std::string& text, double periodSeconds, const analysis::DataFormat& format) {
    const std::size_t columns = text.find(std::string("\n") + cli::kLogColumns + "\n");
    if (columns == std::string::npos || !text.ends_with('\n')) return -1;
    std::istringstream rows(text.substr(columns + 2 + std::string(cli::kLogColumns).size()));
    static const std::regex row(R"((\d+),([0-9.e-]+),(\d+),(.+))");
    int64_t n = 0;
    for (std::string line; std::getline(rows, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, row) || std::stoll(m[1]) != ++n) return -1;
        if (periodSeconds > 0 && m[2] != platform::ShortestText(std::round((n - 1) * periodSeconds * 1e9) / 1e9)) return -1;
        if (m[4] != platform::ShortestText(analysis::CodeVolts(std::stod(m[3]), format))) return -1;
    }
    return n;
}

TEST(Log, RowsComeInWholePeriodsOfTheConditionsInTheHeaderUpToTheCountOrDuration) {
    // filter, count, duration, period, rows
    const std::tuple<int32_t, std::optional<int64_t>, std::optional<double>, double, int64_t> cases[] = {
        {0x800010, 5, {}, 0.02, 5}, {0x800010, {}, 0.1, 0.02, 5}, {0x800010, {}, 0.09, 0.02, 5},
        {0x400010, {}, 0.5, 0.01, 50}, {0x040010, 3, {}, 0.000625, 3}};
    for (const auto& [filter, count, seconds, period, rows] : cases) {
        QTemporaryDir dir;
        const std::string file = dir.filePath("log.csv").toStdString(), allan = dir.filePath("allan.csv").toStdString();
        test::BoardRig rig;
        cli::LogRequest request{.csvFile = file, .count = count, .durationSeconds = seconds};
        request.setUp[link::SetUpRegister::Filter] = filter;
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunLog(request, rig.ctx, err), 0) << err.str();
        const auto read = files::ReadCodesCsvFile(file);
        ASSERT_TRUE(read.ok() && err.str().empty()) << err.str();
        EXPECT_EQ(read->conditions, link::ReadConditions(rig.ctx));
        EXPECT_EQ(read->conditions.filter, filter);
        EXPECT_EQ(CheckRows(ReadAll(file), period, analysis::DataFormatOfMode(read->conditions.mode)), rows) << filter;

        // Its Allan deviation: one row per octave up to half the log, from one period.
        ASSERT_EQ(cli::RunAnalyse({.file = file, .allanFile = allan}, out, err), 0) << err.str();
        const std::string text = ReadAll(allan);
        const std::size_t header = text.find("\ntau_s,adev_v,terms\n" + platform::ShortestText(period) + ",");
        EXPECT_NE(header, std::string::npos) << text;
        EXPECT_EQ(std::count(text.begin() + long(header) + 1, text.end(), '\n'), 1 + std::ilogb(double(rows))) << text;
    }
}

// Codes more than a code buffer holds are analysed whole, their spectrum picture too.
TEST(Log, ALongLogIsAnalysedWholeWithItsSpectrumPicture) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("log.csv").toStdString(), png = dir.filePath("s.png").toStdString();
    std::vector<double> codes(40000);
    for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = 9437184 + double(i * 7 % 11);
    std::ofstream(file) << analysis::CodesCsv(codes, {0x21B0, 0x800010, 4915200, {}, {}, {}, {}}, std::nullopt);
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunAnalyse({.file = file, .spectrumFile = png}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("Codes Read           40000\n"), std::string::npos) << out.str();
    EXPECT_EQ(ReadAll(png).substr(0, 4), "\x89PNG");
}

#ifdef QB_PROGRAM
// The program logging at 100 Hz on wall-clock time, its progress on a pipe, signalled once that
// says 120 codes (over a second): SIGKILL loses at most a second, Ctrl-C nothing.
TEST(Log, AKilledLogHoldsEveryCodeUpToTheLastSecondInWholeLinesAndCtrlCKeepsThemAll) {
    for (const int signal : {SIGKILL, SIGINT}) {
        QTemporaryDir dir;
        const std::string file = dir.filePath("log.csv").toStdString(), csv = "--csv=" + file;
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(fds[1], STDERR_FILENO);
            execl(QB_PROGRAM, QB_PROGRAM, "--log", csv.c_str(), "--filter=400010", "--sim-time=wall", "--progress", nullptr);
            _exit(127);
        }
        close(fds[1]);
        std::string err;
        int64_t shown = 0;
        std::smatch m;
        for (char c; shown < 120 && read(fds[0], &c, 1) == 1;)
            if ((err += c).ends_with(" s") && std::regex_search(err, m, std::regex(R"(Logged (\d+) codes in [^\r]*$)")))
                shown = std::stoll(m[1]);
        kill(child, signal);
        for (char c; read(fds[0], &c, 1) == 1;) err += c;
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        const int64_t rows = CheckRows(ReadAll(file), 0, analysis::DataFormatOfMode(0x21B0));
        ASSERT_GE(shown, 120) << err;
        EXPECT_GE(rows, signal == SIGKILL ? shown - 100 : shown);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), signal == SIGKILL ? -SIGKILL : 130);
        if (signal == SIGINT) {
            EXPECT_TRUE(err.ends_with("\nqb4160-eval: stopped by Ctrl-C after " + std::to_string(rows) + " codes; " + file +
                                      " holds all " + std::to_string(rows) + "\n")) << err;
        }
    }
}
#endif

} // namespace
