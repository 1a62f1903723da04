// The strip chart: where the cursor goes and when it reports, what the bounds read back before
// and after the user's zoom and pan, where each caption is drawn, grid modes, tick labels and
// image export.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/StripChart.h"

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
        chart.setYAxisLower(0);
        chart.setYAxisUpper(10.0 * n);
        chart.redraw();
    }
    QPoint at(double x) const {
        return {static_cast<int>(std::lround(chart.pixelOfX(x))), chart.axisRect()->rect().center().y()};
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(pos), chart.mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&chart, &event);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        const int steps = 4;
        for (int i = 1; i <= steps; ++i)
            mouse(QEvent::MouseMove, from + (to - from) * i / steps, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void wheel(QPoint pos, int steps) {
        QWheelEvent event(QPointF(pos), chart.mapToGlobal(QPointF(pos)), QPoint(), QPoint(0, 120 * steps),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &event);
    }
};

// ---- cursor -------------------------------------------------------------------------------------

enum class Data { Readings10, HistogramSpikes, None };
enum class Act { Key, ShiftKey, CtrlKey, Click, Set, DragLineTo };

struct Action {
    Act act;
    double value = 0;  // x for Click/Set/DragLineTo
    Qt::Key key = Qt::Key_unknown;
};

struct CursorCase {
    const char* name;
    Data data;
    std::vector<Action> actions;
    std::vector<double> events;
    double finalX;
};

void PrintTo(const CursorCase& c, std::ostream* os) { *os << c.name; }

Action key(Qt::Key k) { return {Act::Key, 0, k}; }

class CursorMoves : public ::testing::TestWithParam<CursorCase> {};

TEST_P(CursorMoves, SnapToWholeNumbersInsideTheDataAndReportOnlyTheUsersMoves) {
    const CursorCase& c = GetParam();
    Rig r;
    if (c.data == Data::Readings10) r.readings(10);
    if (c.data == Data::HistogramSpikes) {
        const std::vector<double> x{100, 100, 100, 105, 105, 105}, y{0, 2, 0, 0, 1, 0};
        r.chart.loadXYSeries(x, y, 0);
        r.chart.setXRange(100, 105);
        r.chart.setYAxisUpper(2);
        r.chart.redraw();
    }
    if (c.data == Data::None) r.chart.redraw();
    for (const Action& a : c.actions) {
        switch (a.act) {
        case Act::Key: QTest::keyClick(&r.chart, a.key); break;
        case Act::ShiftKey: QTest::keyClick(&r.chart, a.key, Qt::ShiftModifier); break;
        case Act::CtrlKey: QTest::keyClick(&r.chart, a.key, Qt::ControlModifier); break;
        case Act::Click: QTest::mouseClick(&r.chart, Qt::LeftButton, Qt::NoModifier, r.at(a.value)); break;
        case Act::Set: r.chart.setCursorPosition(a.value); break;
        case Act::DragLineTo: r.drag(r.at(r.chart.cursorPosition()), r.at(a.value)); break;
        }
    }
    EXPECT_EQ(r.cursorEvents, c.events);
    EXPECT_EQ(r.chart.cursorPosition(), c.finalX);
    EXPECT_EQ(r.scaleEvents, 0) << "moving the cursor must not move the view";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CursorMoves,
    ::testing::Values(
        CursorCase{"LoadingPutsItOnTheFirstPoint", Data::Readings10, {}, {}, 1},
        CursorCase{"ArrowsStepAndStopAtTheEnds", Data::Readings10,
                   {key(Qt::Key_Left), key(Qt::Key_Right), key(Qt::Key_Right), key(Qt::Key_End),
                    key(Qt::Key_Right)},
                   {2, 3, 10}, 10},
        CursorCase{"ShiftAndPageKeysJumpTen", Data::Readings10,
                   {{Act::ShiftKey, 0, Qt::Key_Right}, key(Qt::Key_PageUp), key(Qt::Key_PageDown)},
                   {10, 1, 10}, 10},
        CursorCase{"ClickSnapsToTheNearestWholeX", Data::Readings10,
                   {{Act::Click, 4.3}, {Act::Click, 4.7}, {Act::Click, 5.1}},
                   {4, 5, 5}, 5},
        CursorCase{"SettingFromCodeRoundsHalvesToEvenAndRaisesNothing", Data::Readings10,
                   {{Act::Set, 6.5}, {Act::Set, 7.5}, {Act::Set, 99}, {Act::Set, -4}, {Act::Set, kNaN}},
                   {}, 1},
        CursorCase{"DraggingTheLineFollowsTheMouse", Data::Readings10,
                   {{Act::Set, 3}, {Act::DragLineTo, 7}},
                   {4, 5, 6, 7}, 7},
        CursorCase{"DraggingBeyondTheDataStopsAtItsEnd", Data::Readings10,
                   {{Act::Set, 9}, {Act::DragLineTo, 10.45}},
                   {10}, 10},
        CursorCase{"SpikesBoundTheCursorToTheirCodes", Data::HistogramSpikes,
                   {key(Qt::Key_Left), key(Qt::Key_Right), key(Qt::Key_End), {Act::Set, 200}},
                   {101, 105}, 105},
        CursorCase{"CtrlArrowsJumpToTheNextPoint", Data::HistogramSpikes,
                   {{Act::CtrlKey, 0, Qt::Key_Right}, {Act::CtrlKey, 0, Qt::Key_Right}, key(Qt::Key_Left),
                    {Act::CtrlKey, 0, Qt::Key_Left}, {Act::CtrlKey, 0, Qt::Key_Left}},
                   {105, 104, 100}, 100},
        CursorCase{"WithoutDataTheCursorOnlyRounds", Data::None,
                   {{Act::Set, 2.5}, key(Qt::Key_Right), key(Qt::Key_Home)},
                   {3}, 3}),
    [](const auto& info) { return info.param.name; });

