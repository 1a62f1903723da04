// The strip chart's traces, the full ranges its window sets, and the view the user changes.
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/chart/StripChart.h"

namespace qb::platform {

namespace {

// Beyond this QCustomPlot refuses a range; values past it are drawn at it.
constexpr double kLargestDrawn = 1e200;

// The range QCustomPlot draws for the bounds a window set: exactly between them plus the margins
// (fractions of the span below the lower and above the upper one); equal bounds are drawn around
// their value; `previous` when a bound is not a finite number.
QCPRange drawnRange(double a, double b, const double (&margins)[2], const QCPRange& previous) {
    if (!std::isfinite(a) || !std::isfinite(b)) return previous;
    const double lo = std::clamp(std::min(a, b), -kLargestDrawn, kLargestDrawn);
    const double hi = std::clamp(std::max(a, b), -kLargestDrawn, kLargestDrawn);
    const double span = hi - lo;
    const double mid = lo / 2 + hi / 2;
    const double scale = std::max(std::abs(lo), std::abs(hi));
    if (span <= scale * 1e-12 || !QCPRange::validRange(lo, hi)) {
        const double half = std::max(1.0, std::abs(mid) * 1e-9);
        return {mid - half, mid + half};
    }
    return {lo - span * margins[0], hi + span * margins[1]};
}

// The same on a logarithmic axis: only positive bounds count (a lower bound of 0 or less is taken
// as a millionth of the upper one), margins are ratios, equal bounds are drawn a decade around.
QCPRange drawnLogRange(double a, double b, const double (&margins)[2], const QCPRange& previous) {
    double lo = std::min(a, b), hi = std::max(a, b);
    if (!std::isfinite(hi) || !(hi > 0)) return previous;
    hi = std::min(hi, kLargestDrawn);
    if (!std::isfinite(lo) || !(lo > 0)) lo = hi * 1e-6;
    if (hi <= lo * (1 + 1e-12)) return {lo / 10, hi * 10};
    const double ratio = hi / lo;
    return {lo / std::pow(ratio, margins[0]), hi * std::pow(ratio, margins[1])};
}

} // namespace

void StripChart::setUpTraces() {
    setAutoAddPlottableToLegend(false);
    const QColor colours[kTraces] = {QColor(0, 70, 180), QColor(200, 40, 30)};
    for (int t = 0; t < kTraces; ++t) {
        traces_[t].graph = addGraph();
        traces_[t].curve = new QCPCurve(xAxis, yAxis);
        traces_[t].spikes = new SpikePlot(xAxis, yAxis);
        for (QCPAbstractPlottable* p : plottables(traces_[t])) {
            QPen pen(colours[t], 1);
            pen.setCosmetic(true);  // drawn fast, also with thousands of points
            p->setPen(pen);
            p->setSelectable(QCP::stNone);
        }
    }
}

// ---- data ---------------------------------------------------------------------------------------

void StripChart::clearTraces() {
    for (Trace& t : traces_) {
        t.x.clear();
        t.y.clear();
        t.ascending = true;
        t.graph->data()->clear();
        t.curve->data()->clear();
        t.spikes->clearPoints();
    }
    updateLegend();
    scheduleDraw();
}

void StripChart::loadYSeries(std::span<const double> y, int trace, std::size_t first) {
    if (trace < 0 || trace >= kTraces) return;
    Trace& t = traces_[trace];
    t.x.clear();
    t.y.clear();
    QVector<double> keys, values;
    if (first < y.size()) {
        const std::size_t n = y.size() - first;
        t.x.reserve(n);
        t.y.assign(y.begin() + static_cast<std::ptrdiff_t>(first), y.end());
        keys.reserve(static_cast<qsizetype>(n));
        values.reserve(static_cast<qsizetype>(n));
        for (std::size_t i = first; i < y.size(); ++i) {
            t.x.push_back(static_cast<double>(i));
            keys.push_back(static_cast<double>(i));
            values.push_back(y[i]);
        }
    }
    t.ascending = true;
    t.graph->setData(keys, values, true);
    t.curve->data()->clear();
    t.spikes->clearPoints();
    afterDataChange();
}

void StripChart::loadXYSeries(std::span<const double> x, std::span<const double> y, int trace) {
    if (trace < 0 || trace >= kTraces) return;
    Trace& t = traces_[trace];
    const std::size_t n = std::min(x.size(), y.size());
    t.x.assign(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
    t.y.assign(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    t.ascending = std::is_sorted(t.x.begin(), t.x.end());
    t.graph->data()->clear();
    if (t.style == TraceStyle::Spikes) {
        t.spikes->setPoints(t.x, t.y);
        t.curve->data()->clear();
    } else {
        // A curve keeps the order of its points, so spikes (c, 0), (c, n), (c, 0) draw as given.
        t.curve->setData(QVector<double>(t.x.begin(), t.x.end()), QVector<double>(t.y.begin(), t.y.end()));
        t.spikes->clearPoints();
    }
    afterDataChange();
}

void StripChart::afterDataChange() {
    // The cursor stays on the data.
    cursorX_ = clampCursor(cursorX_);
    updateCursorLine();
    updateLegend();
    scheduleDraw();
}

std::size_t StripChart::tracePoints(int trace) const {
    if (trace < 0 || trace >= kTraces) return 0;
    return traces_[trace].x.size();
}

bool StripChart::dataExtent(double& lo, double& hi) const {
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    for (const Trace& t : traces_)
        for (double x : t.x)
            if (std::isfinite(x)) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
    return lo <= hi;
}

// ---- full ranges --------------------------------------------------------------------------------

void StripChart::setAxisMargins(Qt::Orientation axis, double belowLower, double aboveUpper) {
    const auto fraction = [](double f) { return std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 0.0; };
    double(&margins)[2] = axis == Qt::Horizontal ? xMargins_ : yMargins_;
    margins[0] = fraction(belowLower);
    margins[1] = fraction(aboveUpper);
    if (!userView_) applyRanges();
}

void StripChart::setTraceScaleUpper(double y) {
    traceUpper_ = y;
    setYAxisUpper(y);
}

void StripChart::setTraceScaleLower(double y) {
    traceLower_ = y;
    setYAxisLower(y);
}

void StripChart::setYAxisUpper(double y) {
    yUpper_ = y;
    userView_ = false;
    applyRanges();
}

void StripChart::setYAxisLower(double y) {
    yLower_ = y;
    userView_ = false;
    applyRanges();
}

void StripChart::setXRange(double from, double to) {
    xFrom_ = from;
    xTo_ = to;
    userView_ = false;
    applyRanges();
}

void StripChart::applyRanges() {
    const auto drawn = [](bool logarithmic, double a, double b, const double (&margins)[2], const QCPRange& previous) {
        return logarithmic ? drawnLogRange(a, b, margins, previous) : drawnRange(a, b, margins, previous);
    };
    xAxis->setRange(drawn(logarithmic_[0], xFrom_, xTo_, xMargins_, xAxis->range()));
    yAxis->setRange(drawn(logarithmic_[1], yLower_, yUpper_, yMargins_, yAxis->range()));
    scheduleDraw();
}

// ---- the view the user changes ------------------------------------------------------------------

double StripChart::yAxisUpperShown() const { return userView_ ? yAxis->range().upper : yUpper_; }
double StripChart::yAxisLowerShown() const { return userView_ ? yAxis->range().lower : yLower_; }
double StripChart::xAxisLowerShown() const { return userView_ ? xAxis->range().lower : std::min(xFrom_, xTo_); }
double StripChart::xAxisUpperShown() const { return userView_ ? xAxis->range().upper : std::max(xFrom_, xTo_); }

void StripChart::showFullRange() {
    const QCPRange x0 = xAxis->range(), y0 = yAxis->range();
    const bool wasUserView = userView_;
    userView_ = false;
    applyRanges();
    if ((wasUserView || xAxis->range() != x0 || yAxis->range() != y0) && scaleHandler_) scaleHandler_();
    replot(rpImmediateRefresh);
}

void StripChart::afterUserRangeChange(const QCPRange& x0, const QCPRange& y0) {
    if (xAxis->range() == x0 && yAxis->range() == y0) return;
    userView_ = true;
    if (scaleHandler_) scaleHandler_();
    replot(rpImmediateRefresh);  // the new range with the texts the handler wrote for it
}

} // namespace qb::platform
