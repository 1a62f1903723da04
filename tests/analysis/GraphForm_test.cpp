// The code graph window: what it draws from the buffer, its y-axis end texts before and after
// the user zooms, the cursor readout and the grid buttons; and the headless PNG of both charts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/ChartImages.h"
#include "analysis/GraphForm.h"
#include "analysis/NoiseFigures.h"
#include "platform/Numbers.h"
#include "platform/StripChart.h"

namespace qb::analysis {
namespace {

using platform::StripChart;

// The shared settings after reading `codes` and opening the noise window.
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

// Codes as the simulated board gives them: a few codes of noise around 0x900000.
std::vector<double> NoisyCodes(int n, unsigned seed = 4160) {
    std::mt19937 g(seed);
    std::normal_distribution<double> noise(0.0, 2.2);
    std::vector<double> codes;
    for (int i = 0; i < n; ++i) codes.push_back(0x900000 + std::round(noise(g)));
    return codes;
}

struct Graph {
    link::SharedSettings settings;
    GraphForm form;
    StripChart& chart;

    explicit Graph(const std::vector<double>& codes)
        : settings(Buffer(codes)), form(settings), chart(form.chart()) {
        form.resize(900, 600);
        form.show();
        form.PlotCodes();
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

// ---- plotting -----------------------------------------------------------------------------------

struct PlotCase {
    const char* name;
    std::vector<double> codes;
    const char* low;   // caption 3
    const char* high;  // caption 4
};

void PrintTo(const PlotCase& c, std::ostream* os) { *os << c.name; }

class GraphPlot : public ::testing::TestWithParam<PlotCase> {};

TEST_P(GraphPlot, EndTextsShowTheCodeBoundsInHexAndTheDrawnRangeHoldsThem) {
    const PlotCase& c = GetParam();
    Graph g(c.codes);
    EXPECT_EQ(g.chart.caption(kGraphYMinCaption), c.low);
    EXPECT_EQ(g.chart.caption(kGraphYMaxCaption), c.high);
    EXPECT_EQ(g.chart.caption(kGraphTitleCaption), "Graph");
    EXPECT_EQ(g.chart.caption(kGraphXTitleCaption), "Code Read");
    EXPECT_EQ(g.chart.caption(kGraphYTitleCaption), "Value(Hex)");

    // Every reading is drawn, element 0 is not.
    EXPECT_EQ(g.chart.tracePoints(0), c.codes.size());
    // The drawn y range is never empty and holds every code, even when all are equal.
    const QCPRange drawn = g.chart.yAxis->range();
    EXPECT_GT(drawn.size(), 0.0);
    EXPECT_LE(drawn.lower, g.settings.MinCode);
    EXPECT_GE(drawn.upper, g.settings.MaxCode);
    // The x range shows readings 1 to CodesRead.
    EXPECT_LE(g.chart.xAxis->range().lower, 1.0);
    EXPECT_GE(g.chart.xAxis->range().upper, static_cast<double>(c.codes.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, GraphPlot,
    ::testing::Values(PlotCase{"Noise", {0x900002, 0x8FFFFD, 0x900000, 0x900004}, "8FFFFD", "900004"},
                      PlotCase{"AllEqual", {0x900000, 0x900000, 0x900000}, "900000", "900000"},
                      PlotCase{"OneCode", {8388608}, "800000", "800000"},
                      PlotCase{"HalvesToEven", {10.5, 13.5}, "A", "E"},
                      PlotCase{"FullScale", {0, 16777215}, "0", "FFFFFF"}),
    [](const auto& info) { return info.param.name; });

// ---- cursor readout -----------------------------------------------------------------------------

TEST(GraphReadout, FollowsTheCursorInDecimalAndHex) {
    Graph g({8388600, 8388607, 0x900000, 16777215, 0});
    // Opening shows the first reading.
    EXPECT_EQ(g.text("lblCursPosition"), " 1");
    EXPECT_EQ(g.text("lblDecValue"), " 8388600");
    EXPECT_EQ(g.text("lblHexValue"), "7FFFF8");

    struct Step {
        Qt::Key key;
        const char *position, *dec, *hex;
    };
    const std::vector<Step> steps = {
        {Qt::Key_Right, " 2", " 8388607", "7FFFFF"},
        {Qt::Key_Right, " 3", " 9437184", "900000"},
        {Qt::Key_End, " 5", " 0", "0"},
        {Qt::Key_Right, " 5", " 0", "0"},  // stays on the last reading
        {Qt::Key_Left, " 4", " 16777215", "FFFFFF"},
        {Qt::Key_Home, " 1", " 8388600", "7FFFF8"},
        {Qt::Key_Left, " 1", " 8388600", "7FFFF8"},  // never onto element 0
    };
    for (const Step& s : steps) {
        QTest::keyClick(&g.chart, s.key);
        EXPECT_EQ(g.text("lblCursPosition"), s.position) << "after key " << s.key;
        EXPECT_EQ(g.text("lblDecValue"), s.dec) << "after key " << s.key;
        EXPECT_EQ(g.text("lblHexValue"), s.hex) << "after key " << s.key;
    }
}

TEST(GraphReadout, AClickReadsTheReadingUnderTheMouse) {
    Graph g(NoisyCodes(40));
    g.settings.Codes[17] = 8388607;  // the form reads the buffer at the cursor, not a copy
    g.form.PlotCodes();
    g.chart.redraw();
    const int x = static_cast<int>(std::lround(g.chart.pixelOfX(17.3)));
    QTest::mouseClick(&g.chart, Qt::LeftButton, Qt::NoModifier, QPoint(x, g.plotCentre().y()));
    EXPECT_EQ(g.text("lblCursPosition"), " 17");
    EXPECT_EQ(g.text("lblDecValue"), " 8388607");
    EXPECT_EQ(g.text("lblHexValue"), "7FFFFF");
}

// ---- zoom ---------------------------------------------------------------------------------------

TEST(GraphZoom, EndTextsFollowTheVisibleRangeAndReturnWithTheFullRange) {
    Graph g(NoisyCodes(500));
    const std::string low = g.chart.caption(kGraphYMinCaption), high = g.chart.caption(kGraphYMaxCaption);
    ASSERT_EQ(low, platform::Hex(g.settings.MinCode));
    ASSERT_EQ(high, platform::Hex(g.settings.MaxCode));

    struct Zoom {
        const char* what;
        bool overYAxis;
        int steps;
    };
    for (const Zoom z : {Zoom{"in over the plot", false, 2}, Zoom{"out over the y axis", true, -3},
                         Zoom{"in over the y axis", true, 4}}) {
        const QRect plot = g.chart.axisRect()->rect();
        const QPoint at = z.overYAxis ? QPoint(plot.left() - 15, plot.center().y() + 20) : plot.center();
        g.wheel(at, z.steps);
        const QCPRange shown = g.chart.yAxis->range();
        EXPECT_EQ(g.chart.caption(kGraphYMinCaption), platform::Hex(platform::RoundHalfEven(shown.lower))) << z.what;
        EXPECT_EQ(g.chart.caption(kGraphYMaxCaption), platform::Hex(platform::RoundHalfEven(shown.upper))) << z.what;
        for (int16_t k : {kGraphYMinCaption, kGraphYMaxCaption}) {
            EXPECT_NE(g.chart.caption(k), "yMin") << z.what;
            EXPECT_NE(g.chart.caption(k), "yMax") << z.what;
        }
    }
    EXPECT_NE(g.chart.caption(kGraphYMaxCaption), high);

    QTest::mouseDClick(&g.chart, Qt::LeftButton, Qt::NoModifier, g.plotCentre());
    EXPECT_EQ(g.chart.caption(kGraphYMinCaption), low);
    EXPECT_EQ(g.chart.caption(kGraphYMaxCaption), high);
}

TEST(GraphZoom, AFlatLineKeepsItsRealBoundsUntilTheUserZooms) {
    Graph g({0x900000, 0x900000, 0x900000, 0x900000});
    EXPECT_EQ(g.chart.caption(kGraphYMinCaption), "900000");
    EXPECT_EQ(g.chart.caption(kGraphYMaxCaption), "900000");
    g.wheel(g.plotCentre(), -2);  // out: the drawn range around the value grows
    EXPECT_NE(g.chart.caption(kGraphYMinCaption), g.chart.caption(kGraphYMaxCaption));
    EXPECT_EQ(g.chart.caption(kGraphYMinCaption), platform::Hex(platform::RoundHalfEven(g.chart.yAxis->range().lower)));
    if (const QByteArray dir = qgetenv("QB_SCREENSHOT_DIR"); !dir.isEmpty())
        g.form.grab().save(QString::fromLocal8Bit(dir) + "/GraphFlatZoomed.png");
}

// ---- buttons ------------------------------------------------------------------------------------

TEST(GraphButtons, GridButtonsSwitchTheGridAndBackCloses) {
    link::SharedSettings s = Buffer(NoisyCodes(20));
    GraphForm form(s);
    auto* on = form.findChild<QPushButton*>("GridCommand");
    auto* off = form.findChild<QPushButton*>("Command3D1");
    auto* back = form.findChild<QPushButton*>("GraphQuitCommand");
    ASSERT_TRUE(on && off && back);
    EXPECT_EQ(on->text(), "Grid On");
    EXPECT_EQ(off->text(), "Grid Off");
    EXPECT_EQ(back->text(), "Back...");

    std::vector<int32_t> modes;
    QTimer::singleShot(0, &form, [&] {
        off->click();
        modes.push_back(form.chart().gridMode());
        on->click();
        modes.push_back(form.chart().gridMode());
        off->click();
        modes.push_back(form.chart().gridMode());
        back->click();
    });
    form.showModal();
    EXPECT_EQ(modes, (std::vector<int32_t>{0, 3, 0}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.caption(), "QB4160 Graph");
}

// ---- pictures -----------------------------------------------------------------------------------

// Pixels of the trace's blue inside the chart.
int TracePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 140 && c.red() < 90 && c.green() < 130) ++n;
        }
    return n;
}

// Pixels of the cursor line's colour.
int CursorPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.red() > 150 && c.green() < 80 && c.blue() > 50 && c.blue() < 140)
                ++n;
    return n;
}

// The window as a user sees it; with QB_SCREENSHOT_DIR set the picture is kept there.
TEST(GraphPicture, TheWindowShowsTheTrace) {
    Graph g(NoisyCodes(500));
    g.chart.redraw();
    const QImage image = g.form.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(TracePixels(image), 2000);
    EXPECT_GT(CursorPixels(image), 50) << "the cursor line stands at the first reading";
    if (const QByteArray dir = qgetenv("QB_SCREENSHOT_DIR"); !dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + "/GraphForm.png");
}

struct ImageCase {
    const char* name;
    bool histogram;
};

class ChartImage : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ChartImage, WritesAPngOfTheChartOrSaysWhyNot) {
    const bool hist = GetParam().histogram;
    const auto save = [hist](const link::SharedSettings& s, const std::string& path, std::string& error) {
        return hist ? SaveHistogramImage(s, path, error) : SaveGraphImage(s, path, error);
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    link::SharedSettings s = Buffer(NoisyCodes(300));
    s.MaxCode = s.MinCode = 0;  // stale statistics: the images compute their own

    const std::string path = dir.filePath("chart.png").toStdString();
    std::string error;
    ASSERT_TRUE(save(s, path, error)) << error;
    EXPECT_TRUE(error.empty());
    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(kChartImageWidth, kChartImageHeight));
    EXPECT_GT(TracePixels(image), 500);
    EXPECT_EQ(CursorPixels(image), 0) << "the cursor line is left out of the picture";
    if (const QByteArray keep = qgetenv("QB_SCREENSHOT_DIR"); !keep.isEmpty())
        image.save(QString::fromLocal8Bit(keep) + (hist ? "/HistogramImage.png" : "/GraphImage.png"));

    EXPECT_FALSE(save(s, dir.filePath("no/such/dir/chart.png").toStdString(), error));
    EXPECT_NE(error.find("chart.png"), std::string::npos) << error;

    link::SharedSettings empty;
    EXPECT_FALSE(save(empty, path, error));
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Both, ChartImage,
                         ::testing::Values(ImageCase{"Graph", false}, ImageCase{"Histogram", true}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace qb::analysis