TEST(CursorClicks, AClickWithinReachOfAPointTakesItWhereOnePixelSpansManyCodes) {
    Rig r;
    const std::vector<double> x{0, 0, 0, 1000003, 1000003, 1000003, 16000000, 16000000, 16000000};
    const std::vector<double> y{0, 5, 0, 0, 9, 0, 0, 1, 0};
    r.chart.loadXYSeries(x, y, 0);
    r.chart.setXRange(0, 16000000);
    r.chart.setYAxisUpper(9);
    r.chart.redraw();
    const double perPixel = 16000000.0 / r.chart.axisRect()->width();
    ASSERT_GT(perPixel, 1000);
    struct Click {
        double pixelsFromSpike;
        bool takesSpike;
    };
    for (const Click c : {Click{0, true}, Click{3, true}, Click{-3, true}, Click{12, false}}) {
        const QPoint at(static_cast<int>(std::lround(r.chart.pixelOfX(1000003) + c.pixelsFromSpike)),
                        r.chart.axisRect()->rect().center().y());
        QTest::mouseClick(&r.chart, Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(r.chart.cursorPosition() == 1000003, c.takesSpike) << c.pixelsFromSpike << " px";
        EXPECT_EQ(r.chart.cursorPosition(), std::round(r.chart.cursorPosition())) << "whole codes only";
        EXPECT_EQ(r.cursorEvents.back(), r.chart.cursorPosition());
        r.chart.setCursorPosition(0);
    }
}

// ---- value at the cursor ------------------------------------------------------------------------

struct ValueCase {
    const char* name;
    std::vector<double> x;  // empty: a y series
    std::vector<double> y;
    std::size_t first;      // y series: first element drawn
    int trace;
    double cursor;
    double expected;        // NaN: no value
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }

class ValueAtCursor : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueAtCursor, ReadsTheTraceAtTheCursor) {
    const ValueCase& c = GetParam();
    StripChart chart("chart");
    if (c.x.empty())
        chart.loadYSeries(c.y, c.trace, c.first);
    else
        chart.loadXYSeries(c.x, c.y, c.trace);
    chart.setCursorPosition(c.cursor);
    const double v = chart.valueAtCursor(c.trace);
    if (std::isnan(c.expected))
        EXPECT_TRUE(std::isnan(v)) << v;
    else
        EXPECT_EQ(v, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueAtCursor,
    ::testing::Values(
        ValueCase{"ElementAtItsIndex", {}, {0, 8388607, 9437184, 5}, 1, 0, 2, 9437184},
        ValueCase{"ElementZeroNotDrawnIsNeverRead", {}, {123, 8388607, 9437184}, 1, 0, 0, 8388607},
        ValueCase{"ElementZeroWhenDrawn", {}, {123, 8388607}, 0, 0, 0, 123},
        ValueCase{"SecondTrace", {}, {0, 1, 2, 3}, 1, 1, 3, 3},
        ValueCase{"SpikeGivesItsCount", {100, 100, 100, 105, 105, 105}, {0, 2, 0, 0, 7, 0}, 0, 0, 105, 7},
        ValueCase{"BetweenSpikesTheNearest", {100, 100, 100, 105, 105, 105}, {0, 2, 0, 0, 7, 0}, 0, 0, 103, 7},
        ValueCase{"PointsInAnyOrder", {5, 1, 3}, {50, 10, 30}, 0, 0, 3, 30},
        ValueCase{"EmptyTrace", {}, {}, 0, 0, 0, kNaN},
        ValueCase{"NoSuchTrace", {}, {1, 2}, 0, 5, 0, kNaN}),
    [](const auto& info) { return info.param.name; });

TEST(StripChartData, ClearEmptiesTheTracesAndKeepsCaptionsAndRanges) {
    StripChart chart("chart");
    chart.setCaptionRole(0, CaptionRole::Title);
    chart.setCaption(0, "Graph");
    chart.loadYSeries(std::vector<double>{1, 2, 3}, 0);
    chart.loadYSeries(std::vector<double>{4, 5}, 1);
    chart.setXRange(0, 3);
    chart.clearTraces();
    EXPECT_EQ(chart.tracePoints(0), 0u);
    EXPECT_EQ(chart.tracePoints(1), 0u);
    EXPECT_TRUE(std::isnan(chart.valueAtCursor(0)));
    EXPECT_EQ(chart.caption(0), "Graph");
    EXPECT_EQ(chart.xAxisUpperShown(), 3.0);
}

// ---- view: bounds and the scale event -----------------------------------------------------------

TEST(StripChartView, BoundsReadBackAsSetUntilTheUserChangesTheView) {
    Rig r;
    r.chart.setViewPadding(Qt::Horizontal, 0.05);
    r.chart.loadYSeries(std::vector<double>{0, 7, 7, 7}, 0, 1);
    r.chart.setTraceScaleUpper(7);
    r.chart.setTraceScaleLower(7);
    r.chart.setYAxisUpper(7);
    r.chart.setYAxisLower(7);
    r.chart.setXRange(10, 0);  // given backwards
    r.chart.redraw();

    // Read back exactly, though the chart draws more: equal bounds around their value, padding.
    EXPECT_EQ(r.chart.yAxisUpperShown(), 7.0);
    EXPECT_EQ(r.chart.yAxisLowerShown(), 7.0);
    EXPECT_EQ(r.chart.traceScaleUpper(), 7.0);
    EXPECT_EQ(r.chart.xAxisLowerShown(), 0.0);
    EXPECT_EQ(r.chart.xAxisUpperShown(), 10.0);
    EXPECT_LT(r.chart.yAxis->range().lower, 7.0);
    EXPECT_GT(r.chart.yAxis->range().upper, 7.0);
    EXPECT_DOUBLE_EQ(r.chart.xAxis->range().lower, -0.5);
    EXPECT_DOUBLE_EQ(r.chart.xAxis->range().upper, 10.5);
    EXPECT_EQ(r.scaleEvents, 0) << "ranges set from code raise no scale event";

    r.wheel(r.chart.axisRect()->rect().center(), 1);
    EXPECT_EQ(r.scaleEvents, 1);
    EXPECT_TRUE(r.chart.userView());
    EXPECT_EQ(r.chart.xAxisLowerShown(), r.chart.xAxis->range().lower);
    EXPECT_EQ(r.chart.yAxisUpperShown(), r.chart.yAxis->range().upper);
    EXPECT_GT(r.chart.xAxisLowerShown(), -0.5);

    QTest::mouseDClick(&r.chart, Qt::LeftButton, Qt::NoModifier, r.chart.axisRect()->rect().center());
    EXPECT_EQ(r.scaleEvents, 2);
    EXPECT_FALSE(r.chart.userView());
    EXPECT_EQ(r.chart.yAxisLowerShown(), 7.0);
    EXPECT_EQ(r.chart.xAxisUpperShown(), 10.0);

    // A double click at the full range changes nothing and says nothing.
    QTest::mouseDClick(&r.chart, Qt::LeftButton, Qt::NoModifier, r.chart.axisRect()->rect().center());
    EXPECT_EQ(r.scaleEvents, 2);

    // Plotting anew returns to the full range without an event.
    r.wheel(r.chart.axisRect()->rect().center(), -1);
    ASSERT_EQ(r.scaleEvents, 3);
    r.chart.setXRange(0, 20);
    EXPECT_FALSE(r.chart.userView());
    EXPECT_EQ(r.chart.xAxisUpperShown(), 20.0);
    EXPECT_EQ(r.scaleEvents, 3);
}

TEST(StripChartView, BoundsThatAreNotNumbersLeaveTheDrawnRangeUsable) {
    StripChart chart("chart");
    chart.setXRange(0, 10);
    chart.setYAxisLower(kNaN);
    chart.setYAxisUpper(std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(chart.yAxisLowerShown()));
    EXPECT_GT(chart.yAxis->range().size(), 0.0);
    EXPECT_TRUE(std::isfinite(chart.yAxis->range().lower));
    chart.setXRange(-1e300, 1e300);
    EXPECT_GT(chart.xAxis->range().size(), 0.0);
    EXPECT_TRUE(std::isfinite(chart.xAxis->range().upper));
}

enum class Gesture { WheelInPlot, WheelOnYAxis, WheelOnXAxis, DragInPlot, ShortShake, ClickOnly };

struct GestureCase {
    const char* name;
    Gesture gesture;
    bool xChanges, yChanges;
};

void PrintTo(const GestureCase& c, std::ostream* os) { *os << c.name; }

class UserView : public ::testing::TestWithParam<GestureCase> {};

TEST_P(UserView, ZoomAndPanMoveTheAxesUnderTheMouseAndRaiseTheScaleEvent) {
    const GestureCase& c = GetParam();
    Rig r;
    r.readings(100);
    const QRect plot = r.chart.axisRect()->rect();
    const QCPRange x0 = r.chart.xAxis->range(), y0 = r.chart.yAxis->range();
    switch (c.gesture) {
    case Gesture::WheelInPlot: r.wheel(plot.center(), 2); break;
    case Gesture::WheelOnYAxis: r.wheel(QPoint(plot.left() - 12, plot.center().y()), 2); break;
    case Gesture::WheelOnXAxis: r.wheel(QPoint(plot.center().x(), plot.bottom() + 10), 2); break;
    case Gesture::DragInPlot: r.drag(plot.center(), plot.center() + QPoint(-120, 60)); break;
    case Gesture::ShortShake: r.drag(plot.center() + QPoint(50, 0), plot.center() + QPoint(51, 1)); break;
    case Gesture::ClickOnly: QTest::mouseClick(&r.chart, Qt::LeftButton, Qt::NoModifier, plot.center()); break;
    }
    EXPECT_EQ(r.chart.xAxis->range() != x0, c.xChanges);
    EXPECT_EQ(r.chart.yAxis->range() != y0, c.yChanges);
    if (c.xChanges || c.yChanges) {
        EXPECT_GE(r.scaleEvents, 1);
        EXPECT_EQ(r.chart.xAxisLowerShown(), r.chart.xAxis->range().lower);
        EXPECT_EQ(r.chart.yAxisUpperShown(), r.chart.yAxis->range().upper);
    } else {
        EXPECT_EQ(r.scaleEvents, 0);
    }
    // Only a click without a drag places the cursor.
    const bool placed = c.gesture == Gesture::ClickOnly || c.gesture == Gesture::ShortShake;
    EXPECT_EQ(!r.cursorEvents.empty(), placed);
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, UserView,
    ::testing::Values(GestureCase{"WheelInThePlotZoomsBoth", Gesture::WheelInPlot, true, true},
                      GestureCase{"WheelOnTheYAxisZoomsY", Gesture::WheelOnYAxis, false, true},
                      GestureCase{"WheelOnTheXAxisZoomsX", Gesture::WheelOnXAxis, true, false},
                      GestureCase{"DragPansBoth", Gesture::DragInPlot, true, true},
                      GestureCase{"AShakeWithinTheDragDistanceIsAClick", Gesture::ShortShake, false, false},
                      GestureCase{"AClickLeavesTheView", Gesture::ClickOnly, false, false}),
    [](const auto& info) { return info.param.name; });

// ---- captions -----------------------------------------------------------------------------------

// The texts of the chart's visible text items (the axis-end texts).
std::vector<std::string> VisibleItemTexts(StripChart& chart) {
    std::vector<std::string> out;
    for (int i = 0; i < chart.itemCount(); ++i)
        if (auto* t = qobject_cast<QCPItemText*>(chart.item(i)); t && t->visible())
            out.push_back(t->text().toStdString());
    std::sort(out.begin(), out.end());
    return out;
}

std::string TitleText(StripChart& chart) {
    for (int i = 0; i < chart.plotLayout()->elementCount(); ++i)
        if (auto* t = qobject_cast<QCPTextElement*>(chart.plotLayout()->elementAt(i))) return t->text().toStdString();
    return "<no title>";
}

TEST(StripChartCaptions, EachCaptionIsDrawnInThePlaceItsWindowGivesIt) {
    StripChart chart("StripGraph");
    // The fast-step window's numbering: two named traces and the y-axis end texts.
    chart.setCaptionRole(0, CaptionRole::Title);
    chart.setCaptionRole(1, CaptionRole::YAxisTitle);
    chart.setCaptionRole(2, CaptionRole::XAxisTitle);
    chart.setCaptionRole(4, CaptionRole::TraceName, 1);  // named before trace 0
    chart.setCaptionRole(3, CaptionRole::TraceName, 0);
    chart.setCaptionRole(5, CaptionRole::YAxisLowEnd);
    chart.setCaptionRole(6, CaptionRole::YAxisHighEnd);
    const std::vector<std::string> texts{"Graph", "Value(Hex)", "Code Read", "FastStep Off", "FastStep On", "yMin", "YMax"};
    for (int16_t i = 0; i < 7; ++i) chart.setCaption(i, texts[static_cast<std::size_t>(i)]);
    chart.setCaption(9, "kept, not drawn");
    chart.loadYSeries(std::vector<double>{0, 1, 2}, 0, 1);
    chart.loadYSeries(std::vector<double>{0, 3, 4}, 1, 1);
    chart.redraw();

    EXPECT_EQ(TitleText(chart), "Graph");
    EXPECT_EQ(chart.yAxis->label(), "Value(Hex)");
    EXPECT_EQ(chart.xAxis->label(), "Code Read");
    ASSERT_TRUE(chart.legend->visible());
    ASSERT_EQ(chart.legend->itemCount(), 2);
    const auto legendName = [&](int i) {
        auto* item = qobject_cast<QCPPlottableLegendItem*>(chart.legend->item(i));
        return item ? item->plottable()->name().toStdString() : std::string("<not a trace>");
    };
    EXPECT_EQ(legendName(0), "FastStep Off");
    EXPECT_EQ(legendName(1), "FastStep On");
    EXPECT_EQ(VisibleItemTexts(chart), (std::vector<std::string>{"YMax", "yMin"}));
    EXPECT_EQ(chart.caption(9), "kept, not drawn");

    // Replacing a caption replaces its drawing; an empty end text is not drawn.
    chart.setCaption(6, "900004");
    chart.setCaption(5, "");
    EXPECT_EQ(VisibleItemTexts(chart), (std::vector<std::string>{"900004"}));

    // A caption moved to another place leaves the old one empty.
    chart.setCaptionRole(0, CaptionRole::XAxisTitle);
    EXPECT_EQ(TitleText(chart), "");
    EXPECT_EQ(chart.xAxis->label(), "Graph");
    chart.setCaptionRole(3, CaptionRole::None);
    ASSERT_EQ(chart.legend->itemCount(), 1);
    EXPECT_EQ(legendName(0), "FastStep On");
}

TEST(StripChartCaptions, EndTextsStandBesideTheirAxisEnds) {
    Rig r;
    r.chart.setCaptionRole(2, CaptionRole::XAxisLowEnd);
    r.chart.setCaptionRole(3, CaptionRole::XAxisHighEnd);
    r.chart.setCaptionRole(4, CaptionRole::YAxisLowEnd);
    r.chart.setCaptionRole(5, CaptionRole::YAxisHighEnd);
    for (int16_t i = 2; i <= 5; ++i) r.chart.setCaption(i, "ABCDEF");
    r.readings(10);
    r.chart.redraw();
    const QRect plot = r.chart.axisRect()->rect();
    struct Where {
        CaptionRole role;
        QPoint end;          // the axis end
        bool besideLeft;     // y ends: to the left of the axis; x ends: below it
    };
    std::vector<QRectF> boxes;
    for (int i = 0; i < r.chart.itemCount(); ++i)
        if (auto* t = qobject_cast<QCPItemText*>(r.chart.item(i)); t && t->visible())
            boxes.push_back(QRectF(t->topLeft->pixelPosition(), t->bottomRight->pixelPosition()));
    ASSERT_EQ(boxes.size(), 4u);
    int leftOfYAxis = 0, belowXAxis = 0;
    for (const QRectF& b : boxes) {
        EXPECT_TRUE(r.chart.rect().contains(b.toAlignedRect())) << "inside the widget";
        if (b.right() <= plot.left() && (std::abs(b.center().y() - plot.top()) < 3 || std::abs(b.center().y() - plot.bottom()) < 3))
            ++leftOfYAxis;
        if (b.top() >= plot.bottom() && (std::abs(b.center().x() - plot.left()) < 3 || std::abs(b.center().x() - plot.right()) < 3))
            ++belowXAxis;
    }
    EXPECT_EQ(leftOfYAxis, 2);
    EXPECT_EQ(belowXAxis, 2);
}

// ---- grid ---------------------------------------------------------------------------------------

TEST(StripChartGrid, ModesShowTheGridLinesOfTheirAxes) {
    struct Case {
        int32_t mode;
        bool x, y;
    };
    StripChart chart("chart");
    for (const Case c : {Case{3, true, true}, Case{0, false, false}, Case{1, true, false}, Case{2, false, true},
                         Case{StripChart::kGridOn, true, true}}) {
        chart.setGridMode(c.mode);
        EXPECT_EQ(chart.gridMode(), c.mode);
        EXPECT_EQ(chart.xAxis->grid()->visible(), c.x) << "mode " << c.mode;
        EXPECT_EQ(chart.yAxis->grid()->visible(), c.y) << "mode " << c.mode;
    }
}

// ---- tick labels --------------------------------------------------------------------------------

TEST(StripChartTicks, LabelsInTheAxisNotationOnWholeNumbers) {
    struct Case {
        const char* what;
        TickNotation notation;
        double lo, hi;
        const char* mustShow;  // one label that must appear
    };
    const std::vector<Case> cases = {
        {"hex codes", TickNotation::Hex, 0x8FFFF0, 0x900010, "900000"},
        {"decimal codes without exponent", TickNotation::Decimal, 9437180, 9437190, "9437184"},
        {"decimal counts", TickNotation::Decimal, 0, 100, "100"},
        {"zoomed below one code", TickNotation::Hex, 0x900000 - 0.2, 0x900000 + 0.3, "900000"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.chart.setTickNotation(Qt::Vertical, c.notation);
        r.chart.setYAxisLower(c.lo);
        r.chart.setYAxisUpper(c.hi);
        r.chart.redraw();
        const QVector<double> ticks = r.chart.yAxis->tickVector();
        const QVector<QString> labels = r.chart.yAxis->tickVectorLabels();
        ASSERT_FALSE(ticks.isEmpty()) << c.what;
        for (double t : ticks) EXPECT_EQ(t, std::round(t)) << c.what;
        EXPECT_TRUE(labels.contains(QString::fromUtf8(c.mustShow))) << c.what;
        for (const QString& l : labels) EXPECT_FALSE(l.contains('e') || l.contains('.')) << c.what << ": " << l.toStdString();
    }
    StripChart chart("chart");
    chart.setTickNotation(Qt::Horizontal, TickNotation::Hex);
    EXPECT_EQ(chart.tickText(Qt::Horizontal, 8388607), "7FFFFF");
    EXPECT_EQ(chart.tickText(Qt::Vertical, 16777215), "16777215");
}

TEST(StripChartTicks, TickLabelsGiveWayToAnEndText) {
    for (const bool withEndText : {false, true}) {
        Rig r;
        r.chart.setCaptionRole(3, CaptionRole::YAxisLowEnd);
        r.chart.setCaption(3, withEndText ? "0" : "");
        r.chart.setYAxisLower(0);
        r.chart.setYAxisUpper(100);
        r.chart.redraw();
        r.chart.redraw();  // laid out: the labels fit the axis length
        const QVector<double> ticks = r.chart.yAxis->tickVector();
        const QVector<QString> labels = r.chart.yAxis->tickVectorLabels();
        ASSERT_EQ(ticks.size(), labels.size());
        for (int i = 0; i < ticks.size(); ++i) {
            if (ticks[i] != 0) continue;
            EXPECT_EQ(labels[i].isEmpty(), withEndText);
        }
        // Labels away from the end stay.
        EXPECT_TRUE(labels.contains("60")) << withEndText;
    }
}

// ---- images -------------------------------------------------------------------------------------

TEST(StripChartImages, SavesPngAndPdfAndSaysWhyNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Rig r;
    r.readings(50);
    struct Case {
        ChartImageFormat format;
        QString file;
        bool ok;
        QByteArray magic;
    };
    const std::vector<Case> cases = {
        {ChartImageFormat::Png, dir.filePath("c.png"), true, "\x89PNG"},
        {ChartImageFormat::Pdf, dir.filePath("c.pdf"), true, "%PDF"},
        {ChartImageFormat::Png, dir.filePath("missing/c.png"), false, {}},
        {ChartImageFormat::Pdf, dir.filePath("missing/c.pdf"), false, {}},
        {ChartImageFormat::Png, "  ", false, {}},
    };
    for (const Case& c : cases) {
        std::string error = "stale";
        EXPECT_EQ(r.chart.saveImage(c.file, c.format, error, 400, 300), c.ok) << c.file.toStdString();
        if (c.ok) {
            EXPECT_TRUE(error.empty());
            QFile f(c.file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_TRUE(f.read(4).startsWith(c.magic)) << c.file.toStdString();
        } else {
            EXPECT_FALSE(error.empty());
            EXPECT_FALSE(QFile::exists(c.file));
        }
    }
}

// The context menu: full range, and saving through a file dialog.
TEST(StripChartMenu, OffersFullRangeAndSavesThroughTheFileDialog) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Rig r;
    r.chart.setCaptionRole(0, CaptionRole::Title);
    r.chart.setCaption(0, "Graph");
    r.readings(20);
    const QPoint centre = r.chart.axisRect()->rect().center();
    const auto openMenuAndChoose = [&](const QString& entry, std::function<void()> whileOpen = {}) {
        QStringList seen;
        QTimer::singleShot(0, &r.chart, [&, entry, whileOpen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions()) {
                if (!a->isSeparator()) seen << a->text();
            }
            for (QAction* a : menu->actions()) {
                if (a->text() == entry && a->isEnabled()) {
                    if (whileOpen) QTimer::singleShot(0, &r.chart, whileOpen);
                    menu->setActiveAction(a);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, r.chart.mapToGlobal(centre));
        QApplication::sendEvent(&r.chart, &event);
        return seen;
    };

    r.wheel(centre, 2);
    ASSERT_TRUE(r.chart.userView());
    const int before = r.scaleEvents;
    EXPECT_EQ(openMenuAndChoose("Full range"), (QStringList{"Save as PNG...", "Save as PDF...", "Full range"}));
    EXPECT_FALSE(r.chart.userView());
    EXPECT_EQ(r.scaleEvents, before + 1);

    QString offered;
    const QString target = dir.filePath("from-menu");  // the dialog adds the suffix
    // Answers the file dialog once it is up (a few passes of the event loop at most).
    int passes = 0;
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++passes < 100) QTimer::singleShot(0, &r.chart, answer);
            return;
        }
        offered = dialog->selectedFiles().value(0);
        dialog->selectFile(target);
        QMetaObject::invokeMethod(dialog, "accept");
    };
    openMenuAndChoose("Save as PNG...", answer);
    EXPECT_TRUE(offered.endsWith("Graph.png")) << offered.toStdString();
    QFile saved(target + ".png");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.read(4).startsWith("\x89PNG"));
}

} // namespace
} // namespace qb::platform
