// The headless commands: the analysis of a data file as JSON and images, refusals of bad
// input, and the acquisition on the simulated board with its progress, Ctrl-C stop and safe save.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "analysis/AnalysisRead.h"
#include "analysis/NoiseFigures.h"
#include "support/BoardRig.h"
#include "cli/CliRig.h"
#include "cli/Commands.h"
#include "files/DataFile.h"
#include "platform/base/Numbers.h"

namespace {

using namespace qb;
constexpr auto npos = std::string::npos;

using clitest::Dir;
using clitest::ReadAll;
using Texts = std::vector<std::string>;

// Whether the traffic ends continuous reading: the stop byte 48, then the data-port byte 27.
bool EndsContinuousReading(const Texts& traffic) {
    return traffic.size() >= 2 && Texts(traffic.end() - 2, traffic.end()) == Texts{"C 48", "out 1B"};
}

// The texts the noise window's value labels show for these codes under this mode register value.
std::map<std::string, std::string> WindowTexts(const std::vector<double>& codes, int32_t mode) {
    link::SharedSettings s;
    s.ModeRegValue = mode;
    link::DecodeModeRegister(s);
    EXPECT_TRUE(files::LoadIntoBuffer(s, codes));
    analysis::ComputeNoiseStatistics(s);
    std::map<std::string, std::string> out;
    for (const auto& [name, text] : analysis::ShowNoiseResults(s).Entries())
        out[std::string(name)] = text.value_or(std::string(analysis::kNoiseLabelPlaceholder));
    return out;
}

std::tuple<int, std::string, std::string> Analyse(const std::string& file, bool hex, const char* mode, bool json,
                                                  const std::string& graph = "", const std::string& histogram = "") {
    std::ostringstream out, err;
    const int status = cli::RunAnalyse(
        {.file = file, .hex = hex, .modeHex = mode, .json = json, .graphFile = graph, .histogramFile = histogram}, out, err);
    return {status, out.str(), err.str()};
}

TEST(Analyse, JsonKeysAreTheValueLabelsAndValuesTheWindowsTextsBadInputIsRefusedWithOneLine) {
    const std::tuple<const char*, bool, const char*, std::vector<double>, int32_t, const char*> cases[] = {
        // file (nullptr: none), hex, mode; the codes and mode the window is given, or what err says
        {" 8388608\r\n 8388610\r\n 8388605\r\n", false, "", {8388608, 8388610, 8388605}, 0x21B0, ""},
        {" 10\r\n 12\r\n", false, "1080", {10, 12}, 0x1080, ""}, {"8000\r\n8002\r\n", true, "0x20b0", {32768, 32770}, 0x20B0, ""},
        {nullptr, false, "", {}, 0, "cannot read"}, {" 12\r\nabc\r\n", false, "", {}, 0, "line 2"},
        {"7FFFFD\r\n", false, "", {}, 0, "line 1"}, {" 1\r\n", false, "121B0", {}, 0, "mode"}};
    for (const auto& [content, hex, mode, codes, modeValue, says] : cases) {
        SCOPED_TRACE(std::string(content ? content : "no file") + " " + mode);
        Dir dir;
        const auto [status, out, err] = Analyse(content ? dir.write("codes.dat", content) : dir.file("none.dat"), hex, mode, true);
        if (*says) {
            EXPECT_NE(status, 0);
            EXPECT_EQ(out, "");
            EXPECT_TRUE(err.starts_with("qb4160-eval: ") && err.find(says) != npos && std::count(err.begin(), err.end(), '\n') == 1) << err;
            continue;
        }
        ASSERT_EQ(status, 0) << err;
        EXPECT_EQ(err, "");
        EXPECT_TRUE(out.ends_with("\n") && std::count(out.begin(), out.end(), '\n') == 1) << "one line: " << out;
        std::map<std::string, std::string> json;
        const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(out)).object()["labels"].toObject();
        for (auto it = object.begin(); it != object.end(); ++it) json[it.key().toStdString()] = it->toString().toStdString();
        EXPECT_EQ(json, WindowTexts(codes, modeValue));
    }
}

