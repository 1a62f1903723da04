#include "analysis/RollingReadings.h"

#include "analysis/NoiseFigures.h"

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

// The noise window's statistics, taken of volts instead of codes.
std::optional<RollingReadings::Figures> RollingReadings::figures() const {
    if (values_.empty()) return std::nullopt;
    const NoiseStatistics s = ComputeNoiseStatistics(values_);
    return Figures{s.AverageCode, s.RmsNoiseCodes, s.MaxCode - s.MinCode};
}

} // namespace qb::analysis
