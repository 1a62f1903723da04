#pragma once
// The headless fast-step demonstration: the window's run on the same core, its two series on
// standard output, and the registers put back before it ends.
#include <iosfwd>
#include <string>

#include "link/Context.h"

namespace qb::cli {

struct FastStepRequest {
    bool json = false;      // one JSON object instead of columns
    std::string graphFile;  // PNG of the two-trace chart; empty: none
};

// With the program started up (as main does): saves mode, filter and DAC, runs the
// demonstration (FastStepRun.h), writes the three registers back (also after Ctrl-C, which ends
// the run as closing the window does), then prints both series: plain columns of reading number,
// fast-step-off code and fast-step-on code under a short header naming the registers used and
// restored, or with `json` one object holding the same. graphFile, when given, receives the chart
// the window draws (a QApplication must exist).
// 0 when all 2 x 80 readings were taken and everything asked for was written; 1 when a reading
// never came (the window's message goes to ctx.messages), the run was stopped by Ctrl-C (what
// was read is printed, readings not taken as 0), or the image cannot be written.
int RunFastStepCommand(const FastStepRequest& request, link::Context& ctx, std::ostream& out, std::ostream& err);

} // namespace qb::cli
