// The analysis of the codes read: noise figures and the noise window (against hand-computed
// figures), the histogram's sort and points, and the graph and histogram windows with their hex
// axis-end texts, zoom, cursor readout and pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "analysis/GraphForm.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "analysis/NoiseForm.h"
#include "link/CodeCount.h"
#include "analysis/mdlArray.h"
#include "link/Startup.h"
#include "platform/base/Numbers.h"
#include "platform/chart/StripChart.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"

namespace qb::analysis {
namespace {

// A code buffer as the program keeps it: index 0 is not a code.
std::vector<double> Buffer(std::vector<double> codes) {
    codes.insert(codes.begin(), 0.0);
    return codes;
}

// ---- noise figures ------------------------------------------------------------------------------

TEST(ComputeNoiseStatistics, HandComputedFigures) {
    const struct { std::vector<double> codes; double average, max, min, rms; } cases[] = {
        {{8388608}, 8388608, 8388608, 8388608, 0},
        {{5, -3, 9, 0}, 2.75, 9, -3, std::sqrt(84.75 / 3)},        // divisor n - 1; max and min anywhere
        {{1e16, 1, -1e16}, 0, 1e16, -1e16, std::sqrt(2e32 / 2)}};  // summed in order: 1e16 + 1 is 1e16
    for (const auto& c : cases) {
        const NoiseStatistics s = ComputeNoiseStatistics(c.codes);
        EXPECT_EQ(std::vector<double>({s.AverageCode, s.MaxCode, s.MinCode}), std::vector<double>({c.average, c.max, c.min}));
        EXPECT_DOUBLE_EQ(s.RmsNoiseCodes, c.rms) << c.codes[0];
    }
    const NoiseStatistics s = ComputeNoiseStatistics(link::HeldCodes({0.0, 4.0, 6.0}, 100));  // only two codes held
    EXPECT_EQ(std::vector<double>({s.AverageCode, s.MaxCode, s.MinCode}), std::vector<double>({5, 6, 4}));
}

// Every label in the window's order: AverageValueLable, AveragevValueLable, RMSValueLable,
// SpanValueLable, MaxValueLable, MinValueLable, RefValueLable, Label13, LSBValueLable, Label14,
// PkValueLabel, rms_noise, NoCodesLabel, Label15, Label16, Label17, lblPkToPkResolution.
TEST(ShowNoiseResults, EveryLabel) {
    const struct { std::vector<double> codes; DataFormat format; std::vector<std::optional<std::string>> texts; } cases[] = {
        // One code: no spread, "ERROR" for the resolutions, the full word length in bits.
        {{1000}, {1, 20, 24, 2.5}, {"3E8", "1000", "0", "0", "3E8", "3E8", "2.5V", "0.000nV", "1.1921nV", "1.192uV",
                                    "ERROR", "ERROR", "1", "0.000nV", "1.192uV", "1.192uV", " 24 Bits"}},
        // A span of 100 codes: 24 - log2(100) = 17.356 bits, 2^24 / 100 counts.
        {{0, 100}, {1, 20, 24, 2.5}, {"32", "50", "47", "64", "64", "0", "2.5V", "84.294nV", "1.1921nV", "0.060uV",
                                      "167772", "237266", "2", "119.209nV", "119.209nV", "0.000nV", " 17.36 Bits"}},
        // An average halfway between two codes: the even one in hex, rounded down in decimal.
        {{8388607, 8388608}, {2, 20, 24, 5.0}, {"800000", "8388607", "1", "1", "800000", "7FFFFF", "5.0V", "1.686nV",
                                                "2.3842nV", "-.001uV", "16777216", "23726566", "2", "2.384nV",
                                                "0.000nV", "-2.384nV", " 24 Bits"}},
        // Bipolar 16-bit words (5 V, 80 mV: 2441.40625 nV per code) have zero volts at 32768, not
        // at the 24-bit 8388608 (which put every voltage beyond a volt).
        {{32768, 32770}, {2, 80, 16, 5.0}, {"8001", "32769", "1", "2", "8002", "8000", "5.0V", "3.453uV", "2441.4063nV",
                                            "2.441uV", "32768", "46341", "2", "4.883uV", "4.883uV", "0.000nV", " 15 Bits"}}};
    for (const auto& c : cases) {
        const auto entries = ShowNoiseResults(ComputeNoiseStatistics(c.codes), static_cast<int16_t>(c.codes.size()), c.format).Entries();
        ASSERT_EQ(entries.size(), c.texts.size());
        for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].second, c.texts[i]) << entries[i].first;
    }
}

