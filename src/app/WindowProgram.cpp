#include "app/WindowProgram.h"

#include <memory>
#include <ostream>
#include <string>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>

#include "app/Display.h"
#include "app/PortFactory.h"
#include "cli/Report.h"
#include "link/Context.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/ProgramState.h"
#include "platform/widgets/QtMessages.h"
#include "platform/port/TracePort.h"
#include "platform/widgets/QtPreferences.h"
#include "shell/MainMenuForm.h"
#include "shell/Version.h"

namespace qb::app {

int RunWindowProgram(const Options& options, const SplitArguments& arguments, std::ostream& err) {
    // A wrong board is reported whatever the display; the trace file is opened only once the
    // program can run, so an earlier trace of that name is not emptied for nothing.
    if (const auto board = CheckBoardOptions(options); !board.ok()) {
        err << cli::kProgram << board.error() << '\n';
        return platform::kExitUsage;
    }
    if (!DisplayAvailable(arguments.platformGiven)) {
        err << kNoDisplayMessage << '\n';
        return platform::kExitFailure;
    }
    PortResult made = MakePort(options, RunKind::Window);
    if (!made.ok()) {
        err << cli::kProgram << made.error() << '\n';
        return platform::kExitUsage;
    }
    platform::PortIo& port = **made;

    ArgumentVector argv(arguments.qt);
    QApplication app(argv.argc(), argv.argv());
    QApplication::setApplicationName(QStringLiteral("qb4160-eval"));
    QApplication::setApplicationVersion(QString::fromStdString(shell::VersionText()));

    // The trace is complete whenever the program waits for the user: before each message box,
    // and whenever the event loop is about to sleep (the main window standing idle). The first
    // time the trace cannot be written, the user is told on standard error and, once the
    // program is back in its event loop, in a message box.
    std::unique_ptr<platform::QtMessages> boxes;
    const auto flush = [&] {
        port.flush();
        auto* trace = dynamic_cast<platform::TracePort*>(&port);
        const std::string error = trace ? trace->takeNewError() : std::string();
        if (error.empty()) return;
        err << cli::kProgram << error << std::endl;
        QTimer::singleShot(0, &app, [&boxes, error] { boxes->exclamation("The port trace is incomplete: " + error + "."); });
    };
    boxes = std::make_unique<platform::QtMessages>(flush);
    platform::QtMessages& messages = *boxes;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app, flush);

    // The run's state: the settings the windows share, and whether the program is ending.
    link::SharedSettings settings;
    platform::ProgramState program;
    link::Context ctx{port, messages, settings, options.commandLine};
    // The user's choices of earlier runs, unless this run is to remember nothing.
    std::unique_ptr<platform::Preferences> preferences;
    if (!options.noSettings) {
        auto opened = platform::QtPreferences::Open();
        if (opened.ok())
            preferences = std::move(*opened);
        else
            err << cli::kProgram << opened.error() << "; starting with the defaults, remembering nothing" << std::endl;
    }
    ctx.preferences = preferences.get();
    {
        shell::MainMenuForm mainWindow(ctx);
        mainWindow.showModal();
    }
    flush();
    return program.exitCode();
}

} // namespace qb::app