// The images are PNG or PDF as their names say; a name that says neither, or a place that cannot
// be written, is refused before anything is read or printed.
TEST(Analyse, WritesTheChartsAsTheirNamesSayAndRefusesBadOnesBeforePrinting) {
    Dir dir;
    const std::string file = dir.write("codes.dat", " 8388608\r\n 8388612\r\n 8388610\r\n 8388612\r\n 8388609\r\n");
    ASSERT_EQ(::mkfifo(dir.file("pipe.png").c_str(), 0644), 0);
    const struct { const char *graph, *histogram; int status; const char* says; } cases[] = {
        {"graph.png", "hist.PDF", 0, ""},
        {"graph.pdf", "", 0, ""},
        {"graph.jpg", "", 2, "cannot write the graph to {}graph.jpg: a chart image is a .png or a .pdf file"},
        {"", "hist", 2, "cannot write the histogram to {}hist: a chart image is a .png or a .pdf file"},
        {"graph.png", "no-such-folder/hist.png", 1, "cannot write the histogram to {}no-such-folder/hist.png: the directory {}no-such-folder does not exist"},
        {"pipe.png", "", 1, "cannot write the graph to {}pipe.png: it is not a plain file"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.graph) + " " + c.histogram);
        for (const char* name : {"graph.png", "graph.pdf", "hist.PDF"}) std::remove(dir.file(name).c_str());
        const auto path = [&](const char* name) { return *name ? dir.file(name) : std::string(); };
        const auto [status, out, err] = Analyse(file, false, "", false, path(c.graph), path(c.histogram));
        EXPECT_EQ(status, c.status);
        std::string says = c.says;
        for (std::size_t at; (at = says.find("{}")) != npos;) says.replace(at, 2, dir.path().toStdString() + "/");
        EXPECT_EQ(err, *c.says ? "qb4160-eval: " + says + "\n" : "");
        EXPECT_EQ(out.empty(), c.status != 0) << "printed: " << out;
        for (const char* name : {c.graph, c.histogram}) {
            if (c.status != 0 || !*name) continue;
            const std::string magic = std::string(name).ends_with(".png") ? "\x89PNG" : "%PDF";
            EXPECT_EQ(ReadAll(dir.file(name)).substr(0, magic.size()), magic) << name;
        }
        EXPECT_EQ(dir.entries(), 2 + (c.status == 0 ? (*c.histogram ? 2 : 1) : 0)) << "no file is left over";
    }
}

// An err stream that raises SIGINT, as Ctrl-C on the terminal, once its text holds `when`.
struct CtrlCAt : std::stringbuf {
    std::string when;
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const auto written = std::stringbuf::xsputn(s, n);
        if (!when.empty() && str().find(when) != npos) when.clear(), std::raise(SIGINT);
        return written;
    }
};

// Ctrl-C stops a read and keeps the codes read (in decimal: a blank first); the next read runs to
// its end with its progress, and its file holds the codes read in hex, and nothing else is left.
TEST(Acquire, CtrlCStopsTheReadAndKeepsTheCodesAndTheNextReadRunsToTheEnd) {
    Dir dir;
    test::BoardRig rig;
    rig.fastFilter();
    CtrlCAt buf;
    buf.when = "Read 7 of 500";
    std::ostream err(&buf);
    EXPECT_EQ(cli::RunAcquire({.count = 500, .outFile = dir.file("first.dat"), .progress = true}, rig.ctx, err), 130) << buf.str();
    EXPECT_EQ(rig.settings.CodesRead, 7);
    EXPECT_TRUE(EndsContinuousReading(rig.traffic()));
    EXPECT_NE(buf.str().find("\nqb4160-eval: stopped after 7 of 500 codes; " + dir.file("first.dat") + " holds those 7 codes\n"),
              npos) << buf.str();
    EXPECT_TRUE(std::regex_match(ReadAll(dir.file("first.dat")), std::regex("( \\d+\r\n){7}")));
    std::ostringstream progress;
    EXPECT_EQ(cli::RunAcquire({.count = 5, .outFile = dir.file("second.dat"), .hex = true, .progress = true}, rig.ctx, progress), 0);
    EXPECT_EQ(progress.str(), "\rRead 1 of 5 codes\rRead 2 of 5 codes\rRead 3 of 5 codes\rRead 4 of 5 codes\rRead 5 of 5 codes\n");
    std::string file;
    for (int i = 1; i <= 5; ++i) file += platform::Hex(rig.settings.Codes[i]) + "\r\n";
    EXPECT_EQ(ReadAll(dir.file("second.dat")), file);
    EXPECT_NEAR(rig.settings.Codes[5], 0x900000, 0x100);
    EXPECT_EQ(dir.entries(), 2);  // no temporary file is left
}