// The noise window on `codes` read in `mode`: the texts of its value labels, then what its two
// chart buttons open (counted), then "Back...".
struct Rig {  // what the noise window needs around it, made before it
    test::RecordingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
};
struct NoiseWindow : Rig, NoiseForm {
    int graphs = 0, histograms = 0;
    std::vector<std::optional<std::string>> shown;
    NoiseWindow(const std::vector<double>& codes, int32_t mode) : NoiseForm(ctx) {
        settings.Codes = Buffer(codes);
        settings.CodesRead = static_cast<int16_t>(codes.size());
        settings.ModeRegValue = mode;
        link::DecodeModeRegister(settings);
        QTimer::singleShot(0, this, [this] {
            for (const auto& [name, text] : analysis::ShowNoiseResults(settings).Entries())
                if (const auto* label = findChild<QLabel*>(QString::fromUtf8(name.data(), qsizetype(name.size()))))
                    shown.push_back(label->text().toStdString());
            for (const char* button : {"NoiseHisCommand", "NoisePlotCommand", "Command3D1"})
                findChild<QPushButton*>(button)->click();
        });
        showModal();
    }
    void openGraph() override { ++graphs; }
    void openHistogram() override { ++histograms; }
};

// The window computes the statistics of the buffer, which stay for the charts, and shows every
// label; the histogram needs a span from 2 codes to full scale: not 1, not 2^16 for 16-bit words.
TEST(NoiseWindow, ShowsTheFiguresOfTheBufferAndOpensTheCharts) {
    const NoiseWindow form({32768, 32770}, 0x20B0);
    EXPECT_FALSE(form.isVisible());
    const link::SharedSettings& s = form.settings;
    EXPECT_EQ(std::vector<double>({s.AverageCode, s.MaxCode, s.MinCode, s.RmsNoiseCodes}),
              std::vector<double>({32769, 32770, 32768, std::sqrt(2.0)}));
    std::vector<std::optional<std::string>> texts;
    for (const auto& entry : ShowNoiseResults(ComputeNoiseStatistics(std::vector<double>{32768, 32770}), 2, {2, 80, 16, 5.0}).Entries())
        texts.push_back(entry.second);
    EXPECT_EQ(form.shown, texts);
    EXPECT_EQ(form.graphs + form.histograms, 2);
    EXPECT_EQ(NoiseWindow({100, 101}, 0x21B0).histograms + NoiseWindow({0, 65536}, 0x20B0).histograms, 0);
    EXPECT_EQ(NoiseWindow({0, 16777215}, 0x21B0).histograms, 1);
}

// ---- the histogram's sort and points ------------------------------------------------------------

// Random and shaped arrays of many sizes, in both directions and with a flag that is neither 0
// nor 1, sort as std::sort does; the guard values around the sorted span stay where they are.
TEST(SortLongArray, SortsLikeStdSortInsideItsSpan) {
    using Array = std::vector<int32_t>;
    std::mt19937 g(12345);
    std::uniform_int_distribution<int32_t> wide(INT32_MIN, INT32_MAX), few(8388600, 8388603);
    const std::function<int32_t(int32_t, int32_t)> shapes[] = {
        [&](int32_t, int32_t) { return wide(g); }, [&](int32_t, int32_t) { return few(g); },
        [](int32_t i, int32_t n) { return n - i; }, [](int32_t i, int32_t n) { return std::min(i, n - i); },
        [&](int32_t, int32_t) { return g() & 1 ? INT32_MIN : INT32_MAX; }};
    for (std::size_t shape = 0; shape < std::size(shapes); ++shape)
        for (const int32_t n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 17, 31, 40, 63, 64, 65, 1000, 5000})
            for (const int32_t flag : {0, 1, -1, 2}) {
                Array a{INT32_MAX};
                for (int32_t i = 0; i < n; ++i) a.push_back(shapes[shape](i, n));
                a.push_back(INT32_MIN);
                Array want(a.begin() + 1, a.end() - 1);
                std::sort(want.begin(), want.end());
                if (flag == kSortDescending) std::reverse(want.begin(), want.end());
                SortLongArray(std::span<int32_t>(a).subspan(1, std::size_t(n)), flag);
                ASSERT_EQ(Array(a.begin() + 1, a.end() - 1), want) << "shape " << shape << " n " << n << " flag " << flag;
                ASSERT_TRUE(a.front() == INT32_MAX && a.back() == INT32_MIN) << "shape " << shape << " n " << n;
            }
}

