#pragma once
// A chart of the latest readings of a running read, newest on the right: one line against the
// reading number, the value axis fitted to the readings and labelled in the unit given (plain
// decimal ticks, as fine as the readings need).
#include <span>
#include <string_view>

#include <qcustomplot.h>

namespace qb::platform {

class RollingChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit RollingChart(const char* name, QWidget* parent = nullptr);

    void setTitles(std::string_view xTitle, std::string_view yTitle);
    // Replaces the line by `values` times `scale` (1e6: volts shown in microvolts) at x = 1, 2, ...
    // over an x range of `span` readings, and draws it once the window next paints.
    void setValues(std::span<const double> values, double scale, int span);
};

} // namespace qb::platform
