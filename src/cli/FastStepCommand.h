#pragma once
// The headless fast-step demonstration: the window's run on the same core, its two series on
// standard output, and the registers put back before it ends.
#include <iosfwd>
#include <string>

#include "link/Context.h"

namespace qb::cli {

struct FastStepRequest {
    bool json = false;      // one JSON object instead of columns
    std::string graphFile;  // the two-trace chart, a .png or .pdf file; empty: none
};

// With the program started up (as main does): saves mode, filter and DAC, runs the
// demonstration (FastStepRun.h), writes the three registers back (also after Ctrl-C, which ends
// the run as closing the window does), then prints both series: plain columns of reading number,
// fast-step-off code and fast-step-on code under a short header naming the registers used and
// restored, or with `json` one object holding the same. graphFile, when given, receives the chart
// the window draws as a PNG image or PDF document, as its name ends (a QApplication must exist);
// it is checked before the board is touched: a name ending otherwise gives status 2, a place
// that cannot be written status 1, with one line on `err`.
// 0 when all 2 x 80 readings were taken and everything asked for was written; 128 + the signal
// (130, 143, 129) when Ctrl-C, SIGTERM or SIGHUP stopped the run (what was read is printed,
// readings not taken as 0); 1 when a reading never came (the window's message goes to ctx.messages) or the image cannot be written.
int RunFastStepCommand(const FastStepRequest& request, link::Context& ctx, std::ostream& out, std::ostream& err);

} // namespace qb::cli
