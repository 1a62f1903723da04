#pragma once
// A trace drawn as spikes: each point (x, y) a vertical line from zero up to y. Where several
// points share a pixel column only the tallest is drawn (SpikeColumns.h), in one pass over the
// points, on the screen and in pictures alike; a spike of any height above zero is at least one
// pixel tall, so a lone count of one still shows beside a count of thousands.
#include <vector>

#include <qcustomplot.h>

namespace qb::platform {

class SpikePlot : public QCPAbstractPlottable {
    Q_OBJECT
public:
    SpikePlot(QCPAxis* keyAxis, QCPAxis* valueAxis);

    void setPoints(std::vector<double> x, std::vector<double> y);
    void clearPoints();
    bool hasPoints() const { return !x_.empty(); }

    double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    std::vector<double> x_, y_;
};

} // namespace qb::platform