// Ctrl-C while the board never signals a result ends the wait within one round of polls, as a
// stop: no error box, continuous reading ended, and an earlier file of that name left alone.
TEST(Acquire, CtrlCEndsAWaitForAResultThatNeverComes) {
    struct CtrlCWhilePolling : test::QuietPollPort {
        using QuietPollPort::QuietPollPort;
        bool raised = false;
        uint8_t InByte(uint16_t address) override {
            const uint8_t v = QuietPollPort::InByte(address);
            if (busyPolls == 1000 && !raised) raised = true, std::raise(SIGINT);
            return v;
        }
    };
    board::SimOptions noReady;
    noReady.fault = board::Fault::NoReady;
    app::SimPort sim(noReady, board::TimeMode::Virtual);
    CtrlCWhilePolling port(sim);
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    link::StartUp(ctx);
    Dir dir;
    dir.write("out.dat", "kept\n");
    std::ostringstream err;
    EXPECT_EQ(cli::RunAcquire({.count = 500, .outFile = dir.file("out.dat")}, ctx, err), 130);
    EXPECT_EQ(err.str(), "qb4160-eval: stopped before the first code came; " + dir.file("out.dat") + " was not written\n");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(port.busyPolls, link::kStopCheckPolls);  // the first question after Ctrl-C
    EXPECT_TRUE(EndsContinuousReading(test::RegisterTraffic(port.log)));
    EXPECT_EQ(ReadAll(dir.file("out.dat")), "kept\n");
}

TEST(Acquire, BadInputOrAFailedReadWritesNothing) {
    board::SimOptions noReady;
    noReady.fault = board::Fault::NoReady;
    const std::tuple<board::SimOptions, int32_t, int, const char*, int, const char*, const char*> cases[] = {
        // board, mode written (0: none), count, output file, status, what err says (refused), what the box says
        {{}, 0, 4, "out.dat", 2, "5 to 5000", ""}, {{}, 0, 5001, "out.dat", 2, "5 to 5000", ""}, {{}, 0, 500, "", 2, "--out", ""},
        {{}, 0, 500, "no/such/out.dat", 1, "does not exist", ""},
        {{}, 0, 500, "pipe", 1, "it is not a plain file", ""},  // refused before the read, not after it
        {{}, 0, 500, "/dev/null", 1, "it is not a plain file", ""},
        {{}, 0x01B0, 500, "out.dat", 1, "", analysis::kNotContinuousMessage},
        {noReady, 0, 500, "out.dat", 1, "", link::kReadErrorMessage}};
    for (const auto& [options, mode, count, name, status, errSays, boxSays] : cases) {
        SCOPED_TRACE(std::string(name) + " " + errSays + boxSays);
        Dir dir;
        ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
        test::BoardRig rig(-1, options);
        if (mode) rig.writeMode(mode);
        const bool earlier = std::string(name) == "out.dat";
        if (earlier) dir.write(name, "kept\n");  // an earlier file is not replaced
        std::ostringstream err;
        const std::string out = !*name ? "" : *name == '/' ? name : dir.file(name);
        EXPECT_EQ(cli::RunAcquire({.count = count, .outFile = out}, rig.ctx, err), status);
        const std::string text = err.str();
        EXPECT_TRUE(!*errSays || (text.find(errSays) != npos && std::count(text.begin(), text.end(), '\n') == 1)) << text;
        EXPECT_EQ(rig.messages.texts(), std::vector<std::string>(*boxSays ? 1 : 0, boxSays));
        EXPECT_EQ(ReadAll(dir.file("out.dat")), earlier ? "kept\n" : "");
        EXPECT_EQ(dir.entries(), earlier ? 2 : 1);
        const Texts traffic = rig.traffic();
        const bool read = std::find(traffic.begin(), traffic.end(), "C 33") != traffic.end();
        EXPECT_TRUE(*errSays ? traffic.empty() : read == !mode);  // a read in continuous mode only
        EXPECT_TRUE(*errSays || mode || EndsContinuousReading(traffic));
    }
}

} // namespace
