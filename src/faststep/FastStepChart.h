#pragma once
// The fast-step window's two-trace chart: its captions, the plot of both series, the readout
// of both traces at the cursor, and the same chart written to a PNG file for the headless run.
#include <cstdint>
#include <string>

#include "link/SharedSettings.h"
#include "platform/chart/PlotImage.h"
#include "platform/base/Result.h"

namespace qb::platform {
class StripChart;
}

namespace qb::faststep {

// Caption indices of the chart.
inline constexpr int16_t kTitleCaption = 0;    // "Graph"
inline constexpr int16_t kYTitleCaption = 1;   // "Value(Hex)"
inline constexpr int16_t kXTitleCaption = 2;   // "Code Read"
inline constexpr int16_t kOffNameCaption = 3;  // "FastStep Off", trace 0
inline constexpr int16_t kOnNameCaption = 4;   // "FastStep On", trace 1
inline constexpr int16_t kYMinCaption = 5;     // lower end of the y axis
inline constexpr int16_t kYMaxCaption = 6;     // upper end of the y axis

// Where each caption goes, its text as the window is designed, hexadecimal codes on the y axis.
void SetUpStepChart(platform::StripChart& chart);

// Plots FastStepOffCodes (trace 0) and FastStepOnCodes (trace 1), reading i at x = i for
// i = 1..2N, over the x range 0..2N (so the last reading shows too) and the y range of
// ChartYRange; the y-axis end texts name that range in hexadecimal; the cursor goes to reading 2.
void PlotStepSeries(platform::StripChart& chart, const link::SharedSettings& settings);

// The y-axis end texts from the bounds now shown (the chart's scale event).
void ShowStepChartEnds(platform::StripChart& chart);

// The chart's readout at the cursor: each trace's value in decimal (Str) and hexadecimal; both
// texts empty where a trace has no value.
struct StepReadout {
    std::string dec0, hex0, dec1, hex1, position;
};
StepReadout ReadStepCursor(const platform::StripChart& chart);

// Size of the image in pixels (points in a PDF).
inline constexpr int kStepImageWidth = 1000;
inline constexpr int kStepImageHeight = 620;

// Writes the chart of the two series in the settings to `path` as a PNG image or a PDF document,
// through the safe save, without showing a window (a QApplication must exist; the offscreen
// platform will do). Fails, saying why, without one or when the file cannot be written.
platform::Result<> SaveStepChartImage(const link::SharedSettings& settings, const std::string& path,
                                      platform::ChartImageFormat format);

} // namespace qb::faststep
