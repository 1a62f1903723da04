#include "app/Entry.h"

#include <ostream>
#include <string>

#include "app/Headless.h"
#include "app/Options.h"
#include "app/QtArguments.h"
#include "app/WindowProgram.h"
#include "board/SimOptions.h"
#include "cli/Report.h"
#include "platform/base/ExitStatus.h"
#include "shell/Version.h"

namespace qb::app {

std::string HelpText() {
    return UsageText() + "\nSimulated board:\n" + board::SimOptionsHelp() +
           "  The window program runs it on wall-clock time, headless commands on virtual time (as\n"
           "  fast as the machine allows) unless --sim-time=wall is given.\n"
           "\nExit status:\n"
           "  0    done (--acquire: the file holds every code asked for; --faststep: all 160\n"
           "       readings came)\n"
           "  1    a failure, said in one line on standard error (nothing is written)\n"
           "  2    a usage error (a bad option or value, or an empty one such as --mode=)\n"
           "  130  --acquire stopped by Ctrl-C: the codes read so far are written, and the line on\n"
           "       standard error says how many the file holds; --faststep stopped by Ctrl-C: the\n"
           "       registers are put back and what was read is printed; --log stopped by Ctrl-C:\n"
           "       every code read is in the file\n"
           "  143, 129  the same for SIGTERM and SIGHUP (128 + the signal)\n";
}

int RunProgram(int argc, char** argv, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const SplitArguments arguments = SplitQtArguments(argc, argv);
    const platform::Result<Options> parsed = ParseOptions(arguments.own);
    if (!parsed.ok()) {
        err << cli::kProgram << parsed.error() << "\nTry 'qb4160-eval --help'.\n";
        return platform::kExitUsage;
    }
    const Options& options = *parsed;
    switch (options.command) {
    case Command::Help: out << HelpText(); return platform::kExitOk;
    case Command::Version: out << "qb4160-eval " << shell::VersionText() << '\n'; return platform::kExitOk;
    case Command::Analyse:
    case Command::Acquire:
    case Command::Log:
    case Command::FastStep:
    case Command::Sweep:
    case Command::SaveSetUp: return RunHeadless(options, arguments, out, err, errIsTerminal);
    case Command::Gui: break;
    }
    return RunWindowProgram(options, arguments, err);
}

} // namespace qb::app
