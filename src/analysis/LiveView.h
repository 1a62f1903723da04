#pragma once
// The live view of the data reading window: while "Read Data for Display" runs, a rolling chart
// of the last readings in volts and the figures over them (mean, RMS noise, peak-to-peak). It is
// repainted at most every kProgressPaintMs, so a fast read costs little more than without it.
#include <cstdint>

#include <QGroupBox>

#include "analysis/RollingReadings.h"

class QLabel;

namespace qb::platform {
class RollingChart;
}

namespace qb::analysis {

class LiveView : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kReadings = 300;

    LiveView();

    // Empties the chart and the figures: a new read starts, of codes `lsbVolts` apart.
    void clear(double lsbVolts);
    // One more reading; the view is repainted if it has not been for a while.
    void add(double volts);
    // Repaints the chart and the figures now.
    void paint();

private:
    RollingReadings readings_{kReadings};
    platform::RollingChart* chart_ = nullptr;
    QLabel* lblLiveMean = nullptr;
    QLabel* lblLiveRms = nullptr;
    QLabel* lblLivePeakToPeak = nullptr;
    int64_t paintedMs_ = 0;
    double lsbVolts_ = 0;
};

} // namespace qb::analysis
