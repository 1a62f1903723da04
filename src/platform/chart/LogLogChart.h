#pragma once
// A chart of several named series on logarithmic axes, both ways: one trace per series with
// points marked and joined, a legend, and ticks at 1, 2 and 5 times the powers of ten labelled as
// plain numbers. Pictures of it go through PlotImage (PNG or PDF). The noise sweep draws its RMS
// noise against output rate on it.
#include <string>
#include <string_view>
#include <vector>

#include <qcustomplot.h>

#include "platform/base/Result.h"
#include "platform/chart/PlotImage.h"

namespace qb::platform {

class LogLogChart : public QCustomPlot {
    Q_OBJECT
public:
    struct Series {
        std::string name;
        std::vector<double> x, y;  // points with x or y not above 0 are left out
    };

    explicit LogLogChart(const char* name, QWidget* parent = nullptr);

    void setTitles(std::string_view title, std::string_view xTitle, std::string_view yTitle);
    // Replaces every trace by these series, fits both axes around their points and draws.
    void setSeries(const std::vector<Series>& series);
    int seriesCount() const { return graphCount(); }

    // The chart at width x height (0: as on screen) as a PNG image or PDF document.
    Result<> saveImage(const std::string& path, ChartImageFormat format, int width, int height);

private:
    QCPTextElement* title_ = nullptr;
};

} // namespace qb::platform
