#pragma once
// Stability of a long series of readings: the overlapping Allan deviation at averaging times of
// 1, 2, 4, ... sample periods. For white noise of sigma it falls as sigma / sqrt(m) with the
// averaging factor m; for a random walk it grows as sqrt(m); its lowest point is the averaging
// time at which the reading is most stable. Free of widgets: the headless analysis, the noise
// window and the tests share it.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/NoiseFigures.h"
#include "platform/base/Result.h"

namespace qb::analysis {

struct AllanPoint {
    int64_t m = 0;          // averaging factor: samples averaged
    double tauSeconds = 0;  // averaging time: m sample periods
    double deviation = 0;   // in the unit of the readings
    int64_t terms = 0;      // differences of adjacent averages that went into it: n - 2m + 1
};

// The overlapping Allan deviation of `readings` (n of them, one per `periodSeconds`) at
// m = 1, 2, 4, ... while 2m <= n:
//     sigma^2(m) = sum over j of (mean of y[j+m .. j+2m-1] - mean of y[j .. j+m-1])^2 / (2 (n - 2m + 1)),
// computed from cumulative sums of the readings, so it takes time linear in n
// for every m. Fewer than two readings give no point.
std::vector<AllanPoint> OverlappingAllanDeviation(std::span<const double> readings, double periodSeconds);

// Fewest codes an Allan deviation is made of.
inline constexpr int kMinAllanCodes = 2;

// The Allan deviation of codes in volts (one code step = the LSB of the data format) at the
// sample rate (nullopt when the filter register gives none). Fails, saying why, with fewer than
// kMinAllanCodes codes or no sample rate.
platform::Result<std::vector<AllanPoint>> ComputeAllanDeviation(std::span<const double> codes, const DataFormat& format,
                                                               std::optional<double> sampleRateHz);

// As CSV: comment lines ("# ...") saying what it is and the sample rate, then "tau_s,adev_v,terms"
// and one line per averaging time.
std::string AllanCsv(const std::vector<AllanPoint>& points, double sampleRateHz, std::size_t readings);

} // namespace qb::analysis
