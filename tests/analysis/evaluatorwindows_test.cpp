// The evaluator's windows over a code buffer in a data format and at a filter register: the
// noise spectrum window (the chart on a logarithmic density axis, the cursor on the highest peak
// with its frequency and density, moving from bin to bin, the summary, and no spectrum, said once
// and nothing opened, without a sample rate or with a single code); the figures window opened by
// "More..." (every figure's text beside its caption, the whole set copied as the headless
// analysis prints it); "Save as CSV..." in the noise window.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "analysis/CodesCsv.h"
#include "analysis/FiguresForm.h"
#include "analysis/NoiseForm.h"
#include "analysis/ResolutionFigures.h"
#include "analysis/AllanDeviation.h"
#include "analysis/AllanForm.h"
#include "analysis/SpectrumForm.h"
#include "link/CodeCount.h"
#include "link/Conditions.h"
#include "link/Startup.h"
#include "platform/chart/StripChart.h"
#include "support/MemoryPreferences.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"
#include "support/Windows.h"

namespace qb::evaltest {
namespace {

struct Rig {
    test::RecordingPort port;
    test::ScriptedMessages messages;
    test::MemoryPreferences preferences;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};

    // codes[1..] in the data format of `mode`, at the rate of `filter` on the 4.9152 MHz clock.
    Rig(const std::vector<double>& codes, int32_t mode = 0x21B0, int32_t filter = 0x096000) {
        settings.ModeRegValue = mode;
        link::DecodeModeRegister(settings);
        settings.FilterRegValue = filter;
        settings.MasterClockHz = 4915200;
        settings.Codes = codes;
        settings.Codes.insert(settings.Codes.begin(), 0.0);
        settings.CodesRead = static_cast<int16_t>(codes.size());
        ctx.preferences = &preferences;
    }
};

// n codes around 900000 (hex): a sine of `amplitude` codes at `hz` sampled at `fs`, plus a
// pattern of +-2 codes.
std::vector<double> SineCodes(int n, double hz, double fs, double amplitude) {
    std::vector<double> codes;
    for (int i = 0; i < n; ++i)
        codes.push_back(std::round(9437184 + amplitude * std::sin(2 * 3.14159265358979 * hz * i / fs) + (i * 7 % 5) - 2));
    return codes;
}

// The noise window with its openings counted and the CSV file dialog answered by `csvChoice`.
struct CountingNoiseForm : analysis::NoiseForm {
    int spectra = 0, figures = 0, allans = 0;
    std::optional<std::string> csvChoice;
    using NoiseForm::NoiseForm;
    void openSpectrum() override { ++spectra; }
    void openAllan() override { ++allans; }
    void openFigures() override { ++figures; }
    std::optional<std::string> chooseCsvFile() override { return csvChoice; }

