#pragma once
// The window program: the board port, the message boxes, the shared settings and the main
// window, run until the main window closes or Quit is confirmed.
#include <iosfwd>

#include "app/Options.h"
#include "app/QtArguments.h"

namespace qb::app {

// The program's exit status: 0 when it ended normally, 1 without a display, 2 when the port
// cannot be set up (one line on `err` each time).
int RunWindowProgram(const Options& options, const SplitArguments& arguments, std::ostream& err);

} // namespace qb::app
