// The conditions of a measurement on the command line: the registers --acquire writes before it
// reads (from its options and a set-up file, in order, each read back; a mismatch reads and writes
// nothing; a bad set-up is refused before the board is touched), --save-setup, and --analyse of
// the program's CSV file in the conditions of its header, whole at any length.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/CodesCsv.h"
#include "app/Entry.h"
#include "cli/Commands.h"
#include "link/SetUp.h"
#include "platform/base/Numbers.h"
#include "support/BoardRig.h"

namespace {

using namespace qb;
using R = link::SetUpRegister;
using Texts = std::vector<std::string>;
using Words = std::vector<std::string>;

struct Dir : QTemporaryDir {
    std::string file(const char* name) const { return filePath(name).toStdString(); }
    std::string write(const char* name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
        return file(name);
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The program run with these words after its name: status, out and err.
std::tuple<int, std::string, std::string> Program(Words words) {
    words.insert(words.begin(), "qb4160-eval");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    std::ostringstream out, err;
    const int status = app::RunProgram(int(words.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

// The traffic of an acquisition up to the start of continuous reading, without it.
Texts BeforeTheRead(const Texts& traffic) {
    return Texts(traffic.begin(), std::find(traffic.begin(), traffic.end(), "C 33"));
}

TEST(AcquireSetUp, RegistersWrittenInOrderEachReadBackBeforeTheFirstRead) {
    Dir dir;
    const std::string file = dir.write("s.json", R"({"mode": "2190", "filter": "40010", "gain": "555000"})");
    const struct {
        std::string setUp;
        cli::RegisterOptions options;
        Texts writes;  // each write, then its read-back, then the continuous-mode check
    } cases[] = {
        {"", {{R::Filter, "40010"}}, {"W filter 40010", "R filter 40010"}},
        {"", {{R::Dac, "3"}}, {"W DAC 3", "R DAC 3"}},
        {"", {{R::Offset, "800100"}}, {"W offset 800100", "R offset 800100"}},
        {"", {{R::Gain, "555000"}}, {"W gain 555000", "R gain 555000"}},
        {"", {{R::Mode, "2190"}}, {"W mode 2190", "R mode 2190"}},
        {file, {}, {"W filter 40010", "R filter 40010", "W gain 555000", "R gain 555000", "W mode 2190", "R mode 2190"}},
        // The options take the place of the file's values and add to them.
        {file, {{R::Mode, "21A0"}, {R::Dac, "1"}},
         {"W filter 40010", "R filter 40010", "W DAC 1", "R DAC 1", "W gain 555000", "R gain 555000", "W mode 21A0",
          "R mode 21A0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.writes.front());
        const auto setUp = cli::AcquisitionSetUp(c.setUp, c.options);
        ASSERT_TRUE(setUp.ok()) << setUp.error();
        test::BoardRig rig;
        rig.fastFilter();
        std::ostringstream err;
        ASSERT_EQ(cli::RunAcquire({.count = 5, .outFile = dir.file("a.dat"), .setUp = *setUp}, rig.ctx, err), 0) << err.str();
        Texts want = c.writes;  // then the continuous-mode check reads the mode register
        want.push_back("R mode " + platform::Hex((*setUp)[R::Mode].value_or(0x21B0)));
        EXPECT_EQ(BeforeTheRead(rig.traffic()), want);
    }
}

TEST(AcquireSetUp, AMismatchReadsNothingAndWritesNoFile) {
    Dir dir;
    test::BoardRig rig(-1, test::Fault(board::Fault::Readback));
    std::ostringstream err;
    const link::SetUp setUp = *cli::AcquisitionSetUp("", {{R::Mode, "2190"}, {R::Filter, "40010"}});
    EXPECT_EQ(cli::RunAcquire({.count = 5, .outFile = dir.file("a.dat"), .csvFile = dir.file("a.csv"), .setUp = setUp},
                              rig.ctx, err),
              1);
    EXPECT_EQ(err.str(), "qb4160-eval: the filter register read back 40011 after 40010 was written; no code was read\n");
    EXPECT_EQ(rig.traffic(), (Texts{"W filter 40010", "R filter 40011"}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// Refused as usage errors, naming the file's line or key or the option, before the port is
// claimed: no trace file is even made.
TEST(AcquireSetUp, BadSetUpsAreRefusedBeforeTheBoardIsTouched) {
    Dir dir;
    const struct {
        const char* content;  // nullptr: no such file
        Words options;
        std::string says;
    } cases[] = {
        {R"({"mode": "2190", "clock": "4915200"})", {}, "unknown key \"clock\""},
        {R"({"dac": "40"})", {}, "\"dac\": \"40\" is above 3F"},
        {"{\n  \"mode\": \"2190\"\n  \"filter\": \"40010\"\n}", {}, "s.json: line 3: not JSON ("},
        {nullptr, {}, "none.json: cannot be read: No such file or directory"},
        {"{}", {"--mode=8190"}, "--mode=8190: would start a calibration"},
        {"{}", {"--gain=1000000"}, "--gain=1000000: is not 1 to 6 hexadecimal digits"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const std::string setUp = c.content ? dir.write("s.json", c.content) : dir.file("none.json");
        const std::string trace = dir.file("t.trace"), out = dir.file("a.dat");
        Words words = {"--acquire", "5", "--out", out, "--setup=" + setUp, "--trace=" + trace};
        words.insert(words.end(), c.options.begin(), c.options.end());
        const auto [status, printed, err] = Program(words);
        EXPECT_EQ(status, 2);
        EXPECT_TRUE(err.starts_with("qb4160-eval: ") && err.find(c.says) != std::string::npos &&
                    std::count(err.begin(), err.end(), '\n') == 1)
            << err;
        EXPECT_FALSE(std::filesystem::exists(trace) || std::filesystem::exists(out));
    }
}

// What --save-setup saves, --setup writes back: the registers as the converter held them.
TEST(SaveSetUp, TheFiveRegistersAsTheConverterHoldsThem) {
    Dir dir;
    const std::string saved = dir.file("s.json");
    EXPECT_EQ(Program({"--save-setup=" + saved}), std::make_tuple(0, std::string(), std::string()));
    EXPECT_EQ(ReadAll(saved),
              "{\n  \"mode\": \"21B0\",\n  \"filter\": \"800010\",\n  \"dac\": \"0\",\n  \"offset\": \"800000\",\n"
              "  \"gain\": \"555555\"\n}\n");
    EXPECT_EQ(std::get<0>(Program({"--acquire", "5", "--out", dir.file("a.dat"), "--setup=" + saved})), 0);
    const auto [status, out, err] = Program({"--save-setup=" + dir.file("no/s.json")});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(err.starts_with("qb4160-eval: cannot write the set-up to ")) << err;
}

// 12,000 codes: the first 5000 all alike, the rest +-2 codes around them, so that only the whole
// file gives a peak-to-peak noise of 4 codes and an RMS noise of sqrt(7000 x 4 / 11999) codes.
TEST(AnalyseCsv, AllItsCodesInTheConditionsOfItsHeaderUnlessGiven) {
    Dir dir;
    std::vector<double> codes(12000, 8388608);
    for (std::size_t i = 5000; i < codes.size(); ++i) codes[i] += i % 2 ? 2 : -2;
    const link::Conditions taken{0x2190, 0x400010, 4915200, 1, 0x800000, 0x555555, "simulated board"};
    const std::string file = dir.write("log.txt", analysis::CodesCsv(codes, taken, {}));  // known by its first line
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
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunAnalyse({.file = file, .registers = c.options, .masterClockHz = c.clock, .json = true}, out, err), 0)
            << err.str();
        const QJsonObject figures = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object()["figures"].toObject();
        EXPECT_EQ(figures["codes_read"].toDouble(), 12000);
        EXPECT_EQ(figures["peak_to_peak_noise_lsb"].toDouble(), 4);
        EXPECT_DOUBLE_EQ(figures["rms_noise_lsb"].toDouble(), std::sqrt(28000.0 / 11999));
        EXPECT_DOUBLE_EQ(figures["lsb_v"].toDouble(), c.lsbV);
        EXPECT_DOUBLE_EQ(figures["sample_rate_hz"].toDouble(), c.rateHz);
    }
    // The codes written again keep the header's conditions.
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunAnalyse({.file = file, .csvFile = dir.file("again.csv")}, out, err), 0) << err.str();
    EXPECT_EQ(ReadAll(dir.file("again.csv")), ReadAll(file));
}

} // namespace
