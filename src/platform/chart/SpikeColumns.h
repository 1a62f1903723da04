#pragma once
// The spikes one drawing of a histogram shows. A chart a few hundred pixels wide cannot show
// thousands of spikes side by side: each pixel column draws one spike, as tall as the tallest of
// the points that fall in it, so no peak is lost and a lone point still shows. The work is one
// pass over the points, whatever the zoom.
#include <span>
#include <vector>

namespace qb::platform {

struct ColumnSpike {
    int column = 0;  // the pixel column
    double top = 0;  // the largest value of the points in it
};

// For points at pixel positions pixelX (each taken to its nearest column) with values y: the
// largest value in each of the columns first .. first + count - 1 that holds a point, left to
// right. Points outside those columns and points whose position or value is not a number are
// left out; the shorter of the two rows decides the number of points.
std::vector<ColumnSpike> TallestPerColumn(std::span<const double> pixelX, std::span<const double> y, int first,
                                          int count);

} // namespace qb::platform
