#include "platform/chart/StripChart.h"

#include <QCoreApplication>
#include <QShowEvent>
#include <QTimer>

namespace qb::platform {

StripChart::StripChart(const char* name, QWidget* parent) : QCustomPlot(parent) {
    // QCustomPlot asks for a drawing of the empty plot when it is made; the chart is drawn when
    // it is shown, once, with its data.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    mReplotQueued = false;
    setObjectName(QString::fromUtf8(name));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setUserAxes(Qt::Horizontal | Qt::Vertical);
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phFastPolylines, true);
    connect(this, &QCustomPlot::afterReplot, this, [this] { drawPending_ = false; });

    setUpTraces();
    setUpCaptions();
    setUpCursor();
    setGridMode(kGridOff);
    applyRanges();
}

StripChart::~StripChart() = default;

void StripChart::setUserAxes(Qt::Orientations axes) {
    axisRect()->setRangeDrag(axes);
    axisRect()->setRangeZoom(axes);
}

void StripChart::setTracePen(int trace, const QPen& pen) {
    if (trace < 0 || trace >= kTraces) return;
    for (QCPAbstractPlottable* p : plottables(traces_[trace])) p->setPen(pen);
    scheduleDraw();
}

void StripChart::setTraceStyle(int trace, TraceStyle style) {
    if (trace < 0 || trace >= kTraces) return;
    Trace& t = traces_[trace];
    t.style = style;
    // The points loaded so far move to the plottable of the new style.
    if (t.curve->dataCount() > 0 || t.spikes->hasPoints()) loadXYSeries(std::vector<double>(t.x), std::vector<double>(t.y), trace);
}

void StripChart::setGridMode(int32_t mode) {
    xAxis->grid()->setVisible((mode & 1) != 0);
    yAxis->grid()->setVisible((mode & 2) != 0);
    scheduleDraw();
}

void StripChart::redraw() {
    if (!isVisible()) {
        scheduleDraw();
        return;
    }
    replot(rpImmediateRefresh);
}

// QCustomPlot's own queued replot would draw again even after a resize or redraw() has drawn
// the change: opening a window would draw its chart several times.
void StripChart::scheduleDraw() {
    drawPending_ = true;
    if (drawQueued_) return;
    drawQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        drawQueued_ = false;
        if (drawPending_ && isVisible()) replot(rpQueuedRefresh);
    });
}

void StripChart::showEvent(QShowEvent* event) {
    QCustomPlot::showEvent(event);
    if (drawPending_) replot(rpQueuedRefresh);
}

QCPAbstractPlottable* StripChart::shown(const Trace& t) {
    if (t.spikes->hasPoints()) return t.spikes;
    if (t.curve->dataCount() > 0) return t.curve;
    return t.graph;
}

std::array<QCPAbstractPlottable*, 3> StripChart::plottables(const Trace& t) { return {t.graph, t.curve, t.spikes}; }

} // namespace qb::platform
