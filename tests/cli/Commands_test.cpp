// The headless commands: the analysis of a data file as text and JSON, refusals of bad input,
// and the acquisition on the simulated board with its progress, Ctrl-C stop and safe save.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <QJsonDocument>
#include <QJsonObject>

#include "analysis/AnalysisRead.h"
#include "analysis/NoiseFigures.h"
#include "analysis/NoiseForm.h"
#include "analysis/ReadRig.h"
#include "cli/Commands.h"
#include "files/DataFile.h"
#include "link/Startup.h"
#include "platform/Numbers.h"

namespace {

using namespace qb;
using namespace qb::readtest;
namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("h7_cli_") + info->test_suite_name() + "_" + info->name();
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        path_ = fs::temp_directory_path() / name;
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
        return file(name);
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename().string());
        return out;
    }

private:
    fs::path path_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The label texts the noise window shows for these codes under this mode register value.
std::vector<std::pair<std::string, std::string>> WindowTexts(const std::vector<double>& codes, int32_t mode) {
    link::SharedSettings s;
    s.ModeRegValue = mode;
    link::DecodeModeRegister(s);
    EXPECT_TRUE(files::LoadIntoBuffer(s, codes));
    analysis::ComputeNoiseStatistics(s);
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [name, text] : analysis::ShowNoiseResults(s).Entries())
        out.emplace_back(std::string(name), text ? *text : std::string(analysis::kNoiseLabelPlaceholder));
    return out;
}

int Analyse(const cli::AnalyseRequest& request, std::string& out, std::string& err) {
    std::ostringstream o, e;
    const int status = cli::RunAnalyse(request, o, e);
    out = o.str();
    err = e.str();
    return status;
}

// ---- --analyse ----------------------------------------------------------------------------------

struct JsonCase {
    const char* what;
    const char* content;
    bool hex;
    const char* mode;  // "" for the default
    std::vector<double> codes;
    int32_t modeValue;
};
void PrintTo(const JsonCase& c, std::ostream* os) { *os << c.what; }

class AnalyseJson : public ::testing::TestWithParam<JsonCase> {};

TEST_P(AnalyseJson, KeysAreTheValueLabelsAndValuesTheWindowsTexts) {
    const JsonCase& c = GetParam();
    TempDir dir;
    cli::AnalyseRequest request;
    request.file = dir.write("codes.dat", c.content);
    request.hex = c.hex;
    request.modeHex = c.mode;
    request.json = true;
    std::string out, err;
    ASSERT_EQ(Analyse(request, out, err), 0) << c.what << ": " << err;
    EXPECT_EQ(err, "");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "one line of JSON";

    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &parseError);
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();
    ASSERT_TRUE(doc.isObject());
    const QJsonObject object = doc.object();
    const auto expected = WindowTexts(c.codes, c.modeValue);
    EXPECT_EQ(object.size(), qsizetype(expected.size()));
    for (const auto& [name, text] : expected) {
        ASSERT_TRUE(object.contains(QString::fromStdString(name))) << name;
        EXPECT_EQ(object.value(QString::fromStdString(name)).toString().toStdString(), text) << c.what << ": " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnalyseJson,
    ::testing::Values(
        JsonCase{"decimal, default mode", " 8388608\r\n 8388610\r\n 8388605\r\n", false, "",
                 {8388608, 8388610, 8388605}, 0x21B0},
        JsonCase{"hex, default mode", "800000\r\n800002\r\n7FFFFD\r\n", true, "", {8388608, 8388610, 8388605}, 0x21B0},
        JsonCase{"unipolar 16-bit", " 10\r\n 12\r\n", false, "1080", {10, 12}, 0x1080},
        JsonCase{"bipolar 16-bit, lower case with 0x", "8000\r\n8002\r\n", true, "0x20b0", {32768, 32770}, 0x20B0},
        JsonCase{"one code", " 5\r\n", false, "31B2", {5}, 0x31B2},
        JsonCase{"lines after the first empty one are ignored", " 1\r\n 3\r\n\r\nrubbish\r\n", false, "",
                 {1, 3}, 0x21B0}));

