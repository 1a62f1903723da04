#include "analysis/SweepChart.h"

#include <algorithm>

#include "analysis/ChartImages.h"

namespace qb::analysis {

void DrawSweep(platform::LogLogChart& chart, const std::vector<SweepRow>& rows) {
    chart.setTitles("RMS Noise against Output Rate", "Output rate (Hz)", "RMS noise (nV)");
    const bool bothChops = std::any_of(rows.begin(), rows.end(), [&](const SweepRow& r) {
        return r.setting.chop != rows.front().setting.chop;
    });
    std::vector<platform::LogLogChart::Series> series;
    std::vector<std::pair<int16_t, bool>> keys;
    for (const SweepRow& row : rows) {
        const std::pair<int16_t, bool> key{row.setting.rangeMv, row.setting.chop};
        auto at = std::find(keys.begin(), keys.end(), key);
        if (at == keys.end()) {
            keys.push_back(key);
            std::string name = std::to_string(key.first) + " mV";
            if (bothChops) name += key.second ? ", chopping on" : ", chopping off";
            series.push_back({name, {}, {}});
            at = keys.end() - 1;
        }
        auto& s = series[std::size_t(at - keys.begin())];
        s.x.push_back(row.setting.rateHz);
        s.y.push_back(row.figures.rmsNoiseV.value.value_or(0) * 1e9);
    }
    chart.setSeries(series);
}

platform::Result<> SaveSweepImage(const std::vector<SweepRow>& rows, const std::string& path) {
    return SaveLogLogImage("SweepChart", [&rows](platform::LogLogChart& chart) { DrawSweep(chart, rows); }, path);
}

} // namespace qb::analysis
