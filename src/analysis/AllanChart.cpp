#include "analysis/AllanChart.h"

#include "analysis/ChartImages.h"
#include "platform/chart/LogLogChart.h"

namespace qb::analysis {

platform::Result<> SaveAllanImage(const std::vector<AllanPoint>& points, const std::string& path) {
    return SaveLogLogImage("AllanChart", [&points](platform::LogLogChart& chart) {
        chart.setTitles("Allan Deviation", "Averaging time (s)", "Allan deviation (nV)");
        platform::LogLogChart::Series series{"Overlapping Allan deviation", {}, {}};
        for (const AllanPoint& p : points) {
            series.x.push_back(p.tauSeconds);
            series.y.push_back(p.deviation * 1e9);
        }
        chart.setSeries({series});
        chart.legend->setVisible(false);  // one series: the title says it
        chart.replot();
    }, path);
}

} // namespace qb::analysis
