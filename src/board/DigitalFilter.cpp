#include "board/DigitalFilter.h"

#include <cmath>

namespace qb::board {

void DigitalFilter::restart() {
    xCount_ = 0;
    yHead_ = 0;
    window_ = 0;
    fastPhase_ = -1;
    last_.reset();
    settling_ = true;
}

double DigitalFilter::meanOfLast(int n) const {
    // Sum deviations from the newest value, so that a steady input gives exactly that value.
    const double ref = y_[yHead_];
    double sum = 0;
    for (int i = 1; i < n; ++i) sum += y_[(yHead_ - i + kSecondStageLength) % kSecondStageLength] - ref;
    return ref + sum / n;
}

std::optional<double> DigitalFilter::push(double periodMean, const Settings& s) {
    x_[2] = x_[1];
    x_[1] = x_[0];
    x_[0] = periodMean;
    const int taps = firstStageLength(s.chop);
    if (xCount_ < taps) ++xCount_;
    if (xCount_ < taps) return std::nullopt;

    // First stage; written as deviations from the newest value for the same exactness.
    const double y1 = s.chop ? x_[0] + (x_[1] - x_[0]) / 2
                             : x_[0] + ((x_[1] - x_[0]) * 4 + (x_[2] - x_[0])) / 6;
    yHead_ = (yHead_ + 1) % kSecondStageLength;
    y_[yHead_] = y1;

    double out;
    if (s.skip) {
        fastPhase_ = -1;
        window_ = kSecondStageLength;
        out = y1;
    } else {
        const bool jumped = last_ && std::fabs(y1 - *last_) > s.stepThreshold;
        // A new step may be recognised outside fast-step mode, or inside it once the first
        // stage has settled and at least one averaged result exists.
        if (s.fast && jumped && (fastPhase_ < 0 || fastPhase_ > taps)) {
            fastPhase_ = 0;
            window_ = 0;
        }
        if (fastPhase_ >= 0) {
            if (fastPhase_ < taps) {
                out = y1;
            } else {
                ++window_;
                out = meanOfLast(window_);
            }
            ++fastPhase_;
            if (window_ >= kSecondStageLength) fastPhase_ = -1;
        } else {
            if (window_ < kSecondStageLength) ++window_;
            out = meanOfLast(window_);
        }
    }
    last_ = out;
    settling_ = fastPhase_ >= 0 || window_ < kSecondStageLength;
    return out;
}

} // namespace qb::board
