#include "app/Entry.h"

#include <ostream>
#include <string>

#include "app/Headless.h"
#include "app/Options.h"
#include "app/QtArguments.h"
#include "app/WindowProgram.h"
#include "board/SimOptions.h"
#include "shell/Version.h"

namespace qb::app {

std::string HelpText() {
    return UsageText() + "\nOptions of the simulated board:\n" + board::SimOptionsHelp();
}

int RunProgram(int argc, char** argv, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const SplitArguments arguments = SplitQtArguments(argc, argv);
    const ParseResult parsed = ParseOptions(arguments.own);
    if (!parsed.error.empty()) {
        err << "qb4160-eval: " << parsed.error << "\nTry 'qb4160-eval --help'.\n";
        return 2;
    }
    const Options& options = parsed.options;
    switch (options.command) {
    case Command::Help: out << HelpText(); return 0;
    case Command::Version: out << "qb4160-eval " << shell::VersionText() << '\n'; return 0;
    case Command::Analyse:
    case Command::Acquire: return RunHeadless(options, arguments, out, err, errIsTerminal);
    case Command::Gui: break;
    }
    return RunWindowProgram(options, arguments, err);
}

} // namespace qb::app
