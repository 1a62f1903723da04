#pragma once
// The headless noise sweep: the data sheet's noise table measured on the converter, printed as
// two tables or as JSON, and saved as CSV and as a chart.
#include <iosfwd>
#include <string>

#include "analysis/NoiseSweep.h"
#include "link/Context.h"
#include "link/SetUp.h"
#include "platform/base/Result.h"

namespace qb::cli {

struct SweepRequest {
    analysis::SweepPlan plan;
    bool json = false;      // one JSON object instead of the tables
    std::string csvFile;    // one row per setting; empty: none
    std::string graphFile;  // RMS noise against rate, a .png or .pdf file; empty: none
    link::SetUp setUp{};    // the registers written before the sweep, which starts from them
};

// --ranges, --rates, --chop and --count as typed; empty: their defaults.
struct SweepOptions {
    std::string ranges, rates, chop, count;
};
// The plan they give. Fails, as a usage error, naming the option and what is wrong with it.
platform::Result<analysis::SweepPlan> ParseSweepPlan(const SweepOptions& options);

// With the program started up (as main does): plans the settings at the program's master clock
// (chopping as the set-up's filter register gives it, or else as the converter holds it); a rate
// the filter word cannot give is a usage error (2) naming the reachable span, before anything is
// written. Then the set-up is written (WriteSetUp in cli/Report.h; 1 when a register reads
// back wrong) and the sweep (analysis::RunSweep) with Ctrl-C, SIGTERM and SIGHUP as its stop (cli/Interrupt.h), and
// the rows measured printed and saved (all files or none; the caller has checked them, see
// cli/Outputs.h), whatever the outcome. 0 when every setting was measured, 128 + the signal
// after one, 1 for a failure (one line on `err`, saying that the registers were put back).
int RunSweepCommand(const SweepRequest& request, link::Context& ctx, std::ostream& out, std::ostream& err);

} // namespace qb::cli
