#include "platform/chart/RollingChart.h"

#include <algorithm>

namespace qb::platform {

RollingChart::RollingChart(const char* name, QWidget* parent) : QCustomPlot(parent) {
    setObjectName(name);
    addGraph();
    graph(0)->setPen(QPen(QColor(31, 119, 180), 1.2));
    yAxis->setNumberFormat("f");
    yAxis->setNumberPrecision(3);
    setAccessibleName(QStringLiteral("Live view"));
}

void RollingChart::setTitles(std::string_view xTitle, std::string_view yTitle) {
    xAxis->setLabel(QString::fromUtf8(xTitle.data(), qsizetype(xTitle.size())));
    yAxis->setLabel(QString::fromUtf8(yTitle.data(), qsizetype(yTitle.size())));
}

void RollingChart::setValues(std::span<const double> values, double scale, int span) {
    QVector<double> x(qsizetype(values.size())), y(qsizetype(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) x[qsizetype(i)] = double(i + 1), y[qsizetype(i)] = values[i] * scale;
    graph(0)->setData(x, y, true);
    xAxis->setRange(0, std::max(span, 1) + 1);
    if (!values.empty()) {
        const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
        const double room = std::max((*hi - *lo) * 0.1, 1e-3);
        yAxis->setRange(*lo - room, *hi + room);
    }
    replot(rpQueuedReplot);
}

} // namespace qb::platform
