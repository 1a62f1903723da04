#pragma once
// The Allan deviation as a picture for the headless analysis: deviation in nV against averaging
// time in seconds, both axes logarithmic.
#include <string>
#include <vector>

#include "analysis/AllanDeviation.h"
#include "platform/base/Result.h"

namespace qb::analysis {

// The chart of the points as a PNG image or PDF document, as the name ends (a QApplication must
// exist). Fails, saying why, for another name or a file that cannot be written.
platform::Result<> SaveAllanImage(const std::vector<AllanPoint>& points, const std::string& path);

} // namespace qb::analysis
