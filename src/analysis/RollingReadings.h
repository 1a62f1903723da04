#pragma once
// The last readings of a running display read, for its live view: a window of at most `capacity`
// readings in volts, the oldest going as a new one comes, with the figures over the window.
// Free of widgets.
#include <cstddef>
#include <optional>
#include <vector>

namespace qb::analysis {

class RollingReadings {
public:
    explicit RollingReadings(std::size_t capacity) : capacity_(capacity) { values_.reserve(capacity); }

    void add(double volts);
    void clear();
    std::size_t size() const { return values_.size(); }
    // The readings held, oldest first.
    std::vector<double> inOrder() const;

    struct Figures {
        double mean = 0;
        double rmsNoise = 0;    // sample standard deviation (divisor n - 1); 0 for one reading
        double peakToPeak = 0;  // largest less smallest
    };
    // The figures over the readings held; none while there is none.
    std::optional<Figures> figures() const;

private:
    std::size_t capacity_;
    std::vector<double> values_;
    std::size_t next_ = 0;  // where the next reading goes once the window is full
};

} // namespace qb::analysis
