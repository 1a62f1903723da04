#pragma once
// The noise sweep's chart: RMS noise in nV against output rate in Hz, both axes logarithmic, one
// trace per input range and chopping. The sweep window shows it; the headless sweep saves it.
#include <string>
#include <vector>

#include "analysis/NoiseSweep.h"
#include "platform/base/Result.h"
#include "platform/chart/LogLogChart.h"

namespace qb::analysis {

// Draws the rows on the chart (its titles included).
void DrawSweep(platform::LogLogChart& chart, const std::vector<SweepRow>& rows);

// The chart of the rows as a PNG image or PDF document, as the name ends (a QApplication must
// exist). Fails, saying why, for another name or a file that cannot be written.
platform::Result<> SaveSweepImage(const std::vector<SweepRow>& rows, const std::string& path);

} // namespace qb::analysis
