#pragma once
// StripChart: the chart the code graph, the histogram and the fast-step window draw on. It is a
// QCustomPlot with the small set of operations those windows use, in the order a plotting routine
// calls them:
//
//     chart.clearTraces();
//     chart.loadYSeries(codes, 0, 1);                 // or loadXYSeries(x, y, 0)
//     chart.setTraceScaleUpper(hi); chart.setTraceScaleLower(lo);
//     chart.setYAxisUpper(hi);      chart.setYAxisLower(lo);
//     chart.setXRange(0, n);
//     chart.setCaption(4, Hex(chart.traceScaleUpper()));
//     chart.redraw();
//
// (The chart draws every point it is given over the x range it is given, so it needs no point
// count and no x extents.)
//
// The implementation is split by concern, one file each:
//  - StripChartData.cpp: traces, the full ranges the window sets and the view the user changes.
//  - StripChartCaptions.cpp: captions (title, axis titles, legend, axis-end texts) and ticks.
//  - StripChartCursor.cpp: the cursor, and the mouse and keys that move it or the view.
//  - StripChartImages.cpp: pictures of the chart (PNG, PDF) and the context menu that saves them.
//
// Traces: trace 0 and trace 1 (blue and red). A y series plots element i at x = i; an x-y series
// plots its points in the order given (so a histogram's (c, 0), (c, n), (c, 0) groups draw as
// spikes).
//
// Captions: numbered texts whose place on the chart each window assigns once with
// setCaptionRole (title above the plot, axis titles, a trace's name in the legend, or the texts
// beside the lower and upper end of an axis). A caption without a role is kept but not drawn.
//
// Ranges: the window sets the full x and y ranges, and each axis is drawn exactly between the
// bounds it was given (on a logarithmic axis, only positive bounds and values count) (so the texts at its ends name its ends), except for the margins a window
// asks for on an axis without end texts (setAxisMargins) and for equal bounds, which are drawn
// around their value. The user then zooms (mouse wheel: inside the plot every movable axis, over an axis
// only that axis), pans (drag with the left button) and returns to the full range (double click,
// or "Full range" in the context menu); setUserAxes says which axes the user may move. The
// display bounds read back exactly what the window set until the user changes the view.
//
// Cursor: a vertical line at a whole-number x inside the x extent of the loaded data (or, for data
// whose x are not whole numbers, at the x of a point: setCursorOnPoints). The user
// places it with a left click in the plot (a point drawn within a few pixels of the mouse takes
// it, so a spike can be hit at any zoom), drags it by the line, and moves it with the arrow keys
// while the chart has the focus (Shift or Page Up/Down: ten steps; Ctrl: to the next point of the
// data; Home/End: the ends).
//
// Events (handlers run for the user's actions, and for showFullRange, which does what the
// double click does; never for the operations below that set data, ranges or the cursor):
//  - cursor event: the user has placed or moved the cursor; the argument is its new x.
//  - scale event: the visible range of an axis has changed (zoom, pan, return to full range).
//
// Beyond the windows' needs: the context menu saves the chart as PNG or PDF (saveImage).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <qcustomplot.h>

#include "platform/chart/PlotImage.h"
#include "platform/chart/SpikePlot.h"
#include "platform/base/Result.h"

namespace qb::platform {

class MessageSink;

// Where a caption is drawn.
enum class CaptionRole {
    None,          // kept, not drawn
    Title,         // above the plot
    XAxisTitle,    // below the x axis
    YAxisTitle,    // beside the y axis
    TraceName,     // the trace's entry in the legend (the legend shows once a trace is named)
    XAxisLowEnd,   // below the left end of the x axis
    XAxisHighEnd,  // below the right end of the x axis
    YAxisLowEnd,   // left of the lower end of the y axis
    YAxisHighEnd,  // left of the upper end of the y axis
};

// How an axis writes its tick labels. Ticks always fall on whole numbers (the charts show codes,
// counts and reading numbers). Hex: upper-case hexadecimal as the program writes codes.
enum class TickNotation { Decimal, Hex };

// How a trace draws its points. Lines: joined in the order given. Spikes: each point of an x-y
// series a vertical line from zero up to its y; where many points share a pixel column, only the
// tallest is drawn (a histogram of thousands of codes draws as fast as one of twenty).
enum class TraceStyle { Lines, Spikes };

// How an axis maps values to length. Logarithmic: equal ratios take equal lengths, ticks stand at
// the powers of ten (labelled "1e-9" unless the window gives their texts) with the eight steps
// between them unlabelled.
enum class AxisScale { Linear, Logarithmic };

class StripChart : public QCustomPlot {
    Q_OBJECT
public:
    static constexpr int kTraces = 2;
    // Grid modes: bit 0 shows the lines at the x ticks, bit 1 those at the y ticks.
    static constexpr int32_t kGridOff = 0;
    static constexpr int32_t kGridOn = 3;

