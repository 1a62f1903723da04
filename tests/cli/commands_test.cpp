// The headless commands: the analysis of a data file as JSON (the window's texts and the figures as
// numbers, null where there are none), as plain text and as images, the noise spectrum at the
// sample rate of the filter register and master clock, the codes as CSV, refusals of bad input;
// the acquisition on the simulated board with its progress, Ctrl-C stop and safe save; the
// conditions of a measurement: the registers --acquire writes before it reads (from its options
// and a set-up file), --save-setup, and --analyse of the program's CSV in the conditions of its
// header, whole at any length.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "analysis/AnalysisRead.h"
#include "analysis/CodesCsv.h"
#include "analysis/NoiseFigures.h"
#include "analysis/ResolutionFigures.h"
#include "app/Entry.h"
#include "cli/Commands.h"
#include "files/DataFile.h"
#include "platform/base/Numbers.h"
#include "support/BoardRig.h"

namespace {

using namespace qb;
constexpr auto npos = std::string::npos;
using Texts = std::vector<std::string>;

// A scratch folder with files written into it and read back.
struct Dir : QTemporaryDir {
    std::string file(const char* name) const { return filePath(name).toStdString(); }
    std::string write(const char* name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
        return file(name);
    }
    qsizetype entries() const { return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(); }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
struct Outcome {
    int status;
    std::string out, err;
};
Outcome Analyse(cli::AnalyseRequest request) {
    std::ostringstream out, err;
    const int status = cli::RunAnalyse(request, out, err);
    return {status, out.str(), err.str()};
}

// The whole program run with these words after its name.
Outcome Program(std::vector<std::string> words) {
    words.insert(words.begin(), "qb4160-eval");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    std::ostringstream out, err;
    const int status = app::RunProgram(int(words.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

// The register options of a command line: --mode and --filter where not empty.
cli::RegisterOptions Given(const char* mode, const char* filter = "") {
    cli::RegisterOptions given;
    if (*mode) given[link::SetUpRegister::Mode] = mode;
    if (*filter) given[link::SetUpRegister::Filter] = filter;
    return given;
}

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
        const auto [status, out, err] = Analyse({.file = content ? dir.write("codes.dat", content) : dir.file("none.dat"), .hex = hex, .registers = Given(mode), .json = true});
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
    const struct { const char *graph, *histogram; int status; const char* says; } cases[] = {
        {"graph.png", "hist.PDF", 0, ""},
        {"graph.pdf", "", 0, ""},
        {"", "hist", 2, "cannot write the histogram to {}hist: a chart image is a .png or a .pdf file"},
        {"graph.png", "no-such-folder/hist.png", 1, "cannot write the histogram to {}no-such-folder/hist.png: the directory {}no-such-folder does not exist"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.graph) + " " + c.histogram);
        for (const char* name : {"graph.png", "graph.pdf", "hist.PDF"}) std::remove(dir.file(name).c_str());
        const auto path = [&](const char* name) { return *name ? dir.file(name) : std::string(); };
        const auto [status, out, err] = Analyse({.file = file, .graphFile = path(c.graph), .histogramFile = path(c.histogram)});
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
        EXPECT_EQ(dir.entries(), 1 + (c.status == 0 ? (*c.histogram ? 2 : 1) : 0)) << "no file is left over";
    }
}

// An err stream that raises each signal, as Ctrl-C on the terminal or a kill would, once its
// text holds the signal's text.
struct SignalAt : std::stringbuf {
    std::vector<std::pair<std::string, int>> at;
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const auto written = std::stringbuf::xsputn(s, n);
        for (auto& [when, signal] : at)
            if (!when.empty() && str().find(when) != npos) when.clear(), std::raise(signal);
        return written;
    }
};

// Ctrl-C, SIGTERM or SIGHUP stops a read and keeps the codes read (in decimal: a blank first),
// with 128 + the signal as status; a second signal once the read has stopped does not lose them.
// The next read runs to its end with its progress, its file holds the codes read in hex, and
// nothing else is left.
TEST(Acquire, ASignalStopsTheReadAndKeepsTheCodesAndTheNextReadRunsToTheEnd) {
    Dir dir;
    test::BoardRig rig;
    rig.fastFilter();
    for (const auto& [signal, second, status] : {std::tuple{SIGINT, 0, 130}, {SIGTERM, SIGINT, 143}, {SIGHUP, SIGTERM, 129}}) {
        SignalAt buf;
        buf.at = {{"Read 7 of 500", signal}, {second ? "codes\n" : "", second}};
        std::ostream err(&buf);
        EXPECT_EQ(cli::RunAcquire({.count = 500, .outFile = dir.file("first.dat"), .progress = true}, rig.ctx, err), status) << buf.str();
        EXPECT_EQ(rig.settings.CodesRead, 7);
        EXPECT_TRUE(EndsContinuousReading(rig.traffic()));
        EXPECT_NE(buf.str().find("\nqb4160-eval: stopped after 7 of 500 codes; " + dir.file("first.dat") + " holds those 7 codes\n"),
                  npos) << buf.str();
        EXPECT_TRUE(std::regex_match(ReadAll(dir.file("first.dat")), std::regex("( \\d+\r\n){7}")));
    }
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
    test::BoardRig rig(-1, test::Fault(board::Fault::NoReady));
    rig.port.onBusyPoll = [&rig] {
        if (rig.port.busyPolls == 1000) std::raise(SIGINT);
    };
    Dir dir;
    dir.write("out.dat", "kept\n");
    std::ostringstream err;
    EXPECT_EQ(cli::RunAcquire({.count = 500, .outFile = dir.file("out.dat")}, rig.ctx, err), 130);
    EXPECT_EQ(err.str(), "qb4160-eval: stopped before the first code came; " + dir.file("out.dat") + " was not written\n");
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.port.busyPolls, link::kStopCheckPolls);  // the first question after Ctrl-C
    EXPECT_TRUE(EndsContinuousReading(rig.traffic()));
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

// ---- what the commands give an evaluator ------------------------------------------------------

// Unipolar 24-bit codes 10 and 12 in a 10 mV range: noise of two codes; no spread: noise 0 but no
// resolution. The sample rate is that of the power-on filter register.
TEST(AnalyseFigures, JsonHoldsNumbersInBaseUnitsAndNullWhereThereIsNonePlainTextEndsWithThem) {
    Dir dir;
    for (const auto& [codes, rms] : {std::pair{" 10\r\n 12\r\n", std::sqrt(2.0)}, std::pair{" 10\r\n 10\r\n", 0.0}}) {
        const Outcome r = Analyse({.file = dir.write("c.dat", codes), .registers = Given("1180"), .json = true});
        ASSERT_EQ(r.status, 0) << r.err;
        const QJsonObject all = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        EXPECT_EQ(all.keys(), (QStringList{"figures", "labels"}));
        const QJsonObject figures = all["figures"].toObject();
        EXPECT_EQ(figures.size(), static_cast<qsizetype>(analysis::ResolutionFigures{}.Entries().size()));
        EXPECT_EQ(std::vector<double>({figures["rms_noise_lsb"].toDouble(-1), figures["sample_rate_hz"].toDouble(),
                                       figures["lsb_v"].toDouble(), figures["effective_resolution_bits"].toDouble(-1)}),
                  std::vector<double>({rms, 50.0, 0.010 / 16777216, rms > 0 ? 23.5 : -1}));
        if (rms == 0) continue;
        // As plain text (the default) the figures come last, as the figures window shows them.
        const Outcome plain = Analyse({.file = dir.file("c.dat"), .registers = Given("1180")});
        EXPECT_NE(plain.out.find("\nNoise and Resolution\n  Codes read "), npos) << plain.out;
        EXPECT_NE(plain.out.find("  Effective resolution               23.50 bits\n"), npos) << plain.out;
        EXPECT_TRUE(plain.out.ends_with("  Noise-free resolution (6.6 x RMS)  20.78 bits\n")) << plain.out;
    }
}

TEST(AnalyseSpectrum, AtTheRateOfTheFilterRegisterAndClockOrOneLineSayingWhyNot) {
    Dir dir;
    std::string codes;
    for (int i = 0; i < 64; ++i) codes += " " + std::to_string(8388608 + (i % 4) * 3) + "\r\n";
    const std::string data = dir.write("c.dat", codes);
    const struct { const char* filter; int32_t clock; const char* name; int status; const char* says; } cases[] = {
        {"", 4915200, "s.csv", 0, "# sample_rate_hz: 50\n"},          // power-on: word 2048, chopping
        {"", 2457600, "s.CSV", 0, "# sample_rate_hz: 25\n"},          // L: the slow clock
        {"0x096000", 4915200, "s.csv", 0, "# sample_rate_hz: 2048\n"},
        {"", 4915200, "s.png", 0, "\x89PNG"},                         // a picture of the chart
        {"000010", 4915200, "s.pdf", 1, "no spectrum: filter word 0"},
        {"", 4915200, "s.txt", 2, "a spectrum is a .csv, .png or .pdf file"},
        {"1000000", 4915200, "s.csv", 2, "--filter=1000000: is not 1 to 6 hexadecimal digits"},
        {"80001G", 4915200, "s.csv", 2, "--filter=80001G: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.filter) + " " + c.name);
        const std::string file = dir.file(c.name);
        std::remove(file.c_str());
        const Outcome r = Analyse({.file = data, .registers = Given("", c.filter), .masterClockHz = c.clock, .spectrumFile = file});
        EXPECT_EQ(r.status, c.status);
        if (c.status == 0) {
            EXPECT_NE(ReadAll(file).find(c.says), npos) << ReadAll(file);
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_TRUE(r.err.find(c.says) != npos && std::count(r.err.begin(), r.err.end(), '\n') == 1) << r.err;
            EXPECT_EQ(ReadAll(file), "");
        }
    }
}

TEST(AnalyseCsv, CodesOfAFileWithTheirVoltsAndNoCaptureTime) {
    Dir dir;
    const Outcome r = Analyse({.file = dir.write("c.dat", "800000\r\n800002\r\n"), .hex = true, .csvFile = dir.file("c.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = ReadAll(dir.file("c.csv"));
    EXPECT_NE(csv.find("# captured: unknown (codes loaded from a file)\n"), npos) << csv;
    EXPECT_TRUE(csv.ends_with("index,code,volts\n1,8388608,0\n2,8388610,1.9073486328125e-08\n")) << csv;
}

// The CSV alone, straight from the board: the DAC, offset and gain registers are read after
// continuous reading has ended, so the header gives the converter's values; the capture time is
// that of the read.
TEST(AcquireCsv, CodesWithTheConvertersRegistersAndTheTimeOfTheRead) {
    Dir dir;
    test::BoardRig rig;
    rig.fastFilter();
    rig.settings.FilterRegValue = (64 << 12) | 0x10;  // as the filter window keeps it
    rig.writeReg(link::comms::kDacWrite, link::comms::kDacBits, 37);
    std::ostringstream err;
    ASSERT_EQ(cli::RunAcquire({.count = 5, .outFile = "", .csvFile = dir.file("a.csv")}, rig.ctx, err), 0) << err.str();
    const std::string csv = ReadAll(dir.file("a.csv"));
    EXPECT_NE(csv.find("# dac_register: 25\n# offset_register: 800000\n# gain_register: 555555\n"), npos) << csv;
    EXPECT_NE(csv.find("# board: Simulated board (virtual time)\n"), npos) << csv;  // by its name, not its trace
    EXPECT_NE(csv.find("# filter_register: 40010\n"), npos) << csv;
    EXPECT_NE(csv.find("# sample_rate_hz: 1600\n"), npos) << csv;
    EXPECT_TRUE(std::regex_search(csv, std::regex("# captured: 20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\n"))) << csv;
    EXPECT_TRUE(std::regex_search(csv, std::regex("index,code,volts\n(\\d,\\d+,[-.e\\d]+\n){5}$"))) << csv;
    const std::vector<std::string> traffic = rig.traffic();
    const auto stop = std::find(traffic.begin(), traffic.end(), "C 48");
    EXPECT_NE(std::find(stop, traffic.end(), "R DAC 25"), traffic.end());
}

// ---- the conditions of a measurement ------------------------------------------------------------

using R = link::SetUpRegister;

// Each register written and read back, in order, before the continuous-mode check reads the mode
// register and the read starts.
TEST(AcquireSetUp, RegistersWrittenInOrderEachReadBackBeforeTheFirstRead) {
    Dir dir;
    const std::string file = dir.write("s.json", R"({"mode": "2190", "filter": "40010", "gain": "555000"})");
    const struct {
        std::string setUp;
        cli::RegisterOptions options;
        Texts writes;
    } cases[] = {
        {"", {{R::Mode, "2190"}, {R::Gain, "555000"}, {R::Offset, "800100"}, {R::Dac, "3"}, {R::Filter, "40010"}},
         {"W filter 40010", "R filter 40010", "W DAC 3", "R DAC 3", "W offset 800100", "R offset 800100", "W gain 555000",
          "R gain 555000", "W mode 2190", "R mode 2190"}},
        {file, {}, {"W filter 40010", "R filter 40010", "W gain 555000", "R gain 555000", "W mode 2190", "R mode 2190"}},
        // The options take the place of the file's values and add to them.
        {file, {{R::Mode, "21A0"}, {R::Dac, "1"}},
         {"W filter 40010", "R filter 40010", "W DAC 1", "R DAC 1", "W gain 555000", "R gain 555000", "W mode 21A0",
          "R mode 21A0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setUp);
        const auto setUp = cli::SetUpToWrite(c.setUp, c.options);
        ASSERT_TRUE(setUp.ok()) << setUp.error();
        test::BoardRig rig;
        rig.fastFilter();
        std::ostringstream err;
        ASSERT_EQ(cli::RunAcquire({.count = 5, .outFile = dir.file("a.dat"), .setUp = *setUp}, rig.ctx, err), 0) << err.str();
        Texts want = c.writes;
        want.push_back("R mode " + platform::Hex(*(*setUp)[R::Mode]));
        const Texts traffic = rig.traffic();
        EXPECT_EQ(Texts(traffic.begin(), std::find(traffic.begin(), traffic.end(), "C 33")), want);
    }
}

TEST(AcquireSetUp, AMismatchReadsNothingAndWritesNoFile) {
    Dir dir;
    test::BoardRig rig(-1, test::Fault(board::Fault::Readback));
    std::ostringstream err;
    const link::SetUp setUp = *cli::SetUpToWrite("", {{R::Mode, "2190"}, {R::Filter, "40010"}});
    EXPECT_EQ(cli::RunAcquire({.count = 5, .outFile = dir.file("a.dat"), .csvFile = dir.file("a.csv"), .setUp = setUp},
                              rig.ctx, err),
              1);
    EXPECT_EQ(err.str(), "qb4160-eval: the filter register read back 40011 after 40010 was written; no code was read\n");
    EXPECT_EQ(rig.traffic(), (Texts{"W filter 40010", "R filter 40011"}));
    EXPECT_EQ(dir.entries(), 0);
}

// Refused as usage errors, naming the file's line or key or the option, before the port is
// claimed: no trace file is even made.
TEST(AcquireSetUp, BadSetUpsAreRefusedBeforeTheBoardIsTouched) {
    Dir dir;
    const std::string big = "{" + std::string(70000, ' ') + "}";
    const struct {
        const char* content;  // nullptr: no such file
        const char* option;
        std::string says;
    } cases[] = {
        {R"({"mode": "2190", "clock": "4915200"})", "--hex", "s.json: unknown key \"clock\""},  // the others: SetUpFile
        {nullptr, "--hex", "none.json: cannot be read: No such file or directory"},
        {"{}", "--mode=8190", "--mode=8190: would start a calibration"},
        {big.c_str(), "--hex", "s.json: larger than 64 KiB, too large for a set-up"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const std::string setUp = c.content ? dir.write("s.json", c.content) : dir.file("none.json");
        const std::string trace = dir.file("t.trace"), out = dir.file("a.dat");
        const Outcome r = Program({"--acquire", "5", "--out", out, "--setup=" + setUp, "--trace=" + trace, c.option});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.starts_with("qb4160-eval: ") && r.err.find(c.says) != npos &&
                    std::count(r.err.begin(), r.err.end(), '\n') == 1)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(trace) || std::filesystem::exists(out));
    }
}

// What --save-setup saves, --setup writes back: the registers as the converter held them.
TEST(SaveSetUp, TheFiveRegistersAsTheConverterHoldsThem) {
    Dir dir;
    const std::string saved = dir.file("s.json");
    EXPECT_EQ(Program({"--save-setup=" + saved}).status, 0);
    EXPECT_EQ(ReadAll(saved),
              "{\n  \"mode\": \"21B0\",\n  \"filter\": \"800010\",\n  \"dac\": \"0\",\n  \"offset\": \"800000\",\n"
              "  \"gain\": \"555555\"\n}\n");
    EXPECT_EQ(Program({"--acquire", "5", "--out", dir.file("a.dat"), "--setup=" + saved}).status, 0);
    const Outcome r = Program({"--save-setup=" + dir.file("no/s.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.starts_with("qb4160-eval: cannot write the set-up to ")) << r.err;
}

// 12,000 codes: the first 5000 all alike, the rest +-2 codes around them, so that only the whole
// file gives a peak-to-peak noise of 4 codes and an RMS noise of sqrt(7000 x 4 / 11999) codes.
TEST(AnalyseCsv, AllItsCodesInTheConditionsOfItsHeaderUnlessGiven) {
    Dir dir;
    std::vector<double> codes(12000, 8388608);
    for (std::size_t i = 5000; i < codes.size(); ++i) codes[i] += i % 2 ? 2 : -2;
    const link::Conditions taken{0x2190, 0x400010, 4915200, {}, 0x800000, 0x555555, "simulated board"};
    const analysis::CaptureTime at = std::chrono::system_clock::time_point(std::chrono::seconds(1714566896));
    const std::string file = dir.write("log.txt", analysis::CodesCsv(codes, taken, at));  // known by its first line
    const struct {
        cli::RegisterOptions options;
        std::optional<int32_t> clock;
        double lsbV, rateHz;
    } cases[] = {
        {{}, {}, 0.040 / 16777216, 4915200.0 / (48 * 1024)},                      // the header's: +-20 mV, word 1024 chopped
        {{{R::Mode, "21B0"}}, {}, 0.160 / 16777216, 4915200.0 / (48 * 1024)},  // +-80 mV given
        {{{R::Filter, "400000"}}, 2457600, 0.040 / 16777216, 2457600.0 / (16 * 1024)},  // no chopping, L
    };
    for (const auto& c : cases) {
        const Outcome r = Analyse({.file = file, .registers = c.options, .masterClockHz = c.clock, .json = true});
        ASSERT_EQ(r.status, 0) << r.err;
        const QJsonObject figures = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object()["figures"].toObject();
        EXPECT_EQ(figures["codes_read"].toDouble(), 12000);
        EXPECT_EQ(figures["peak_to_peak_noise_lsb"].toDouble(), 4);
        EXPECT_DOUBLE_EQ(figures["rms_noise_lsb"].toDouble(), std::sqrt(28000.0 / 11999));
        EXPECT_DOUBLE_EQ(figures["lsb_v"].toDouble(), c.lsbV);
        EXPECT_DOUBLE_EQ(figures["sample_rate_hz"].toDouble(), c.rateHz);
    }
    // The codes written again keep the header's conditions and time, with the options in their place.
    ASSERT_EQ(Analyse({.file = file, .registers = {{R::Dac, "1"}}, .csvFile = dir.file("again.csv")}).status, 0);
    link::Conditions given = taken;
    given.dac = 1;
    EXPECT_EQ(ReadAll(dir.file("again.csv")), analysis::CodesCsv(codes, given, at));
}

} // namespace
