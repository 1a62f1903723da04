#pragma once
// The converter's digital filter, one output per conversion period.
//
// Input: the mean input voltage over each conversion period (what the modulator saw).
// First stage (sinc): a short FIR over the last periods, weights 1/6, 2/3, 1/6 over three
// periods without CHOP, 1/2, 1/2 over two periods with CHOP (chopping averages two periods of
// opposite polarity). Second stage: the mean of the last 22 first-stage outputs.
//  - After a restart the second stage averages the outputs it has (1, 2, ... 22), so a steady
//    input gives settled results from the first one on; the filter counts as settling (STDY)
//    until the window is full.
//  - SKIP bypasses the second stage.
//  - FAST: when a first-stage output differs from the last result by more than the step
//    threshold, the second stage is switched out: results follow the first stage until it has
//    settled on the new level, then average the settled outputs over a window growing from 1 to
//    22, after which normal filtering resumes.
#include <array>
#include <optional>

namespace qb::board {

inline constexpr int kSecondStageLength = 22;

class DigitalFilter {
public:
    struct Settings {
        bool chop = true;
        bool skip = false;
        bool fast = false;
        double stepThreshold = 0.3125; // same unit as the input (mV)
    };

    // Forgets the input history.
    void restart();
    // One conversion period's mean input; the filtered result once the first stage is full.
    std::optional<double> push(double periodMean, const Settings& settings);
    // True while results are not yet those of the full filter (STDY).
    bool settling() const { return settling_; }
    // Number of periods the first stage spans.
    static int firstStageLength(bool chop) { return chop ? 2 : 3; }

private:
    double meanOfLast(int n) const;

    std::array<double, 3> x_{};  // last period means, newest at index 0
    int xCount_ = 0;
    std::array<double, kSecondStageLength> y_{}; // first-stage outputs, ring
    int yHead_ = 0;   // index of the newest
    int window_ = 0;  // how many of the newest first-stage outputs the result averages
    int fastPhase_ = -1; // periods since a detected step; -1 when not in fast-step mode
    std::optional<double> last_;
    bool settling_ = true;
};

} // namespace qb::board
