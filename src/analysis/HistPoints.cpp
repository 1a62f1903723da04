#include "analysis/HistPoints.h"

#include "analysis/mdlArray.h"
#include "platform/base/Numbers.h"
#include "platform/base/Text.h"

namespace qb::analysis {

std::optional<HistPoints> BuildHistPoints(const std::vector<double>& codes, int16_t codesRead) {
    if (codesRead < 1 || codes.size() < static_cast<std::size_t>(codesRead) + 1) return std::nullopt;

    std::vector<int32_t> sorted;
    sorted.reserve(static_cast<std::size_t>(codesRead));
    for (int i = 1; i <= codesRead; ++i) {
        const std::optional<int32_t> code = platform::ToInt32(codes[static_cast<std::size_t>(i)]);
        if (!code) return std::nullopt;
        sorted.push_back(*code);
    }
    SortLongArray(sorted, 0);

    HistPoints points;
    points.x.reserve(3 * sorted.size());
    points.y.reserve(3 * sorted.size());
    const auto startSpike = [&points](int32_t code) {
        points.x.insert(points.x.end(), 3, static_cast<double>(code));
        points.y.insert(points.y.end(), {0.0, 1.0, 0.0});
    };
    startSpike(sorted.front());
    points.largestCount = 1;
    for (std::size_t k = 1; k < sorted.size(); ++k) {
        const std::size_t c = points.LastCentre();
        if (static_cast<double>(sorted[k]) == points.x[c]) {
            points.y[c] += 1;
            // At most 32767 codes, so every count fits the 16-bit largest count.
            if (points.y[c] > points.largestCount) points.largestCount = static_cast<int16_t>(points.y[c]);
        } else {
            startSpike(sorted[k]);
        }
    }
    return points;
}

std::optional<double> CountAtCursor(const HistPoints& points, double cursorX) {
    for (std::size_t c = 1; c + 1 < points.x.size(); c += 3)
        if (points.x[c] == cursorX) return points.y[c];
    return std::nullopt;
}

CursorReadout ReadCursor(const HistPoints& points, double cursorX) {
    CursorReadout r;
    if (const std::optional<double> count = CountAtCursor(points, cursorX)) r.count = platform::Str(*count);
    r.hex = platform::Hex(cursorX);
    r.dec = platform::Str(cursorX);
    return r;
}

} // namespace qb::analysis
