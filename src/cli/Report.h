#pragma once
// The lines the program writes on standard error, each starting with its name.
#include <iosfwd>
#include <string>
#include <string_view>

#include "link/Context.h"
#include "link/SetUp.h"

namespace qb::cli {

inline constexpr const char* kProgram = "qb4160-eval: ";

// The line for a file that cannot be written: "qb4160-eval: cannot write the chart to step.png:
// <why>" when `what` names what goes there ("the chart"), "qb4160-eval: cannot write codes.dat:
// <why>" when it is empty.
std::string CannotWrite(std::string_view what, std::string_view file, std::string_view why);

// Writes the set-up (link::ProgramRegisters). False when a register reads back other than
// written: on a sound port one line on `err` saying so, then `nothingDone` ("no code was read");
// a port that failed is named by the caller.
bool WriteSetUp(const link::Context& ctx, const link::SetUp& setUp, const char* nothingDone, std::ostream& err);

} // namespace qb::cli