// Three points per distinct code, ascending; none for what cannot be counted as 32-bit codes.
TEST(BuildHistPoints, ThreePointsPerDistinctCodeAscendingOrNone) {
    const struct { std::vector<double> codes, x, y; int16_t largest; std::optional<int16_t> codesRead = {}; } cases[] = {
        {{5, 5, 7}, {5, 5, 5, 7, 7, 7}, {0, 2, 0, 0, 1, 0}, 2},
        {{9, 3, 9, 3, 9}, {3, 3, 3, 9, 9, 9}, {0, 2, 0, 0, 3, 0}, 3},
        {{7.5, 8, 6.5, 6.49}, {6, 6, 6, 8, 8, 8}, {0, 2, 0, 0, 2, 0}, 2},  // halves to the even code
        {{-2147483648.5, 2147483647.4, -2147483648.0}, {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX},
         {0, 2, 0, 0, 1, 0}, 2},
        {std::vector<double>(32767, 42.0), {42, 42, 42}, {0, 32767, 0}, 32767},  // the count fits 16 bits
        {{}, {}, {}, 0}, {{1.0}, {}, {}, 0, -1}, {{1.0, 2.0}, {}, {}, 0, 5},     // no code; a count beyond the buffer
        {{5.0, std::nan("")}, {}, {}, 0}, {{INFINITY, 5.0}, {}, {}, 0},
        {{2147483647.5, 5.0}, {}, {}, 0}, {{5.0, -2147483649.0}, {}, {}, 0}};  // beyond 32 bits once rounded
    for (const auto& c : cases) {
        const auto p = BuildHistPoints(Buffer(c.codes), c.codesRead.value_or(static_cast<int16_t>(c.codes.size())));
        ASSERT_EQ(p.has_value(), !c.x.empty()) << c.codes.size();
        if (p) {
            EXPECT_EQ(std::tie(p->x, p->y, p->largestCount), std::tie(c.x, c.y, c.largest));
        }
    }
}

// ---- the graph and histogram windows ------------------------------------------------------------

// The shared settings after reading `codes` and opening the noise window.
link::SharedSettings Settings(const std::vector<double>& codes) {
    link::SharedSettings s;
    s.Codes = Buffer(codes);
    s.CodesRead = static_cast<int16_t>(codes.size());
    ComputeNoiseStatistics(s);
    return s;
}

// A graph or histogram window shown at a fixed size with its chart drawn.
template <class Form>
struct Window {
    link::SharedSettings settings;
    test::ScriptedMessages messages;
    Form form{settings, nullptr, &messages};
    platform::StripChart& chart = form.chart();

    explicit Window(const std::vector<double>& codes) : settings(Settings(codes)) {
        form.resize(900, 600);
        form.show();
        if constexpr (std::is_same_v<Form, HistForm>) form.BuildHistogram();
        else form.PlotCodes();
        QApplication::processEvents();
    }
    // The readout labels, each followed by "/".
    std::string readout() const {
        std::string out;
        for (const char* name : {"lblCursPosition", "lblDecValue", "lblHexValue"}) {
            const auto* label = form.template findChild<QLabel*>(name);
            out += (label ? label->text().toStdString() : "<no label>") + "/";
        }
        return out;
    }
};

// Both windows show the code bounds in hex at the ends of the code axis, and draw every code.
TEST(ChartWindows, EndTextsShowTheCodeBoundsInHex) {
    const struct { std::vector<double> codes; std::string ends; double largestCount; } cases[] = {
        {{0x900002, 0x8FFFFD, 0x900000, 0x900004}, "8FFFFD/900004", 1}, {{5, 5, 7}, "5/7", 2},
        {{0x900000, 0x900000, 0x900000}, "900000/900000", 3},  // the bounds, not the padded range drawn
        {{0, 16777215, 16777215}, "0/FFFFFF", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ends);
        Window<GraphForm> g(c.codes);
        EXPECT_EQ(g.chart.caption(kGraphYMinCaption) + "/" + g.chart.caption(kGraphYMaxCaption), c.ends);
        EXPECT_EQ(g.chart.tracePoints(0), c.codes.size());
        Window<HistForm> h(c.codes);
        EXPECT_EQ(h.chart.caption(kHistXMinCaption) + "/" + h.chart.caption(kHistXMaxCaption), c.ends);
        EXPECT_EQ(h.chart.tracePoints(0), h.form.points() ? h.form.points()->x.size() : 0u);
        EXPECT_EQ(h.chart.yAxisUpperShown(), c.largestCount);
        EXPECT_EQ(h.chart.yAxis->range().lower, 0.0) << "counts start at zero";
        // The code axis runs exactly between the codes its end texts name (equal codes: around
        // the one code).
        for (const QCPRange codes : {g.chart.yAxis->range(), h.chart.xAxis->range()}) {
            if (g.settings.MinCode == g.settings.MaxCode)
                EXPECT_TRUE(codes.lower < g.settings.MinCode && codes.upper > g.settings.MaxCode);
            else
                EXPECT_EQ(std::pair(codes.lower, codes.upper), std::pair(g.settings.MinCode, g.settings.MaxCode));
        }
    }
}

