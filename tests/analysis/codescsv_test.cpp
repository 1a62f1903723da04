// The code buffer as CSV: the conditions in comment lines, one line per code with its volts, and
// the capture time that a file load forgets; saved from the noise window where the user chose.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "analysis/CodesCsv.h"
#include "analysis/EvaluatorRig.h"
#include "link/SharedSettings.h"
#include "link/Startup.h"

namespace qb::analysis {
namespace {

using namespace std::chrono;

link::SharedSettings Settings(int32_t mode, std::vector<double> codes) {
    link::SharedSettings s;
    s.ModeRegValue = mode;
    link::DecodeModeRegister(s);
    s.FilterRegValue = 0x800010;
    s.DacRegValue = 37;
    s.MasterClockHz = 4915200;
    codes.insert(codes.begin(), 0.0);
    s.CodesRead = static_cast<int16_t>(codes.size() - 1);
    s.Codes = std::move(codes);
    return s;
}

TEST(CodesCsv, ConditionsThenOneLinePerCodeWithItsVolts) {
    link::SharedSettings s = Settings(0x21B0, {8388608, 8388610, 8388600});
    s.CodesCapturedAt = system_clock::time_point(seconds(1714566896));
    EXPECT_EQ(CodesCsv(s),
              "# QB4160 codes\n"
              "# captured: 2024-05-01T12:34:56Z\n"
              "# mode_register: 21B0\n"
              "# filter_register: 800010\n"
              "# dac_register: 25\n"
              "# master_clock_hz: 4915200\n"
              "# sample_rate_hz: 50\n"
              "# polarity: bipolar\n"
              "# word_length_bits: 24\n"
              "# input_range_mv: +-80\n"
              "# reference_v: 5\n"
              "index,code,volts\n"
              "1,8388608,0\n"
              "2,8388610,1.9073486328125e-08\n"
              "3,8388600,-7.62939453125e-08\n");
}

} // namespace
} // namespace qb::analysis

// ---- "Save as CSV..." in the noise window -------------------------------------------------------

namespace qb::evaltest {
namespace {

TEST(NoiseWindowCsv, SavesTheCodesAsCsvWhereTheUserChoseAndRemembersTheFolder) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("qb-csv-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Rig rig({8388608, 8388610});
    const struct { std::optional<std::string> choice; const char* says; bool written; } cases[] = {
        {std::nullopt, nullptr, false},                                    // the dialog was cancelled
        {(dir / "none" / "c.csv").string(), "The codes could not be written to ", false},
        {(dir / "c.csv").string(), nullptr, true},
    };
    for (const auto& c : cases) {
        rig.messages.clear();
        CountingNoiseForm form(rig.ctx);
        form.csvChoice = c.choice;
        form.click({"CsvCommand"});
        ASSERT_EQ(rig.messages.shown.size(), c.says ? 1u : 0u);
        if (c.says) {
            EXPECT_TRUE(rig.messages.shown[0].text.starts_with(c.says)) << rig.messages.shown[0].text;
        }
    }
    std::ifstream in(dir / "c.csv");
    const std::string csv{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(csv, analysis::CodesCsv(rig.settings));
    EXPECT_EQ(rig.preferences.values.at("files/folder"), dir.string());
    fs::remove_all(dir);
}

} // namespace
} // namespace qb::evaltest
