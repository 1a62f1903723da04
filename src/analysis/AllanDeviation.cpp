#include "analysis/AllanDeviation.h"

#include <cmath>
#include <vector>

#include "analysis/ResolutionFigures.h"
#include "platform/base/Text.h"

namespace qb::analysis {

std::vector<AllanPoint> OverlappingAllanDeviation(std::span<const double> readings, double periodSeconds) {
    const auto n = static_cast<int64_t>(readings.size());
    std::vector<AllanPoint> points;
    if (n < kMinAllanCodes) return points;

    // Cumulative sums of the readings: sums[k] holds the first k. In extended precision (64-bit
    // mantissa) the sums of a million codes of 24 bits stay whole, so the differences of sums
    // near full scale lose no digits.
    std::vector<long double> sums(static_cast<std::size_t>(n) + 1, 0.0L);
    for (std::size_t k = 0; k < readings.size(); ++k) sums[k + 1] = sums[k] + readings[k];

    for (int64_t m = 1; 2 * m <= n; m *= 2) {
        const int64_t terms = n - 2 * m + 1;
        long double total = 0;
        for (int64_t j = 0; j < terms; ++j) {
            // m times the difference of the means of y[j+m .. j+2m-1] and y[j .. j+m-1]
            const auto at = [&sums](int64_t k) { return sums[static_cast<std::size_t>(k)]; };
            const long double d = at(j + 2 * m) - 2 * at(j + m) + at(j);
            total += d * d;
        }
        const long double variance = total / (2.0L * m * m * terms);
        points.push_back({m, periodSeconds * static_cast<double>(m), static_cast<double>(std::sqrt(variance)), terms});
    }
    return points;
}

platform::Result<std::vector<AllanPoint>> ComputeAllanDeviation(std::span<const double> codes, const DataFormat& format,
                                                               std::optional<double> sampleRateHz) {
    if (codes.size() < static_cast<std::size_t>(kMinAllanCodes))
        return platform::Fail("an Allan deviation needs at least " + std::to_string(kMinAllanCodes) + " codes");
    if (!sampleRateHz || !(*sampleRateHz > 0)) return platform::Fail(kNoSampleRateReason);
    std::vector<AllanPoint> points = OverlappingAllanDeviation(codes, 1.0 / *sampleRateHz);
    const double lsbV = LsbNanovolts(format) * 1e-9;
    for (AllanPoint& p : points) p.deviation *= lsbV;
    return points;
}

std::string AllanCsv(const std::vector<AllanPoint>& points, double sampleRateHz, std::size_t readings) {
    std::string text = "# Allan deviation, overlapping, of the readings in volts\n";
    text += "# sample_rate_hz: " + platform::ShortestText(sampleRateHz) + "\n";
    text += "# readings: " + std::to_string(readings) + "\n";
    text += "tau_s,adev_v,terms\n";
    for (const AllanPoint& p : points)
        text += platform::ShortestText(p.tauSeconds) + "," + platform::ShortestText(p.deviation) + "," +
                std::to_string(p.terms) + "\n";
    return text;
}

} // namespace qb::analysis
