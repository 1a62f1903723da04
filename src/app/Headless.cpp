#include "app/Headless.h"

#include <memory>
#include <ostream>

#include <QApplication>
#include <QCoreApplication>

#include "app/PortFactory.h"
#include "cli/Commands.h"
#include "cli/Evaluation.h"
#include "cli/FastStepCommand.h"
#include "cli/Report.h"
#include "link/Context.h"
#include "link/Startup.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/StderrMessages.h"
#include "platform/port/TracePort.h"
#include "shell/Version.h"

namespace qb::app {

namespace {

int analyse(const Options& o, std::ostream& out, std::ostream& err) {
    cli::AnalyseRequest request;
    request.file = o.analyseFile;
    request.hex = o.hex;
    request.modeHex = o.modeHex;
    request.json = o.json;
    request.graphFile = o.graphFile;
    request.histogramFile = o.histogramFile;
    request.filterHex = o.filterHex;
    request.masterClockHz = link::SlowClockRequested(o.commandLine) ? link::kSlowMasterClockHz
                                                                     : link::kDefaultMasterClockHz;
    request.spectrumFile = o.spectrumFile;
    request.csvFile = o.csvFile;
    return cli::RunAnalyse(request, out, err);
}

// Runs `command` on a board started up as the main window's load starts it.
template <class Command>
int onStartedBoard(const Options& o, std::ostream& err, Command command) {
    PortResult made = MakePort(o, RunKind::Headless);
    if (!made.ok()) {
        err << cli::kProgram << made.error() << '\n';
        return platform::kExitUsage;
    }
    platform::StderrMessages messages(err);
    link::SharedSettings settings;
    link::Context ctx{**made, messages, settings, o.commandLine};
    ctx.headless = true;
    // As the main window's load does; a converter that does not answer has been named, and
    // waiting for its results would only end in a time-out.
    int status = link::StartUp(ctx) ? command(ctx) : platform::kExitFailure;
    (*made)->flush();
    // A trace that could not be written is a failure of the run, even when the codes were read.
    if (auto* trace = dynamic_cast<platform::TracePort*>(made->get())) {
        if (const std::string error = trace->takeNewError(); !error.empty()) {
            err << cli::kProgram << error << '\n';
            if (status == platform::kExitOk) status = platform::kExitFailure;
        }
    }
    return status;
}

int acquire(const Options& o, std::ostream& err, bool errIsTerminal) {
    return onStartedBoard(o, err, [&](link::Context& ctx) {
        cli::AcquireRequest request;
        request.count = o.acquireCount;
        request.outFile = o.outFile;
        request.hex = o.hex;
        request.progress = errIsTerminal;
        request.csvFile = o.csvFile;
        return cli::RunAcquire(request, ctx, err);
    });
}

int fastStep(const Options& o, std::ostream& out, std::ostream& err) {
    return onStartedBoard(o, err, [&](link::Context& ctx) {
        cli::FastStepRequest request;
        request.json = o.json;
        request.graphFile = o.graphFile;
        return cli::RunFastStepCommand(request, ctx, out, err);
    });
}

} // namespace

int RunHeadless(const Options& options, const SplitArguments& arguments, std::ostream& out,
                std::ostream& err, bool errIsTerminal) {
    ArgumentVector argv(arguments.qt);
    // Charts are drawn by widgets even when they only go to a PNG file: those runs get a widget
    // application on the display-less platform; everything else needs only the core.
    const bool drawsCharts = (options.command == Command::Analyse || options.command == Command::FastStep) &&
                             (!options.graphFile.empty() || !options.histogramFile.empty() ||
                              cli::SpectrumFormOf(options.spectrumFile) == cli::SpectrumForm::Image);
    std::unique_ptr<QCoreApplication> app;
    if (QCoreApplication::instance()) {
        // Already inside an application (the tests run the entry point in theirs): use it.
    } else if (drawsCharts) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argv.argc(), argv.argv());
    } else {
        app = std::make_unique<QCoreApplication>(argv.argc(), argv.argv());
    }
    QCoreApplication::setApplicationName(QStringLiteral("qb4160-eval"));
    QCoreApplication::setApplicationVersion(QString::fromStdString(shell::VersionText()));

    if (options.command == Command::Analyse) return analyse(options, out, err);
    if (options.command == Command::FastStep) return fastStep(options, out, err);
    return acquire(options, err, errIsTerminal);
}

} // namespace qb::app
