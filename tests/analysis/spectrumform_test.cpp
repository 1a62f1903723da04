// The noise spectrum window: the chart on a logarithmic density axis, the cursor on the highest
// peak with its frequency and density, the cursor moving from bin to bin, the summary, and no
// spectrum (said once, nothing opened) without a sample rate or with a single code.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "analysis/EvaluatorRig.h"
#include "analysis/SpectrumForm.h"
#include "platform/chart/StripChart.h"

namespace qb::evaltest {
namespace {

std::string Text(QWidget& form, const char* name) { return form.findChild<QLabel*>(name)->text().toStdString(); }

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
        chart.setFocus();
        QTest::keyClick(&chart, Qt::Key_Right);
        readouts.push_back(Text(form, "lblFrequencyValue"));
        QTest::keyClick(&chart, Qt::Key_Right, Qt::ShiftModifier);
        readouts.push_back(Text(form, "lblFrequencyValue"));
        EXPECT_EQ(Text(form, "lblSummary"),
                  "Sample rate 2048.00 Hz, 8 segments of 1024 codes, bins of 2.00 Hz; mean density " +
                      analysis::DensityText(analysis::MeanDensity(*analysis::ComputeNoiseSpectrum(
                          rig.settings.Codes, 5000, analysis::DataFormatOf(rig.settings), 2048.0))));
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

TEST(SpectrumForm, TheNoiseWindowOpensItOnlyWhenThereIsASpectrum) {
    const struct { std::vector<double> codes; int32_t filter; const char* says; } cases[] = {
        {SineCodes(100, 50, 2048, 6), 0x096000, nullptr},
        {SineCodes(100, 50, 2048, 6), 0x000010, "There is no noise spectrum: filter word 0: the filter register gives no rate."},
        {{9437184}, 0x800010, "There is no noise spectrum: a spectrum needs at least 2 codes."},
    };
    for (const auto& c : cases) {
        Rig rig(c.codes, 0x21B0, c.filter);
        CountingNoiseForm form(rig.ctx);
        form.click({"SpectrumCommand"});
        EXPECT_EQ(form.spectra, c.says ? 0 : 1);
        EXPECT_EQ(rig.messages.texts(), c.says ? std::vector<std::string>{c.says} : std::vector<std::string>{});
    }
    // A window of one code says why there is none, and draws nothing.
    Rig rig({9437184});
    analysis::SpectrumForm form(rig.settings);
    EXPECT_FALSE(form.PlotSpectrum());
    EXPECT_EQ(form.chart().tracePoints(0), 0u);
    EXPECT_EQ(Text(form, "lblSummary"), "No spectrum: a spectrum needs at least 2 codes.");
}

// The keyboard reaches the noise window's buttons as they are read: the charts, then the rest.
TEST(SpectrumForm, TheNoiseWindowsButtonsAreReachedInReadingOrder) {
    Rig rig({1, 2, 3});
    analysis::NoiseForm form(rig.ctx);
    std::vector<std::string> order;
    QWidget* w = form.findChild<QPushButton*>("NoisePlotCommand");
    for (int i = 0; i < 6 && w; ++i, w = w->nextInFocusChain()) {
        while (w && !qobject_cast<QPushButton*>(w)) w = w->nextInFocusChain();
        if (w) order.push_back(w->objectName().toStdString());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"NoisePlotCommand", "NoiseHisCommand", "SpectrumCommand", "MoreCommand",
                                               "CsvCommand", "Command3D1"}));
}

} // namespace
} // namespace qb::evaltest