TEST(Analyse, WritesTheGraphAndTheHistogramAsPngImagesAndReportsAnUnwritableOne) {
    TempDir dir;
    cli::AnalyseRequest request;
    request.file = dir.write("codes.dat", " 8388608\r\n 8388612\r\n 8388610\r\n 8388612\r\n 8388609\r\n");
    request.graphFile = dir.file("graph.png");
    request.histogramFile = dir.file("hist.png");
    std::string out, err;
    ASSERT_EQ(Analyse(request, out, err), 0) << err;
    for (const auto& png : {request.graphFile, request.histogramFile})
        EXPECT_EQ(ReadAll(png).substr(0, 4), "\x89PNG") << png;

    request.graphFile = dir.file("no-such-folder/graph.png");
    request.histogramFile.clear();
    EXPECT_EQ(Analyse(request, out, err), 1);
    EXPECT_NE(err.find("cannot write the graph"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(Analyse, PlainOutputGroupsCaptionsAndTextsUnderTheFrameCaptions) {
    TempDir dir;
    cli::AnalyseRequest request;
    request.file = dir.write("codes.dat", " 8388608\r\n 8388708\r\n 8388658\r\n");
    request.modeHex = "2130";
    std::string out, err;
    ASSERT_EQ(Analyse(request, out, err), 0) << err;
    EXPECT_EQ(err, "");

    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Noise Analysis");

    // Headings in window order, each followed by its rows: "  <caption><blanks><text>[ Hex]".
    const auto texts = WindowTexts({8388608, 8388708, 8388658}, 0x2130);
    auto textOf = [&](const char* name) {
        for (const auto& [n, t] : texts)
            if (n == name) return t;
        ADD_FAILURE() << name;
        return std::string();
    };
    std::size_t at = 1;
    for (const auto& frame : analysis::NoiseFrames()) {
        while (at < lines.size() && lines[at].empty()) ++at;
        ASSERT_LT(at, lines.size());
        EXPECT_EQ(lines[at++], frame.caption);
        for (const auto& row : frame.rows) {
            ASSERT_LT(at, lines.size());
            const std::string& line = lines[at++];
            const std::string caption = std::string("  ") + row.caption;
            EXPECT_EQ(line.substr(0, caption.size()), caption) << line;
            std::string tail = textOf(row.valueName) + (row.hexName ? " Hex" : "");
            ASSERT_GE(line.size(), tail.size());
            EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
            EXPECT_EQ(line.substr(caption.size(), line.size() - caption.size() - tail.size())
                          .find_first_not_of(' '),
                      std::string::npos)
                << "only blanks between caption and text: " << line;
        }
    }
    EXPECT_EQ(at, lines.size());
    EXPECT_NE(out.find(" 17.36 Bits"), std::string::npos);
}

struct BadAnalyse {
    const char* what;
    const char* content;  // nullptr: no file at all
    bool hex;
    const char* mode;
    const char* errorHas;
};
void PrintTo(const BadAnalyse& c, std::ostream* os) { *os << c.what; }

class AnalyseRefuses : public ::testing::TestWithParam<BadAnalyse> {};

TEST_P(AnalyseRefuses, WithOneLineOnErrAndNothingOnOut) {
    const BadAnalyse& c = GetParam();
    TempDir dir;
    cli::AnalyseRequest request;
    request.file = c.content ? dir.write("codes.dat", c.content) : dir.file("missing.dat");
    request.hex = c.hex;
    request.modeHex = c.mode;
    std::string out, err;
    EXPECT_NE(Analyse(request, out, err), 0) << c.what;
    EXPECT_EQ(out, "") << c.what;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.what << ": " << err;
    EXPECT_EQ(err.rfind("qb4160-eval: ", 0), 0u) << err;
    EXPECT_NE(err.find(c.errorHas), std::string::npos) << c.what << ": " << err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnalyseRefuses,
    ::testing::Values(BadAnalyse{"missing file", nullptr, false, "", "cannot read"},
                      BadAnalyse{"empty file", "", false, "", "empty"},
                      BadAnalyse{"letters in a decimal file", " 12\r\nabc\r\n", false, "", "line 2"},
                      BadAnalyse{"hex codes read as decimal", "7FFFFD\r\n", false, "", "line 1"},
                      BadAnalyse{"hex zero written as 00", "00\r\n", true, "", "line 1"},
                      BadAnalyse{"mode with letters", " 1\r\n", false, "XYZ", "mode"},
                      BadAnalyse{"mode of five digits", " 1\r\n", false, "121B0", "mode"},
                      BadAnalyse{"mode with a blank", " 1\r\n", false, "21 B0", "mode"},
                      BadAnalyse{"mode 0x alone", " 1\r\n", false, "0x", "mode"}));

// ---- --acquire ----------------------------------------------------------------------------------

// A stream that runs a hook on every piece of text written to it (the progress lines).
class WatchedStream : public std::ostream {
public:
    explicit WatchedStream(std::function<void(const std::string&)> hook) : std::ostream(&buf_), buf_(std::move(hook)) {}
    std::string text() const { return buf_.text; }

private:
    struct Buf : std::streambuf {
        explicit Buf(std::function<void(const std::string&)> h) : hook(std::move(h)) {}
        std::function<void(const std::string&)> hook;
        std::string text;
        std::streamsize xsputn(const char* s, std::streamsize n) override {
            text.append(s, std::size_t(n));
            if (hook) hook(text);
            return n;
        }
        int_type overflow(int_type ch) override {
            if (ch != traits_type::eof()) {
                text.push_back(char(ch));
                if (hook) hook(text);
            }
            return ch;
        }
    } buf_;
};

std::vector<std::string> Lines(const std::string& content) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < content.size()) {
        const std::size_t end = content.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(content.substr(at) + "<no line end>");
            break;
        }
        out.push_back(content.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

TEST(Acquire, FiveHundredCodesOnTheSimulatedBoardGoToTheFile) {
    TempDir dir;
    platform::SimPort sim({}, board::TimeMode::Virtual);
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{sim, messages, settings, ""};
    link::StartUp(ctx);

    cli::AcquireRequest request;
    request.count = 500;
    request.outFile = dir.file("out.dat");
    request.hex = true;
    std::ostringstream err;
    EXPECT_EQ(cli::RunAcquire(request, ctx, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(messages.shown.empty());

    const std::vector<std::string> lines = Lines(ReadAll(request.outFile));
    ASSERT_EQ(lines.size(), 500u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const long code = std::stol(lines[i], nullptr, 16);
        EXPECT_NEAR(code, 0x900000, 0x100) << "line " << i + 1 << ": " << lines[i];
        EXPECT_EQ(platform::Hex(settings.Codes[i + 1]), lines[i]);
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.dat"}) << "no temporary file is left";
}

TEST(Acquire, ProgressCountsTheCodesOnErr) {
    TempDir dir;
    Rig rig;
    rig.fastFilter();
    cli::AcquireRequest request;
    request.count = 5;
    request.outFile = dir.file("out.dat");
    request.progress = true;
    std::ostringstream err;
    EXPECT_EQ(cli::RunAcquire(request, rig.ctx, err), 0);
    EXPECT_EQ(err.str(), "\rRead 1 of 5 codes\rRead 2 of 5 codes\rRead 3 of 5 codes\rRead 4 of 5 codes"
                         "\rRead 5 of 5 codes\n");
    const std::vector<std::string> lines = Lines(ReadAll(request.outFile));
    ASSERT_EQ(lines.size(), 5u);
    for (const std::string& line : lines) EXPECT_EQ(line[0], ' ') << "decimal lines start with a blank";
}

// Counts SIGINTs that reach the handler in force outside the acquisition.
volatile std::sig_atomic_t g_outerInterrupts = 0;
extern "C" void CountOuterInterrupt(int) { g_outerInterrupts = g_outerInterrupts + 1; }

TEST(Acquire, CtrlCStopsTheReadKeepsTheCodesAndRestoresTheHandler) {
    TempDir dir;
    Rig rig;
    rig.fastFilter();
    struct sigaction outer {}, before {};
    outer.sa_handler = CountOuterInterrupt;
    sigemptyset(&outer.sa_mask);
    ASSERT_EQ(sigaction(SIGINT, &outer, &before), 0);
    g_outerInterrupts = 0;

    cli::AcquireRequest request;
    request.count = 500;
    request.outFile = dir.file("out.dat");
    request.progress = true;
    bool raised = false;
    WatchedStream err([&](const std::string& text) {
        if (!raised && text.find("Read 7 of 500") != std::string::npos) {
            raised = true;
            std::raise(SIGINT);  // as Ctrl-C on the terminal
        }
    });
    const int status = cli::RunAcquire(request, rig.ctx, err);

    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    sigaction(SIGINT, &before, nullptr);

    EXPECT_EQ(status, 0) << err.text();
    EXPECT_EQ(g_outerInterrupts, 0) << "the acquisition's own handler took the signal";
    EXPECT_EQ(after.sa_handler, &CountOuterInterrupt) << "the earlier handler is back";
    EXPECT_EQ(rig.settings.CodesRead, 7);
    EXPECT_EQ(Lines(ReadAll(request.outFile)).size(), 7u);
    EXPECT_NE(err.text().find("stopped after 7 of 500 codes"), std::string::npos) << err.text();
    EXPECT_TRUE(EndsContinuousReading(rig.port.writesTo(kBase)));
}

TEST(Acquire, ASecondAcquisitionIsNotStoppedByTheFirstOnesCtrlC) {
    TempDir dir;
    Rig rig;
    rig.fastFilter();
    cli::AcquireRequest request;
    request.count = 5;
    request.outFile = dir.file("first.dat");
    bool raised = false;
    request.progress = true;
    WatchedStream err([&](const std::string&) {
        if (!raised) {
            raised = true;
            std::raise(SIGINT);
        }
    });
    ASSERT_EQ(cli::RunAcquire(request, rig.ctx, err), 0);
    ASSERT_EQ(rig.settings.CodesRead, 1);
    request.outFile = dir.file("second.dat");
    std::ostringstream quiet;
    ASSERT_EQ(cli::RunAcquire(request, rig.ctx, quiet), 0);
    EXPECT_EQ(rig.settings.CodesRead, 5);
}

struct BadAcquire {
    const char* what;
    int count;
    const char* outFile;  // relative to the test's directory; "" for none
    const char* errorHas;
};
void PrintTo(const BadAcquire& c, std::ostream* os) { *os << c.what; }

class AcquireRefuses : public ::testing::TestWithParam<BadAcquire> {};

TEST_P(AcquireRefuses, BeforeTouchingTheBoardAndWritesNothing) {
    const BadAcquire& c = GetParam();
    TempDir dir;
    Rig rig;
    cli::AcquireRequest request;
    request.count = c.count;
    request.outFile = *c.outFile ? dir.file(c.outFile) : "";
    std::ostringstream err;
    EXPECT_NE(cli::RunAcquire(request, rig.ctx, err), 0) << c.what;
    const std::string text = err.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find(c.errorHas), std::string::npos) << c.what << ": " << text;
    EXPECT_TRUE(rig.port.log.empty()) << c.what;
    EXPECT_TRUE(dir.entries().empty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, AcquireRefuses,
                         ::testing::Values(BadAcquire{"count 4", 4, "out.dat", "5 to 5000"},
                                           BadAcquire{"count 5001", 5001, "out.dat", "5 to 5000"},
                                           BadAcquire{"negative count", -1, "out.dat", "5 to 5000"},
                                           BadAcquire{"no output file", 500, "", "--out"},
                                           BadAcquire{"missing directory", 500, "no/such/dir/out.dat",
                                                      "does not exist"}));

TEST(Acquire, WithoutContinuousConversionNothingIsReadOrWritten) {
    TempDir dir;
    Rig rig;
    rig.writeMode(0x01B0);
    cli::AcquireRequest request;
    request.outFile = dir.file("out.dat");
    std::ostringstream err;
    EXPECT_EQ(cli::RunAcquire(request, rig.ctx, err), 1);
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{analysis::kNotContinuousMessage});
    EXPECT_FALSE(HoldsSend(rig.port.writesTo(kBase), 33));
    EXPECT_TRUE(dir.entries().empty());
}

TEST(Acquire, NoReadySignalWritesNoFile) {
    TempDir dir;
    board::SimOptions options;
    options.fault = board::Fault::NoReady;
    Rig rig(options);
    std::ofstream(dir.file("out.dat")) << "kept\n";  // an earlier file is not replaced
    cli::AcquireRequest request;
    request.outFile = dir.file("out.dat");
    std::ostringstream err;
    EXPECT_EQ(cli::RunAcquire(request, rig.ctx, err), 1);
    EXPECT_EQ(rig.messages.texts(), std::vector<std::string>{analysis::kReadErrorMessage});
    EXPECT_EQ(ReadAll(request.outFile), "kept\n");
    EXPECT_TRUE(EndsContinuousReading(rig.port.writesTo(kBase)));
}

TEST(ModeRegisterText, OneToFourHexDigits) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {{"21B0", 0x21B0}, {"21b0", 0x21B0}, {"0x21B0", 0x21B0}, {"0X1", 1}, {"FFFF", 0xFFFF},
                 {"0", 0},         {"", std::nullopt}, {"12345", std::nullopt}, {"-1", std::nullopt},
                 {"G", std::nullopt}, {" 21B0", std::nullopt}, {"0x", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(cli::ParseModeRegister(c.text), c.value) << '"' << c.text << '"';
}

} // namespace
