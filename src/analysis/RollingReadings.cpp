#include "analysis/RollingReadings.h"

#include <algorithm>
#include <cmath>

namespace qb::analysis {

void RollingReadings::add(double volts) {
    if (capacity_ == 0) return;
    if (values_.size() < capacity_) {
        values_.push_back(volts);
        return;
    }
    values_[next_] = volts;
    next_ = (next_ + 1) % capacity_;
}

void RollingReadings::clear() {
    values_.clear();
    next_ = 0;
}

std::vector<double> RollingReadings::inOrder() const {
    std::vector<double> ordered(values_.begin() + static_cast<std::ptrdiff_t>(next_), values_.end());
    ordered.insert(ordered.end(), values_.begin(), values_.begin() + static_cast<std::ptrdiff_t>(next_));
    return ordered;
}

std::optional<RollingReadings::Figures> RollingReadings::figures() const {
    if (values_.empty()) return std::nullopt;
    const auto n = static_cast<double>(values_.size());
    Figures f;
    for (double v : values_) f.mean += v;
    f.mean /= n;
    double squares = 0;
    for (double v : values_) squares += (v - f.mean) * (v - f.mean);
    f.rmsNoise = values_.size() > 1 ? std::sqrt(squares / (n - 1)) : 0;
    const auto [lo, hi] = std::minmax_element(values_.begin(), values_.end());
    f.peakToPeak = *hi - *lo;
    return f;
}

} // namespace qb::analysis
