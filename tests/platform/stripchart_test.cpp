// The strip chart: where the cursor goes and when it reports, what the bounds read back before
// and after the user's zoom and pan, where each caption is drawn, tick labels, a logarithmic axis
// and images.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

#include "platform/chart/SpikeColumns.h"
#include "platform/chart/StripChart.h"

namespace qb::platform {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A shown chart that records its two events.
struct Rig {
    StripChart chart{"StripGraph"};
    std::vector<double> cursorEvents;
    int scaleEvents = 0;

    Rig() {
        chart.resize(800, 500);
        chart.show();
        chart.onCursor([this](double x) { cursorEvents.push_back(x); });
        chart.onScale([this] { ++scaleEvents; });
    }
    // y series 10, 20, ... at x = 1..n (element 0 not drawn), x range 0..n.
    void readings(int n) {
        std::vector<double> y(static_cast<std::size_t>(n) + 1, kNaN);
        for (int i = 1; i <= n; ++i) y[static_cast<std::size_t>(i)] = 10.0 * i;
        chart.loadYSeries(y, 0, 1);
        chart.setXRange(0, n);
        chart.setYAxisUpper(10.0 * n);
        chart.redraw();
    }
    // Histogram spikes (x, 0), (x, 5), (x, 0) at the given codes.
    void spikes(const std::vector<double>& codes) {
        std::vector<double> x, y;
        for (double c : codes) x.insert(x.end(), {c, c, c}), y.insert(y.end(), {0, 5, 0});
        chart.loadXYSeries(x, y, 0);
        chart.setXRange(codes.front(), codes.back());
        chart.redraw();
    }
    QRect plot() const { return chart.axisRect()->rect(); }
    QPoint at(double x, double pixels = 0) const {
        return {static_cast<int>(std::lround(chart.pixelOfX(x) + pixels)), plot().center().y()};
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(pos), chart.mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&chart, &event);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 4; ++i) mouse(QEvent::MouseMove, from + (to - from) * i / 4, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
};

// ---- cursor -------------------------------------------------------------------------------------

struct Step {
    char kind;  // 'k' key, 'c' click at x, 's' set from code to x, 'd' drag the line to x
    double x = 0;
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifier modifier = Qt::NoModifier;
};
Step Key(Qt::Key key, Qt::KeyboardModifier modifier = Qt::NoModifier) { return {'k', 0, key, modifier}; }

// The cursor snaps to whole x inside the data; spikes, or points when the cursor is on points,
// bound it to their x; only the user's moves are reported, never as a move of the view.
TEST(StripChartCursor, SnapsToTheDataAndReportsOnlyTheUsersMoves) {
    enum Data { Readings10, Spikes, Points, None };
    struct Case { const char* name; Data data; std::vector<Step> steps; std::vector<double> events; double finalX; };
    const Case cases[] = {
        {"loading puts it on the first point, arrows stop at the ends", Readings10,
         {Key(Qt::Key_Left), Key(Qt::Key_Right), Key(Qt::Key_Right), Key(Qt::Key_End), Key(Qt::Key_Right)}, {2, 3, 10},
         10},
        {"shift and page keys jump ten", Readings10,
         {Key(Qt::Key_Right, Qt::ShiftModifier), Key(Qt::Key_PageUp), Key(Qt::Key_PageDown)}, {10, 1, 10}, 10},
        {"a click snaps to the nearest whole x", Readings10, {{'c', 4.3}, {'c', 4.7}, {'c', 5.1}}, {4, 5, 5}, 5},
        {"setting from code rounds halves to even and raises nothing", Readings10,
         {{'s', 6.5}, {'s', 7.5}, {'s', 99}, {'s', -4}, {'s', kNaN}}, {}, 1},
        {"dragging the line follows the mouse", Readings10, {{'s', 3}, {'d', 7}}, {4, 5, 6, 7}, 7},
        {"dragging beyond the data stops at its end", Readings10, {{'s', 9}, {'d', 10.45}}, {10}, 10},
        {"spikes bound the cursor to their codes", Spikes,
         {Key(Qt::Key_Left), Key(Qt::Key_Right), Key(Qt::Key_End), {'s', 200}}, {101, 105}, 105},
        {"ctrl arrows jump to the next point", Spikes,
         {Key(Qt::Key_Right, Qt::ControlModifier), Key(Qt::Key_Right, Qt::ControlModifier), Key(Qt::Key_Left),
          Key(Qt::Key_Left, Qt::ControlModifier), Key(Qt::Key_Left, Qt::ControlModifier)}, {105, 104, 100}, 100},
        {"without data the cursor only rounds", None, {{'s', 2.5}, Key(Qt::Key_Right), Key(Qt::Key_Home)}, {3}, 3},
        {"on points it goes from point to point", Points,  // points at 0.3 k, k = 0..20
         {{'s', 1.0}, Key(Qt::Key_Right), Key(Qt::Key_Right, Qt::ShiftModifier), Key(Qt::Key_PageDown),
          Key(Qt::Key_Left), {'c', 2.0}}, {1.2, 4.2, 6.0, 5.7, 2.1}, 2.1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        if (c.data == Readings10) r.readings(10);
        if (c.data == Spikes) r.spikes({100, 105});
        if (c.data == None) r.chart.redraw();
        if (c.data == Points) {
            std::vector<double> hz, density;
            for (int k = 0; k <= 20; ++k) hz.push_back(0.3 * k), density.push_back(1.0 + k);
            r.chart.setCursorOnPoints(true);
            r.chart.loadXYSeries(hz, density, 0);
            r.chart.setXRange(0, 6);
            r.chart.redraw();
        }
        for (const Step& s : c.steps) {
            if (s.kind == 'k') QTest::keyClick(&r.chart, s.key, s.modifier);
            if (s.kind == 'c') QTest::mouseClick(&r.chart, Qt::LeftButton, Qt::NoModifier, r.at(s.x));
            if (s.kind == 's') r.chart.setCursorPosition(s.x);
            if (s.kind == 'd') r.drag(r.at(r.chart.cursorPosition()), r.at(s.x));
        }
        ASSERT_EQ(r.cursorEvents.size(), c.events.size());
        for (std::size_t i = 0; i < c.events.size(); ++i) EXPECT_NEAR(r.cursorEvents[i], c.events[i], 1e-12) << i;
        EXPECT_NEAR(r.chart.cursorPosition(), c.finalX, 1e-12);
        EXPECT_EQ(r.scaleEvents, 0) << "moving the cursor must not move the view";
    }
}

// Where one pixel spans many codes, a click within reach of a point takes it; further off, the
// whole code under the mouse.
TEST(StripChartCursor, AClickWithinReachOfAPointTakesItWhereOnePixelSpansManyCodes) {
    Rig r;
    r.spikes({0, 1000003, 16000000});
    ASSERT_GT(16000000.0 / r.chart.axisRect()->width(), 1000) << "codes per pixel";
    for (const double pixels : {0.0, 3.0, -3.0, 12.0}) {
        QTest::mouseClick(&r.chart, Qt::LeftButton, Qt::NoModifier, r.at(1000003, pixels));
        EXPECT_EQ(r.chart.cursorPosition() == 1000003, pixels != 12) << pixels << " px";
        EXPECT_EQ(r.chart.valueAtCursor(0), 5) << "the top of the nearest spike";
        EXPECT_EQ(r.chart.cursorPosition(), std::round(r.chart.cursorPosition())) << "whole codes only";
        EXPECT_EQ(r.cursorEvents.back(), r.chart.cursorPosition());
        r.chart.setCursorPosition(0);
    }
}

// ---- captions and ticks ---------------------------------------------------------

TEST(StripChartCaptions, EachCaptionIsDrawnInThePlaceItsWindowGivesIt) {
    StripChart chart("StripGraph");  // the fast-step window's numbering
    const CaptionRole roles[] = {CaptionRole::Title,     CaptionRole::YAxisTitle, CaptionRole::XAxisTitle,
                                 CaptionRole::TraceName, CaptionRole::TraceName,  CaptionRole::YAxisLowEnd,
                                 CaptionRole::YAxisHighEnd};
    const char* texts[] = {"Graph", "Value(Hex)", "Code Read", "FastStep Off", "FastStep On", "yMin", "YMax"};
    for (int16_t i = 6; i >= 0; --i) chart.setCaptionRole(i, roles[i], i == 4 ? 1 : 0);  // trace 1 named first
    for (int16_t i = 0; i < 7; ++i) chart.setCaption(i, texts[i]);
    chart.setCaption(9, "kept, not drawn");
    chart.loadYSeries(std::vector<double>{0, 1, 2}, 0, 1);
    chart.loadYSeries(std::vector<double>{0, 3, 4}, 1, 1);
    chart.redraw();
    const auto drawn = [&] {  // title, axis titles, legend entries, the axis-end texts shown
        auto* title = qobject_cast<QCPTextElement*>(chart.plotLayout()->element(0, 0));
        QStringList out{title ? title->text() : "<no title>", chart.xAxis->label(), chart.yAxis->label()};
        for (int i = 0; i < chart.legend->itemCount(); ++i)
            if (auto* entry = qobject_cast<QCPPlottableLegendItem*>(chart.legend->item(i)))
                out << entry->plottable()->name();
        for (int i = 0; i < chart.itemCount(); ++i)
            if (auto* t = qobject_cast<QCPItemText*>(chart.item(i)); t && t->visible()) out << t->text();
        return out;
    };
    EXPECT_EQ(drawn(), QStringList({"Graph", "Code Read", "Value(Hex)", "FastStep Off", "FastStep On", "yMin", "YMax"}));
    EXPECT_EQ(chart.caption(9), "kept, not drawn");
    chart.setCaption(6, "900004");  // replacing a caption replaces its drawing; an empty end text is not drawn
    chart.setCaption(5, "");
    chart.setCaptionRole(0, CaptionRole::XAxisTitle);  // a caption moved elsewhere leaves its old place empty
    chart.setCaptionRole(3, CaptionRole::None);
    EXPECT_EQ(drawn(), QStringList({"", "Graph", "Value(Hex)", "FastStep On", "900004"}));
}

TEST(StripChartTicks, LabelsInTheAxisNotationOnWholeNumbers) {
    struct Case { TickNotation notation; double lo, hi; const char* mustShow; };  // the third: zoomed below one code
    for (const Case& c : {Case{TickNotation::Hex, 0x8FFFF0, 0x900010, "900000"},
                          Case{TickNotation::Decimal, 9437180, 9437190, "9437184"},
                          Case{TickNotation::Hex, 0x900000 - 0.2, 0x900000 + 0.3, "900000"},
                          Case{TickNotation::Decimal, 0, 14, "10"},  // counts: not 2.5, 7.5, ...
                          Case{TickNotation::Decimal, 0, 130, "100"}, Case{TickNotation::Decimal, 0, 3, "3"}}) {
        Rig r;
        r.chart.setTickNotation(Qt::Vertical, c.notation);
        r.chart.setYAxisLower(c.lo);
        r.chart.setYAxisUpper(c.hi);
        r.chart.redraw();
        const QVector<QString> labels = r.chart.yAxis->tickVectorLabels();
        for (double t : r.chart.yAxis->tickVector()) EXPECT_EQ(t, std::round(t)) << c.lo;
        EXPECT_TRUE(labels.contains(c.mustShow)) << c.lo;
        for (const QString& l : labels) EXPECT_FALSE(l.contains('e') || l.contains('.')) << l.toStdString();
    }
}

// ---- images: the file is written by the safe save, so a failed save leaves the old one ---------

TEST(StripChartImages, SavesPngAndPdfAndSaysWhyNot) {
    QTemporaryDir dir;
    Rig r;
    r.readings(50);
    for (const auto& [format, name, magic] : {std::tuple{ChartImageFormat::Png, "c.png", "\x89PNG"},
                                              std::tuple{ChartImageFormat::Pdf, "c.pdf", "%PDF"}}) {
        const Result<> written = r.chart.saveImage(dir.filePath(name), format, 400, 300);
        ASSERT_TRUE(written.ok()) << written.error();
        QFile saved(dir.filePath(name));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_TRUE(saved.read(4).startsWith(magic)) << name;
    }
    EXPECT_EQ(r.chart.saveImage(dir.filePath("missing/c.pdf"), ChartImageFormat::Pdf).error(),
              "the directory " + dir.filePath("missing").toStdString() + " does not exist");
    EXPECT_EQ(r.chart.saveImage("  ", ChartImageFormat::Png).error(), "No file name was given for the chart image.");
}

// ---- spikes: one per pixel column, the tallest --------------------------------------------------

TEST(SpikeColumns, EachColumnKeepsItsTallestPointAndALonePointShows) {
    using Spikes = std::vector<std::pair<int, double>>;
    const struct { const char* name; std::vector<double> px, y; Spikes want; } cases[] = {
        {"a lone point", {12.0}, {1}, {{12, 1}}},
        {"one column, the tallest wins", {11.6, 12.0, 12.4}, {3, 9, 4}, {{12, 9}}},
        {"to the nearest column", {10.49, 10.5, 13.2}, {1, 2, 3}, {{10, 1}, {11, 2}, {13, 3}}},
        {"out of the columns or not a number", {9.4, 20.5, kNaN, 15}, {5, 5, 5, kNaN}, {}},
        {"zero heights still count", {10, 10, 19}, {0, 0, 7}, {{10, 0}, {19, 7}}},
        {"any order", {19, 10, 19, 10}, {2, 1, 8, 6}, {{10, 6}, {19, 8}}},
    };
    for (const auto& c : cases) {
        Spikes got;
        for (const ColumnSpike& s : TallestPerColumn(c.px, c.y, 10, 10)) got.emplace_back(s.column, s.top);
        EXPECT_EQ(got, c.want) << c.name;
    }
}

} // namespace
} // namespace qb::platform
