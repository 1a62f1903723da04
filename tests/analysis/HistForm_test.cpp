// The histogram window: the spikes it draws, its x-axis end texts before and after zooming, and
// the cursor readout on and between spikes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/ScriptedMessages.h"
#include "analysis/HistForm.h"
#include "analysis/NoiseFigures.h"
#include "platform/Numbers.h"
#include "platform/StripChart.h"

namespace qb::analysis {
namespace {

using platform::StripChart;

link::SharedSettings Buffer(const std::vector<double>& codes) {
    link::SharedSettings s;
    s.WordLengthBits = 24;
    s.Polarity = 2;
    s.InputRangeMv = 20;
    s.RefVoltage = 2.5;
    s.Codes.assign(1, 0.0);
    s.Codes.insert(s.Codes.end(), codes.begin(), codes.end());
    s.CodesRead = static_cast<int16_t>(codes.size());
    ComputeNoiseStatistics(s);
    return s;
}

std::vector<double> NoisyCodes(int n, unsigned seed = 4160) {
    std::mt19937 g(seed);
    std::normal_distribution<double> noise(0.0, 2.2);
    std::vector<double> codes;
    for (int i = 0; i < n; ++i) codes.push_back(0x900000 + std::round(noise(g)));
    return codes;
}

struct Hist {
    link::SharedSettings settings;
    test::ScriptedMessages messages;
    HistForm form;
    StripChart& chart;
    bool built = false;

    explicit Hist(const std::vector<double>& codes)
        : settings(Buffer(codes)), form(settings, nullptr, &messages), chart(form.chart()) {
        form.resize(900, 600);
        form.show();
        built = form.BuildHistogram();
        QApplication::processEvents();
    }
    std::string text(const char* name) const {
        const auto* label = form.findChild<QLabel*>(name);
        return label ? label->text().toStdString() : "<no " + std::string(name) + ">";
    }
    QPoint plotCentre() const { return chart.axisRect()->rect().center(); }
    void wheel(QPoint at, int steps) {
        QWheelEvent event(at, chart.mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &event);
    }
};

// ---- what is drawn ------------------------------------------------------------------------------

struct DrawCase {
    const char* name;
    std::vector<double> codes;
    const char *low, *high;  // captions 2 and 3
    double largest;
};

void PrintTo(const DrawCase& c, std::ostream* os) { *os << c.name; }

class HistDraw : public ::testing::TestWithParam<DrawCase> {};

TEST_P(HistDraw, SpikesForEveryCodeBetweenHexEndTexts) {
    const DrawCase& c = GetParam();
    Hist h(c.codes);
    ASSERT_TRUE(h.built);
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_EQ(h.chart.caption(kHistXMinCaption), c.low);
    EXPECT_EQ(h.chart.caption(kHistXMaxCaption), c.high);
    EXPECT_EQ(h.chart.caption(kHistTitleCaption), "Histogram");
    EXPECT_EQ(h.chart.caption(kHistYTitleCaption), "Nb of codes");
    EXPECT_EQ(h.chart.caption(kHistXTitleCaption), "Code");

    // The chart holds the points of every spike and shows counts from 0 to the largest.
    ASSERT_TRUE(h.form.points().has_value());
    EXPECT_EQ(h.chart.tracePoints(0), h.form.points()->x.size());
    EXPECT_EQ(h.chart.yAxisLowerShown(), 0.0);
    EXPECT_EQ(h.chart.yAxisUpperShown(), c.largest);
    // The spikes at both ends stand inside the drawn x range, off its edges.
    const QCPRange x = h.chart.xAxis->range();
    EXPECT_LT(x.lower, h.settings.MinCode);
    EXPECT_GT(x.upper, h.settings.MaxCode);
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, HistDraw,
    ::testing::Values(DrawCase{"FiveFiveSeven", {5, 5, 7}, "5", "7", 2},
                      DrawCase{"AroundMidScale", {0x7FFFFF, 0x800001, 0x800000, 0x800001}, "7FFFFF", "800001", 2},
                      DrawCase{"WideSpan", {0, 16777215, 16777215, 16777215}, "0", "FFFFFF", 3},
                      DrawCase{"OneCodeOnly", {42, 42}, "2A", "2A", 2}),
    [](const auto& info) { return info.param.name; });

TEST(HistDraw, CodesThatCannotBeCountedAreSaidAndNothingIsDrawn) {
    Hist h({1.0, std::numeric_limits<double>::quiet_NaN(), 3.0});
    EXPECT_FALSE(h.built);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, kHistNotCountable);
    EXPECT_EQ(h.chart.tracePoints(0), 0u);
    EXPECT_EQ(h.text("lblCursPosition"), "");
    // A key on the empty chart reads nothing out and does not fail.
    QTest::keyClick(&h.chart, Qt::Key_Right);
    EXPECT_EQ(h.text("lblHexValue"), "");
}

// ---- cursor readout -----------------------------------------------------------------------------

TEST(HistReadout, CountOnASpikeAndKeptBetweenSpikes) {
    // 0x900000 three times, 0x900003 once, nothing at 900001 and 900002.
    Hist h({0x900000, 0x900003, 0x900000, 0x900000});
    EXPECT_EQ(h.text("lblCursPosition"), " 3");
    EXPECT_EQ(h.text("lblHexValue"), "900000");
    EXPECT_EQ(h.text("lblDecValue"), " 9437184");

    struct Step {
        Qt::Key key;
        const char *count, *hex, *dec;
    };
    const std::vector<Step> steps = {
        {Qt::Key_Right, " 3", "900001", " 9437185"},  // between spikes: the count stays
        {Qt::Key_Right, " 3", "900002", " 9437186"},
        {Qt::Key_Right, " 1", "900003", " 9437187"},  // on the spike of 900003
        {Qt::Key_Right, " 1", "900003", " 9437187"},  // the last code is the end
        {Qt::Key_Left, " 1", "900002", " 9437186"},
        {Qt::Key_Home, " 3", "900000", " 9437184"},
    };
    for (const Step& s : steps) {
        QTest::keyClick(&h.chart, s.key);
        EXPECT_EQ(h.text("lblCursPosition"), s.count) << "after key " << s.key;
        EXPECT_EQ(h.text("lblHexValue"), s.hex) << "after key " << s.key;
        EXPECT_EQ(h.text("lblDecValue"), s.dec) << "after key " << s.key;
    }
}

TEST(HistReadout, AClickNearASpikeSnapsToItsCode) {
    Hist h({100, 100, 104, 110, 110, 110, 110});
    h.chart.redraw();
    struct Click {
        double at;  // data x under the mouse
        const char *count, *hex;
    };
    const std::vector<Click> clicks = {
        {103.7, " 1", "68"},   // 104
        {109.6, " 4", "6E"},   // 110
        {106.2, " 4", "6A"},   // 106: no spike, the count stays
        {100.4, " 2", "64"},   // 100
    };
    for (const Click& c : clicks) {
        const int px = static_cast<int>(std::lround(h.chart.pixelOfX(c.at)));
        QTest::mouseClick(&h.chart, Qt::LeftButton, Qt::NoModifier, QPoint(px, h.plotCentre().y()));
        EXPECT_EQ(h.text("lblCursPosition"), c.count) << "click at " << c.at;
        EXPECT_EQ(h.text("lblHexValue"), c.hex) << "click at " << c.at;
    }
}

// ---- zoom ---------------------------------------------------------------------------------------

TEST(HistZoom, EndTextsFollowTheVisibleCodesAndComeBack) {
    Hist h(NoisyCodes(500));
    const std::string low = h.chart.caption(kHistXMinCaption), high = h.chart.caption(kHistXMaxCaption);
    ASSERT_EQ(low, platform::Hex(h.settings.MinCode));
    ASSERT_EQ(high, platform::Hex(h.settings.MaxCode));

    const QRect plot = h.chart.axisRect()->rect();
    for (const QPoint at : {plot.center(), QPoint(plot.left() + plot.width() / 4, plot.bottom() + 12)}) {
        h.wheel(at, 2);
        const QCPRange shown = h.chart.xAxis->range();
        EXPECT_EQ(h.chart.caption(kHistXMinCaption), platform::Hex(platform::RoundHalfEven(shown.lower)));
        EXPECT_EQ(h.chart.caption(kHistXMaxCaption), platform::Hex(platform::RoundHalfEven(shown.upper)));
    }
    EXPECT_NE(h.chart.caption(kHistXMinCaption), "xmin");
    EXPECT_NE(h.chart.caption(kHistXMaxCaption), "xmax");
    EXPECT_NE(h.chart.caption(kHistXMinCaption), low);

    h.chart.showFullRange();
    EXPECT_EQ(h.chart.caption(kHistXMinCaption), low);
    EXPECT_EQ(h.chart.caption(kHistXMaxCaption), high);
}

// ---- the window ---------------------------------------------------------------------------------

TEST(HistWindow, OkClosesTheWindow) {
    link::SharedSettings s = Buffer({5, 5, 7});
    test::ScriptedMessages messages;
    HistForm form(s, nullptr, &messages);
    auto* ok = form.findChild<QPushButton*>("Command3D1");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->text(), "OK");
    std::string count;
    QTimer::singleShot(0, &form, [&] {
        count = form.findChild<QLabel*>("lblCursPosition")->text().toStdString();
        ok->click();
    });
    form.showModal();
    EXPECT_EQ(count, " 2");  // opening built the histogram
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.caption(), "QB4160 Histogram");
}