    explicit StripChart(const char* name, QWidget* parent = nullptr);
    ~StripChart() override;

    // ---- configuration, once per window -------------------------------------------------------
    void setCaptionRole(int16_t index, CaptionRole role, int trace = 0);
    // Role and first text of several captions at once, as a window sets them up.
    struct CaptionSetup {
        int16_t index;
        CaptionRole role;
        const char* text;
    };
    void setCaptions(std::initializer_list<CaptionSetup> captions);
    void setTickNotation(Qt::Orientation axis, TickNotation notation);
    void setAxisScale(Qt::Orientation axis, AxisScale scale);
    // The label of each labelled tick of a logarithmic axis ("100 nV/\u221AHz" for 1e-7).
    void setLogTickTexts(Qt::Orientation axis, std::function<std::string(double)> text);
    // The cursor goes from point to point of the data (arrow keys: one point, Shift or Page
    // Up/Down: ten) instead of from whole number to whole number: for x that are not whole
    // numbers, such as the frequencies of a spectrum.
    void setCursorOnPoints(bool on);
    // Extra room drawn below the lower and above the upper bound of an axis, as fractions of its
    // span (0.05: five percent), so the tallest spike or the first and last reading do not sit
    // on the frame. The display bounds still read back the range the window set. None unless a
    // window asks: an axis with end texts runs exactly between the bounds they name.
    void setAxisMargins(Qt::Orientation axis, double belowLower, double aboveUpper);
    // The axes the user may zoom and pan (both unless a window says otherwise).
    void setUserAxes(Qt::Orientations axes);
    // The corner of the plot the legend stands in (top right unless a window says otherwise).
    void setLegendCorner(Qt::Alignment corner);
    // The pen of a trace's line (trace 0 is blue and trace 1 red unless a window says otherwise).
    void setTracePen(int trace, const QPen& pen);
    // How trace `trace` draws an x-y series (Lines unless a window says otherwise).
    void setTraceStyle(int trace, TraceStyle style);
    // Message boxes for failed saves from the context menu; without one a QMessageBox is shown.
    void setMessageSink(MessageSink* messages) { messages_ = messages; }

    // ---- data (StripChartData.cpp) --------------------------------------------------------------
    // Removes the data of every trace (captions, ranges and the cursor stay).
    void clearTraces();
    // Trace `trace` (0 or 1; others are ignored) plots y[i] at x = i for every i >= first. Not a
    // number leaves a gap.
    void loadYSeries(std::span<const double> y, int trace, std::size_t first = 0);
    // Trace `trace` plots (x[i], y[i]) joined in the order given; the shorter row decides the
    // number of points.
    void loadXYSeries(std::span<const double> x, std::span<const double> y, int trace);
    // Number of points trace `trace` holds.
    std::size_t tracePoints(int trace) const;

    // ---- ranges (StripChartData.cpp) ------------------------------------------------------------
    // Full y range: the trace scale and the y-axis bounds both set it (the latest value of each
    // end wins); the trace scale reads back the value it was given.
    void setTraceScaleUpper(double y);
    void setTraceScaleLower(double y);
    void setYAxisUpper(double y);
    void setYAxisLower(double y);
    double traceScaleUpper() const { return traceUpper_; }
    double traceScaleLower() const { return traceLower_; }
    // Full x range (from may exceed to: the range is the interval between them).
    void setXRange(double from, double to);

    // The bounds the user sees: what the window set, until the user zooms or pans; then the
    // visible range.
    double yAxisUpperShown() const;
    double yAxisLowerShown() const;
    double xAxisLowerShown() const;
    double xAxisUpperShown() const;
    // True once the user has zoomed or panned away from the full range.
    bool userView() const { return userView_; }
    // Back to the full range the window set; raises the scale event when the view changes.
    void showFullRange();

    // ---- captions (StripChartCaptions.cpp) ------------------------------------------------------
    void setCaption(int16_t index, std::string_view text);
    std::string caption(int16_t index) const;  // empty when never set

    // ---- drawing --------------------------------------------------------------------------------
    // Draws now; a chart not on screen is drawn when it is shown. (Every change also asks for a
    // drawing on the next pass of the event loop, so nothing stays undrawn when a window draws
    // before it loads its data; a drawing made meanwhile, by redraw() or a resize, answers it.)
    void redraw();
    void setGridMode(int32_t mode);