    // Clicks the buttons while the window is open, then closes it.
    void click(std::initializer_list<const char*> buttons) {
        QTimer::singleShot(0, this, [this, names = std::vector<const char*>(buttons)] {
            for (const char* name : names) findChild<QPushButton*>(name)->click();
            unload();
        });
        showModal();
    }
};

using test::Text;

// On log-log axes, the cursor on the lowest deviation, read out in its units.
TEST(AllanForm, OpensOnTheLowestPointAndReadsOutAveragingTimeAndDeviation) {
    Rig rig(SineCodes(512, 50, 2048, 6));
    analysis::AllanForm form(rig.ctx);
    QTimer::singleShot(0, &form, [&] {
        platform::StripChart& chart = form.chart();
        EXPECT_EQ(chart.xAxis->scaleType(), QCPAxis::stLogarithmic);
        EXPECT_EQ(chart.tracePoints(0), 9u);  // m = 1 .. 256
        const auto points = *analysis::ComputeAllanDeviation(link::HeldCodes(rig.settings.Codes, 512), analysis::DataFormatOf(rig.settings), 2048.0);
        const auto lowest = std::min_element(points.begin(), points.end(), [](auto& a, auto& b) { return a.deviation < b.deviation; });
        EXPECT_DOUBLE_EQ(chart.cursorPosition(), lowest->tauSeconds);
        EXPECT_EQ(Text(form, "lblDeviationValue"), analysis::VoltsText(lowest->deviation));
        EXPECT_TRUE(Text(form, "lblTauValue").ends_with(" ms"));
        EXPECT_TRUE(Text(form, "lblSummary").starts_with("512 readings at 2048.00 Hz")) << Text(form, "lblSummary");
        form.unload();
    });
    form.showModal();
}

TEST(SpectrumForm, OpensOnTheHighestPeakAndReadsOutFrequencyAndDensity) {
    Rig rig(SineCodes(5000, 50, 2048, 6));  // filter word 150: 2048 Hz
    analysis::SpectrumForm form(rig.ctx);
    std::vector<std::string> readouts;
    QTimer::singleShot(0, &form, [&] {
        platform::StripChart& chart = form.chart();
        EXPECT_EQ(chart.yAxis->scaleType(), QCPAxis::stLogarithmic);
        EXPECT_EQ(chart.xAxisUpperShown(), 1024);
        EXPECT_EQ(chart.tracePoints(0), 512u);  // bins 1..512 of 2 Hz
        EXPECT_EQ(chart.cursorPosition(), 50);
        readouts.push_back(Text(form, "lblFrequencyValue") + " " + Text(form, "lblDensityValue"));
        for (const QString& tick : chart.yAxis->tickVectorLabels())  // in engineering units
            EXPECT_TRUE(tick.isEmpty() || tick.endsWith(" nV/\u221AHz") || tick.endsWith(" pV/\u221AHz")) << tick.toStdString();
        chart.setFocus();
        QTest::keyClick(&chart, Qt::Key_Right);
        readouts.push_back(Text(form, "lblFrequencyValue"));
        QTest::keyClick(&chart, Qt::Key_Right, Qt::ShiftModifier);
        readouts.push_back(Text(form, "lblFrequencyValue"));
        EXPECT_EQ(Text(form, "lblSummary"),
                  "Sample rate 2048.00 Hz, 8 segments of 1024 codes, bins of 2.00 Hz; mean density " +
                      analysis::DensityText(analysis::MeanDensity(*analysis::ComputeNoiseSpectrum(rig.settings))));
        form.unload();
    });
    form.showModal();
    ASSERT_EQ(readouts.size(), 3u);
    // A sine of 6 codes (6 x 9.54 nV) at 50 Hz: its density at the peak bin, within the leakage.
    EXPECT_TRUE(readouts[0].starts_with("50 Hz ") && readouts[0].ends_with(" nV/\u221AHz")) << readouts[0];
    EXPECT_EQ(readouts[1], "52 Hz");
    EXPECT_EQ(readouts[2], "72 Hz");
    EXPECT_EQ(rig.preferences.values.count("windows/SpectrumForm/size"), 1u);  // its size is remembered
}

TEST(SpectrumForm, TheNoiseWindowOpensItAndTheAllanDeviationOnlyWhenThereIsOne) {
    const struct { std::vector<double> codes; int32_t filter; std::vector<std::string> says; } cases[] = {
        {SineCodes(100, 50, 2048, 6), 0x096000, {}},
        {SineCodes(100, 50, 2048, 6), 0x000010, {"There is no noise spectrum: filter word 0: the filter register gives no rate.",
                                                 "There is no Allan deviation: filter word 0: the filter register gives no rate."}},
        {{9437184}, 0x800010, {"There is no noise spectrum: a spectrum needs at least 2 codes.",
                               "There is no Allan deviation: an Allan deviation needs at least 2 codes."}},
    };
    for (const auto& c : cases) {
        Rig rig(c.codes, 0x21B0, c.filter);
        CountingNoiseForm form(rig.ctx);
        form.click({"SpectrumCommand", "AllanCommand"});
        EXPECT_EQ(form.spectra + form.allans, c.says.empty() ? 2 : 0);
        EXPECT_EQ(rig.messages.texts(), c.says);
    }
}

TEST(FiguresForm, ShowsEveryFigureAndCopiesThemAsText) {
    Rig rig({8388608, 8388610, 8388605});
    CountingNoiseForm noise(rig.ctx);
    noise.click({"MoreCommand"});
    EXPECT_EQ(noise.figures, 1);

    analysis::FiguresForm form(rig.ctx);
    const analysis::ResolutionFigures figures = analysis::ComputeResolutionFigures(rig.settings);
    EXPECT_EQ(form.findChild<QLabel*>("rms_noise_lsb_caption")->text(), "RMS noise in LSB");
    EXPECT_EQ(form.findChild<QLabel*>("rms_noise_lsb")->text(), "2.52 LSB");
    EXPECT_EQ(form.findChild<QLabel*>("sample_rate_hz")->text(), "2048.00 Hz");
    QGuiApplication::clipboard()->clear();
    form.CopyCommand_Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), analysis::FiguresText(figures));
}

// ---- "Save as CSV..." in the noise window -------------------------------------------------------

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
    EXPECT_EQ(csv, analysis::CodesCsv(link::HeldCodes(rig.settings.Codes, 2), link::ReadConditions(rig.ctx), {}));
    EXPECT_EQ(rig.preferences.values.at("files/folder"), dir.string());
    fs::remove_all(dir);
}

} // namespace
} // namespace qb::evaltest
