#pragma once
// The lines the program writes on standard error, each starting with its name.
#include <string>
#include <string_view>

namespace qb::cli {

inline constexpr const char* kProgram = "qb4160-eval: ";

// The line for a file that cannot be written: "qb4160-eval: cannot write the chart to step.png:
// <why>" when `what` names what goes there ("the chart"), "qb4160-eval: cannot write codes.dat:
// <why>" when it is empty.
std::string CannotWrite(std::string_view what, std::string_view file, std::string_view why);

} // namespace qb::cli
