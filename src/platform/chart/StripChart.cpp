#include "platform/chart/StripChart.h"

namespace qb::platform {

StripChart::StripChart(const char* name, QWidget* parent) : QCustomPlot(parent) {
    setObjectName(QString::fromUtf8(name));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setUserAxes(Qt::Horizontal | Qt::Vertical);
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phFastPolylines, true);

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
    traces_[trace].graph->setPen(pen);
    traces_[trace].curve->setPen(pen);
    scheduleDraw();
}

void StripChart::setGridMode(int32_t mode) {
    xAxis->grid()->setVisible((mode & 1) != 0);
    yAxis->grid()->setVisible((mode & 2) != 0);
    scheduleDraw();
}

void StripChart::redraw() { replot(rpImmediateRefresh); }

void StripChart::scheduleDraw() { replot(rpQueuedReplot); }

} // namespace qb::platform
