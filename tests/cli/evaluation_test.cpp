// What the headless commands give an evaluator: the figures as JSON numbers (null where there are
// none) and as the last group of the plain output, the noise spectrum at the sample rate of the
// filter register and master clock, the codes as CSV from a file or straight from the board.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/BoardRig.h"
#include "analysis/ResolutionFigures.h"
#include "cli/CliRig.h"
#include "cli/Commands.h"
#include "cli/Evaluation.h"

namespace {

using namespace qb;
constexpr auto npos = std::string::npos;

using clitest::Dir;
using clitest::ReadAll;

struct Outcome {
    int status;
    std::string out, err;
};
Outcome Analyse(cli::AnalyseRequest request) {
    std::ostringstream out, err;
    const int status = cli::RunAnalyse(request, out, err);
    return {status, out.str(), err.str()};
}

// Unipolar 24-bit codes 10 and 12 in a 10 mV range: noise of two codes; no spread: noise 0 but no
// resolution. The sample rate is that of the power-on filter register.
TEST(AnalyseFigures, JsonHoldsNumbersInBaseUnitsAndNullWhereThereIsNone) {
    Dir dir;
    for (const auto& [codes, rms] : {std::pair{" 10\r\n 12\r\n", std::sqrt(2.0)}, std::pair{" 10\r\n 10\r\n", 0.0}}) {
        const Outcome r = Analyse({.file = dir.write("c.dat", codes), .modeHex = "1180", .json = true});
        ASSERT_EQ(r.status, 0) << r.err;
        const QJsonObject all = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        EXPECT_EQ(all.keys(), (QStringList{"figures", "labels"}));
        const QJsonObject figures = all["figures"].toObject();
        EXPECT_EQ(figures.size(), static_cast<qsizetype>(analysis::ResolutionFigures{}.Entries().size()));
        EXPECT_EQ(std::vector<double>({figures["rms_noise_lsb"].toDouble(-1), figures["sample_rate_hz"].toDouble(),
                                       figures["lsb_v"].toDouble(), figures["effective_resolution_bits"].toDouble(-1)}),
                  std::vector<double>({rms, 50.0, 0.010 / 16777216, rms > 0 ? 23.5 : -1}));
    }
}

TEST(AnalyseFigures, PlainOutputEndsWithTheFiguresGroup) {
    Dir dir;
    const Outcome r = Analyse({.file = dir.write("c.dat", " 8388608\r\n 8388610\r\n")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string group = "\nNoise and Resolution\n  Codes read ";
    ASSERT_NE(r.out.find(group), npos) << r.out;
    EXPECT_NE(r.out.find("  Effective resolution               23.50 bits\n"), npos) << r.out;
    EXPECT_TRUE(r.out.ends_with("  Noise-free resolution (6.6 x RMS)  20.78 bits\n")) << r.out;
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
        {"1000000", 4915200, "s.csv", 2, "bad filter register value \"1000000\""},
        {"80001G", 4915200, "s.csv", 2, "bad filter register value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.filter) + " " + c.name);
        const std::string file = dir.file(c.name);
        std::remove(file.c_str());
        const Outcome r = Analyse({.file = data, .filterHex = c.filter, .masterClockHz = c.clock, .spectrumFile = file});
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
    const Outcome bad = Analyse({.file = dir.file("c.dat"), .hex = true, .csvFile = dir.file("none/c.csv")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("cannot write"), npos);
}

// The CSV alone, straight from the board: the DAC register is read after continuous reading has
// ended, so the header gives the converter's value; the capture time is that of the read.
TEST(AcquireCsv, CodesWithTheConvertersRegistersAndTheTimeOfTheRead) {
    Dir dir;
    test::BoardRig rig;
    rig.fastFilter();
    rig.settings.FilterRegValue = (64 << 12) | 0x10;  // as the filter window keeps it
    rig.writeReg(link::comms::kDacWrite, link::comms::kDacBits, 37);
    std::ostringstream err;
    ASSERT_EQ(cli::RunAcquire({.count = 5, .outFile = "", .csvFile = dir.file("a.csv")}, rig.ctx, err), 0) << err.str();
    const std::string csv = ReadAll(dir.file("a.csv"));
    EXPECT_NE(csv.find("# dac_register: 25\n"), npos) << csv;
    EXPECT_NE(csv.find("# filter_register: 40010\n"), npos) << csv;
    EXPECT_NE(csv.find("# sample_rate_hz: 1600\n"), npos) << csv;
    EXPECT_TRUE(std::regex_search(csv, std::regex("# captured: 20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\n"))) << csv;
    EXPECT_TRUE(std::regex_search(csv, std::regex("index,code,volts\n(\\d,\\d+,[-.e\\d]+\n){5}$"))) << csv;
    const std::vector<std::string> traffic = rig.traffic();
    const auto stop = std::find(traffic.begin(), traffic.end(), "C 48");
    EXPECT_NE(std::find(stop, traffic.end(), "R DAC 25"), traffic.end());
}

} // namespace
