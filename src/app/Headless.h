#pragma once
// The headless commands --analyse, --acquire and --faststep: no window, no display needed.
#include <iosfwd>

#include "app/Options.h"
#include "app/QtArguments.h"

namespace qb::app {

// Runs options.command (Analyse, Acquire or FastStep); its exit status. `errIsTerminal` asks the
// acquisition to show its progress on `err`.
int RunHeadless(const Options& options, const SplitArguments& arguments, std::ostream& out,
                std::ostream& err, bool errIsTerminal);

} // namespace qb::app
