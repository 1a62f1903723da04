#pragma once
// The code graph and the histogram of the code buffer, and a noise spectrum, written to PNG or PDF
// files without showing a window, for the headless analysis. They draw exactly what GraphForm,
// HistForm and SpectrumForm draw, with the
// smallest and largest code taken from the buffer itself (the statistics in the settings are not
// needed).
//
// Needs: a QApplication (widgets are built off screen; the "offscreen" platform will do) on the
// calling thread. Without one they fail with a message and touch nothing.
#include <functional>
#include <string>

#include "analysis/NoiseSpectrum.h"
#include "link/SharedSettings.h"
#include "platform/base/Result.h"

namespace qb::platform {
class LogLogChart;
}

namespace qb::analysis {

// Size of the images in pixels (points in a PDF).
inline constexpr int kChartImageWidth = 1000;
inline constexpr int kChartImageHeight = 620;

inline constexpr const char* kImageNameMessage = "a chart image is a .png or a .pdf file";

// Writes the graph of Codes(1..CodesRead) to `path`, a PNG image or a PDF document as its name
// ends (.png or .pdf, either case), through the safe save. Fails, saying why, when the name ends
// otherwise (kImageNameMessage), when there is no code, no QApplication, or the file cannot be
// written (an earlier file of that name is then left whole).
platform::Result<> SaveGraphImage(const link::SharedSettings& settings, const std::string& path);

// Writes the histogram of Codes(1..CodesRead) to `path` in the same way. Fails as above, and when
// a code cannot be counted (not a number, or outside the 32-bit range).
platform::Result<> SaveHistogramImage(const link::SharedSettings& settings, const std::string& path);

// Writes the chart of a noise spectrum (made of any number of codes, ComputeNoiseSpectrum) to
// `path` in the same way, as the spectrum window draws it. Fails as above.
platform::Result<> SaveSpectrumImage(const NoiseSpectrum& spectrum, const std::string& path);

// Writes a log-log chart (named `name`) to `path` in the same way, once `draw` has drawn it at the
// image's size. Fails as above. The noise sweep's and the Allan deviation's pictures.
platform::Result<> SaveLogLogImage(const char* name, const std::function<void(platform::LogLogChart&)>& draw,
                                   const std::string& path);

} // namespace qb::analysis