    // ---- cursor (StripChartCursor.cpp) ----------------------------------------------------------
    // The cursor's x. Setting it from code moves the line without a cursor event; the value is
    // rounded to a whole number (halves to even) and kept inside the x extent of the data.
    double cursorPosition() const { return cursorX_; }
    void setCursorPosition(double x);
    // Whether the cursor line is drawn (pictures of a chart leave it out); it still moves.
    void setCursorVisible(bool visible);
    // The y of trace `trace` at the cursor: of its point at the cursor's x, else of its point
    // nearest to it (several points at that x: the largest y). Not a number for an empty trace.
    double valueAtCursor(int trace) const;
    // The pixel x of a data x (after a drawing has laid the chart out); for the window tests
    // that click on the chart.
    double pixelOfX(double x) const;

    void onCursor(std::function<void(double x)> handler) { cursorHandler_ = std::move(handler); }
    void onScale(std::function<void()> handler) { scaleHandler_ = std::move(handler); }

    // ---- images (StripChartImages.cpp) ----------------------------------------------------------
    // Writes the chart (width x height pixels; 0: its present size) to a PNG or PDF file through
    // the safe save (a failed save leaves an earlier file whole); on failure, why, as
    // SaveFileSafely words it ("No space left on device").
    Result<> saveImage(const QString& path, ChartImageFormat format, int width = 0, int height = 0);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Trace {
        QCPGraph* graph = nullptr;  // y series
        QCPCurve* curve = nullptr;  // x-y series
        SpikePlot* spikes = nullptr;  // x-y series in the Spikes style
        TraceStyle style = TraceStyle::Lines;
        std::vector<double> x, y;   // the points as loaded (x ascending for a y series)
        bool ascending = true;      // x never decreases
    };
    struct Place {
        CaptionRole role = CaptionRole::None;
        int trace = 0;
    };
    class Ticker;

    // Each part sets up its own pieces of the plot, in this order.
    void setUpTraces();
    void setUpCaptions();
    void setUpCursor();

    // data and ranges
    void afterDataChange();
    void applyRanges();
    void afterUserRangeChange(const QCPRange& x0, const QCPRange& y0);
    bool dataExtent(double& lo, double& hi) const;
    // captions and ticks
    void applyCaption(int16_t index);
    std::string traceName(int trace) const;
    void updateLegend();
    void placeEndTexts();
    QString tickText(Qt::Orientation axis, double value) const;
    // cursor
    void updateCursorLine();
    void userMovesCursor(double x, bool alwaysReport);
    double clampCursor(double x) const;
    double nearestDataX(double x) const;
    double xAtPixel(double px) const;
    double neighbourX(double x, int direction) const;
    double stepCursor(int steps) const;
    bool nearCursorLine(const QPointF& pos) const;
    bool insidePlot(const QPointF& pos) const;
    // images
    void saveFromMenu(ChartImageFormat format);

    void scheduleDraw();
    // The plottable that shows trace `t` now, and all three of its plottables.
    static QCPAbstractPlottable* shown(const Trace& t);
    static std::array<QCPAbstractPlottable*, 3> plottables(const Trace& t);

    std::map<int16_t, std::string> captions_;
    std::map<int16_t, Place> places_;
    Trace traces_[kTraces];
    QCPTextElement* title_ = nullptr;
    QCPItemStraightLine* cursorLine_ = nullptr;
    QCPItemText* endText_[4] = {};  // x low, x high, y low, y high
    QSharedPointer<Ticker> xTicker_, yTicker_;
    QSharedPointer<QCPAxisTicker> logTickers_[2];                 // x, y
    std::function<std::string(double)> logTickTexts_[2];          // x, y; empty: "1e-9"
    bool logarithmic_[2] = {false, false};  // x, y
    bool cursorOnPoints_ = false;

    double traceUpper_ = 1, traceLower_ = 0, yUpper_ = 1, yLower_ = 0;
    double xFrom_ = 0, xTo_ = 1;
    double xMargins_[2] = {0, 0}, yMargins_[2] = {0, 0};  // below the lower, above the upper bound
    double cursorX_ = 0;
    bool userView_ = false;
    bool drawPending_ = false;  // changed since the last drawing
    bool drawQueued_ = false;   // a drawing is asked for on the next pass of the event loop
    bool layingOutAgain_ = false;

    enum class Drag { None, Cursor, Plot };
    Drag drag_ = Drag::None;
    QPointF pressPos_;
    bool panning_ = false;

    MessageSink* messages_ = nullptr;
    std::function<void(double)> cursorHandler_;
    std::function<void()> scaleHandler_;
};

} // namespace qb::platform
