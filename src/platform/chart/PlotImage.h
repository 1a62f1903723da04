#pragma once
// Pictures of a plot as PNG or PDF files. The picture is made in memory and then saved through
// the safe save (SafeSave.h), so a failed save (a full disk, a write-protected file) never
// leaves a damaged picture where a good one was.
#include <optional>
#include <string>

#include "platform/base/Result.h"

class QCustomPlot;

namespace qb::platform {

enum class ChartImageFormat { Png, Pdf };

// The format a file name asks for by its extension: ".png" or ".pdf", in either case; nullopt
// for any other name.
std::optional<ChartImageFormat> ImageFormatOf(const std::string& path);

// Draws `plot` at width x height pixels (0 for either: the plot's size on screen) as a PNG
// image (96 dots per inch) or a one-page vector PDF of that size in points, and saves it to
// `path`. On failure, the reason as SaveFileSafely words it.
Result<> SavePlotImage(QCustomPlot& plot, const std::string& path, ChartImageFormat format, int width, int height);

} // namespace qb::platform