TEST(HistPicture, TheWindowShowsTheSpikes) {
    Hist h(NoisyCodes(500));
    h.chart.redraw();
    const QImage image = h.form.grab().toImage();
    ASSERT_FALSE(image.isNull());
    // Every distinct code's spike, also one of a single code, crosses the line halfway between
    // the baseline and a count of one: count the runs of blue along it.
    const QRect plot = h.chart.axisRect()->rect();
    const QPoint origin = h.chart.mapTo(&h.form, QPoint(0, 0));
    const double base = h.chart.yAxis->coordToPixel(0), one = h.chart.yAxis->coordToPixel(1);
    ASSERT_GE(base - one, 4.0) << "a spike of one code must stand out from the baseline";
    const int y = origin.y() + static_cast<int>(std::lround((base + one) / 2));
    int spikes = 0;
    bool inSpike = false;
    for (int x = origin.x() + plot.left(); x <= origin.x() + plot.right(); ++x) {
        const QColor c = image.pixelColor(x, y);
        const bool blue = c.blue() > 140 && c.red() < 90;
        if (blue && !inSpike) ++spikes;
        inSpike = blue;
    }
    const auto distinct = static_cast<int>((h.form.points()->x.size()) / 3);
    EXPECT_EQ(spikes, distinct);
    if (const QByteArray dir = qgetenv("QB_SCREENSHOT_DIR"); !dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + "/HistForm.png");
}

} // namespace
} // namespace qb::analysis
