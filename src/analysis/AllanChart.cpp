#include "analysis/AllanChart.h"

#include <QApplication>

#include "analysis/ChartImages.h"
#include "platform/chart/LogLogChart.h"

namespace qb::analysis {

platform::Result<> SaveAllanImage(const std::vector<AllanPoint>& points, const std::string& path) {
    const std::optional<platform::ChartImageFormat> format = platform::ImageFormatOf(path);
    if (!format) return platform::Fail(kImageNameMessage);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return platform::Fail("Chart images need a QApplication.");
    platform::LogLogChart chart("AllanChart");
    chart.resize(kChartImageWidth, kChartImageHeight);
    chart.setTitles("Allan Deviation", "Averaging time (s)", "Allan deviation (nV)");
    platform::LogLogChart::Series series{"Overlapping Allan deviation", {}, {}};
    for (const AllanPoint& p : points) {
        series.x.push_back(p.tauSeconds);
        series.y.push_back(p.deviation * 1e9);
    }
    chart.setSeries({series});
    chart.legend->setVisible(false);  // one series: the title says it
    chart.replot();
    return chart.saveImage(path, *format, kChartImageWidth, kChartImageHeight);
}

} // namespace qb::analysis