// The wheel over the plot or over the code axis zooms; the end texts then show the codes at the
// ends of the range shown (never "yMin", "yMax", "xmin" or "xmax"), until a double click brings
// back the full range and the code bounds. The histogram's count axis keeps zero at its foot and
// whole-number ticks (counts 1 to 14 would give a chart's tick step of 2.5): only codes move.
template <class Form>
void CheckZoom(int16_t lowCaption, int16_t highCaption, bool codesOnY) {
    std::vector<double> codes;
    for (int c = 0; c < 28; ++c) codes.insert(codes.end(), static_cast<std::size_t>(c % 14 + 1), 0x900000 + c);
    Window<Form> w(codes);
    const std::string bounds = platform::Hex(w.settings.MinCode) + "/" + platform::Hex(w.settings.MaxCode);
    const auto ends = [&] { return w.chart.caption(lowCaption) + "/" + w.chart.caption(highCaption); };
    ASSERT_EQ(ends(), bounds);
    const QRect plot = w.chart.axisRect()->rect();
    const QPoint overAxis = codesOnY ? QPoint(plot.left() - 15, plot.center().y() + 20)
                                     : QPoint(plot.left() + plot.width() / 4, plot.bottom() + 12);
    for (const auto& [at, steps] : {std::pair{plot.center(), 2}, {overAxis, -3}, {overAxis, 4}}) {
        QWheelEvent wheel(at, w.chart.mapToGlobal(at), {}, {0, 120 * steps}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w.chart, &wheel);
        const QCPRange shown = (codesOnY ? w.chart.yAxis : w.chart.xAxis)->range();
        EXPECT_EQ(ends(), platform::Hex(platform::RoundHalfEven(shown.lower)) + "/" +
                              platform::Hex(platform::RoundHalfEven(shown.upper))) << steps;
        EXPECT_NE(ends(), bounds) << steps;
        if (codesOnY) continue;
        w.chart.redraw();
        EXPECT_EQ(w.chart.yAxis->range().lower, 0.0) << steps;
        for (double t : w.chart.yAxis->tickVector()) EXPECT_EQ(t, std::round(t)) << steps;
    }
    QTest::mouseDClick(&w.chart, Qt::LeftButton, Qt::NoModifier, plot.center());
    EXPECT_EQ(ends(), bounds);
}

TEST(ChartWindows, ZoomRewritesTheEndTexts) {
    CheckZoom<GraphForm>(kGraphYMinCaption, kGraphYMaxCaption, true);
    CheckZoom<HistForm>(kHistXMinCaption, kHistXMaxCaption, false);
}

// The graph reads out the reading under the cursor and its code in decimal and hex; the
// histogram the count of a spike (kept between spikes) and the code.
TEST(ChartWindows, ReadoutFollowsTheCursorKeys) {
    Window<GraphForm> g({8388600, 8388607, 0x900000, 16777215, 0});
    Window<HistForm> h({5, 5, 8});
    const std::tuple<QWidget*, Qt::Key, const char*> steps[] = {  // Key_unknown: as opened
        {&g.chart, Qt::Key_unknown, " 1/ 8388600/7FFFF8/"}, {&g.chart, Qt::Key_Right, " 2/ 8388607/7FFFFF/"},
        {&g.chart, Qt::Key_End, " 5/ 0/0/"}, {&g.chart, Qt::Key_Right, " 5/ 0/0/"},  // stays on the last
        {&g.chart, Qt::Key_Left, " 4/ 16777215/FFFFFF/"}, {&g.chart, Qt::Key_Home, " 1/ 8388600/7FFFF8/"},
        {&g.chart, Qt::Key_Left, " 1/ 8388600/7FFFF8/"},  // never onto element 0, which is not a code
        {&h.chart, Qt::Key_unknown, " 2/ 5/5/"}, {&h.chart, Qt::Key_Right, " 2/ 6/6/"},  // between spikes
        {&h.chart, Qt::Key_Right, " 2/ 7/7/"}, {&h.chart, Qt::Key_Right, " 1/ 8/8/"}};
    for (const auto& [chart, key, readout] : steps) {
        if (key != Qt::Key_unknown) QTest::keyClick(chart, key);
        EXPECT_EQ((chart == &g.chart ? g.readout() : h.readout()), readout) << "after key " << key;
    }
}

TEST(ChartWindows, CodesTheHistogramCannotCountAreSaidAndNothingIsDrawn) {
    Window<HistForm> h({1.0, std::nan(""), 3.0});
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{kHistNotCountable});
    EXPECT_EQ(h.chart.tracePoints(0), 0u);
    QTest::keyClick(&h.chart, Qt::Key_Right);  // reads nothing out, does not fail
    EXPECT_EQ(h.readout(), "///");
}

} // namespace
} // namespace qb::analysis
