#pragma once
// The program from its command line to its exit status.
#include <iosfwd>
#include <string>

namespace qb::app {

// Takes out Qt's options, reads the program's own, then prints the help or the version, runs a
// headless command or the window program. A bad command line: "qb4160-eval: <what is wrong>"
// and "Try 'qb4160-eval --help'." on `err`, status 2.
int RunProgram(int argc, char** argv, std::ostream& out, std::ostream& err, bool errIsTerminal);

// What --help prints.
std::string HelpText();

} // namespace qb::app
