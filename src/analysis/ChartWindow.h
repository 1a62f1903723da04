#pragma once
// What the graph, the histogram and the spectrum window share: a resizable window whose strip
// chart, grid on, fills it above a row of readouts and buttons, and reports a save that failed
// to the window's messages.
#include <initializer_list>

#include "platform/chart/StripChart.h"

class QLayout;

namespace qb::platform {
class Form;
class MessageSink;
} // namespace qb::platform

namespace qb::analysis {

// The least size of a chart window's chart.
inline constexpr QSize kChartLeast(640, 380);

// Captions `window` and makes it resizable; returns its chart, named `chartName`, with
// `captions`, the grid on and failed saves told to `messages` (a plain message box when null).
platform::StripChart* MakeChartWindow(platform::Form& window, const char* caption, const char* chartName,
                                      std::initializer_list<platform::StripChart::CaptionSetup> captions,
                                      platform::MessageSink* messages);

// The chart above `bottom`, taking all the height the window gives.
void LayOutChartWindow(platform::Form& window, platform::StripChart* chart, QLayout* bottom);

} // namespace qb::analysis
