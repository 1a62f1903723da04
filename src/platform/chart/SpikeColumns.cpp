#include "platform/chart/SpikeColumns.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qb::platform {

std::vector<ColumnSpike> TallestPerColumn(std::span<const double> pixelX, std::span<const double> y, int first,
                                          int count) {
    if (count <= 0) return {};
    constexpr double kNone = -std::numeric_limits<double>::infinity();
    std::vector<double> tallest(static_cast<std::size_t>(count), kNone);
    const std::size_t n = std::min(pixelX.size(), y.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(pixelX[i]) || std::isnan(y[i])) continue;
        const double column = std::floor(pixelX[i] + 0.5) - first;
        if (column < 0 || column >= count) continue;
        double& top = tallest[static_cast<std::size_t>(column)];
        top = std::max(top, y[i]);
    }
    std::vector<ColumnSpike> spikes;
    for (int c = 0; c < count; ++c)
        if (tallest[static_cast<std::size_t>(c)] != kNone) spikes.push_back({first + c, tallest[static_cast<std::size_t>(c)]});
    return spikes;
}

} // namespace qb::platform
