#pragma once
// The code graph and the histogram of the code buffer written to PNG files without showing a
// window, for the headless analysis. They draw exactly what GraphForm and HistForm draw, with the
// smallest and largest code taken from the buffer itself (the statistics in the settings are not
// needed).
//
// Needs: a QApplication (widgets are built off screen; the "offscreen" platform will do) on the
// calling thread. Without one they fail with a message and touch nothing.
#include <string>

#include "link/SharedSettings.h"
#include "platform/Result.h"

namespace qb::analysis {

// Size of the images in pixels.
inline constexpr int kChartImageWidth = 1000;
inline constexpr int kChartImageHeight = 620;

// Writes the graph of Codes(1..CodesRead) to pngPath. Fails, saying why, when there is no code,
// no QApplication, or the file cannot be written.
platform::Result<> SaveGraphImage(const link::SharedSettings& settings, const std::string& pngPath);

// Writes the histogram of Codes(1..CodesRead) to pngPath. Fails as above, and when a code cannot
// be counted (not a number, or outside the 32-bit range).
platform::Result<> SaveHistogramImage(const link::SharedSettings& settings, const std::string& pngPath);

} // namespace qb::analysis
