#include "platform/chart/SpikePlot.h"

#include <algorithm>
#include <cmath>

#include "platform/chart/SpikeColumns.h"

namespace qb::platform {

namespace {

// The range of the finite values of `v` in the sign domain asked for.
QCPRange rangeOf(const std::vector<double>& v, bool& found, QCP::SignDomain domain) {
    found = false;
    QCPRange range;
    for (double d : v) {
        if (!std::isfinite(d) || (domain == QCP::sdPositive && d <= 0) || (domain == QCP::sdNegative && d >= 0))
            continue;
        if (!found) range = QCPRange(d, d);
        range.expand(d);
        found = true;
    }
    return range;
}

} // namespace

SpikePlot::SpikePlot(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPAbstractPlottable(keyAxis, valueAxis) {
    // Vertical lines on whole pixels need no smoothing.
    setAntialiased(false);
    setSelectable(QCP::stNone);
}

void SpikePlot::setPoints(std::vector<double> x, std::vector<double> y) {
    const std::size_t n = std::min(x.size(), y.size());
    x.resize(n);
    y.resize(n);
    x_ = std::move(x);
    y_ = std::move(y);
}

void SpikePlot::clearPoints() {
    x_.clear();
    y_.clear();
}

double SpikePlot::selectTest(const QPointF&, bool, QVariant*) const { return -1; }

QCPRange SpikePlot::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const {
    return rangeOf(x_, foundRange, inSignDomain);
}

QCPRange SpikePlot::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain, const QCPRange&) const {
    return rangeOf(y_, foundRange, inSignDomain);
}

void SpikePlot::draw(QCPPainter* painter) {
    QCPAxis* keys = keyAxis();
    QCPAxis* values = valueAxis();
    if (!keys || !values || x_.empty() || keys->orientation() != Qt::Horizontal) return;
    const QRect plot = clipRect();
    std::vector<double> pixelX(x_.size());
    std::transform(x_.begin(), x_.end(), pixelX.begin(), [keys](double x) { return keys->coordToPixel(x); });
    const std::vector<ColumnSpike> spikes = TallestPerColumn(pixelX, y_, plot.left(), plot.width());

    // Zero may lie outside the view (zoomed in, or a logarithmic axis): the spikes then rise
    // from the frame.
    const double below = plot.bottom() + 1.0, above = plot.top() - 1.0;
    const double zero = values->coordToPixel(0);
    const double base = std::isfinite(zero) ? std::clamp(zero, above, below) : below;
    QVector<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(spikes.size()));
    for (const ColumnSpike& s : spikes) {
        if (!(s.top > 0)) continue;
        const double topPixel = values->coordToPixel(s.top);
        const double top = std::clamp(std::isfinite(topPixel) ? topPixel : above, above, below);
        lines.append(QLineF(s.column, base, s.column, std::min(top, base - 1)));
    }
    painter->setPen(pen());
    painter->drawLines(lines);
}

void SpikePlot::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    painter->setPen(pen());
    painter->drawLine(QLineF(rect.center().x(), rect.bottom(), rect.center().x(), rect.top()));
}

} // namespace qb::platform
