#include "app/Headless.h"

#include <cmath>
#include <memory>
#include <ostream>

#include <QApplication>
#include <QCoreApplication>

#include "app/PortFactory.h"
#include "cli/Commands.h"
#include "cli/Evaluation.h"
#include "cli/FastStepCommand.h"
#include "cli/Interrupt.h"
#include "cli/LogCommand.h"
#include "cli/Outputs.h"
#include "analysis/ChartImages.h"
#include "platform/chart/PlotImage.h"
#include "cli/Report.h"
#include "cli/SweepCommand.h"
#include "link/Context.h"
#include "link/Startup.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/Text.h"
#include "platform/base/StderrMessages.h"
#include "platform/port/TracePort.h"
#include "shell/Version.h"

namespace qb::app {

namespace {

int analyse(const Options& o, std::ostream& out, std::ostream& err) {
    cli::AnalyseRequest request;
    request.file = o.analyseFile;
    request.hex = o.hex;
    request.registers = o.registers;
    request.json = o.json;
    request.graphFile = o.graphFile;
    request.histogramFile = o.histogramFile;
    if (link::SlowClockRequested(o.commandLine)) request.masterClockHz = link::kSlowMasterClockHz;
    request.spectrumFile = o.spectrumFile;
    request.csvFile = o.csvFile;
    request.allanFile = o.allanFile;
    return cli::RunAnalyse(request, out, err);
}

bool imageName(const std::string& path) { return platform::ImageFormatOf(path).has_value(); }
bool spectrumName(const std::string& path) { return cli::SpectrumFormOf(path).has_value(); }

// The files the command writes, the trace among them.
std::vector<cli::Output> outputsOf(const Options& o) {
    const cli::Output trace{"the trace", o.traceFile};
    switch (o.command) {
    case Command::Analyse:
        return {{"the spectrum", o.spectrumFile, &spectrumName, cli::kSpectrumNameMessage},
                {"the Allan deviation", o.allanFile, &spectrumName, cli::kAllanNameMessage},
                {"the codes", o.csvFile},
                {"the graph", o.graphFile, &imageName, analysis::kImageNameMessage},
                {"the histogram", o.histogramFile, &imageName, analysis::kImageNameMessage}};
    case Command::FastStep: return {{"the chart", o.graphFile, &imageName, analysis::kImageNameMessage}, trace};
    case Command::Sweep:
        return {{"the rows", o.csvFile}, {"the chart", o.graphFile, &imageName, analysis::kImageNameMessage}, trace};
    case Command::SaveSetUp: return {{"the set-up", o.saveSetUpFile}, trace};
    case Command::Log: return {{"the log", o.csvFile}, trace};
    default: return {{"", o.outFile}, {"", o.csvFile}, trace};
    }
}

// The messages of a headless run, one line at most: the first says what went wrong, and those
// after it follow from it. A port that has failed names its own failure ("/dev/parport0: cannot
// claim the port: Device or resource busy") in place of what the program makes of it.
class OneLineMessages : public platform::MessageSink {
public:
    OneLineMessages(std::ostream& err, const platform::PortIo& port) : err_(err), port_(port), lines_(err) {}
    platform::MsgAnswer show(const platform::Message& message) override {
        const bool first = !said_;
        said_ = true;
        if (first && !port_.failureReason().empty()) err_ << cli::kProgram << port_.failureReason() << std::endl;
        else if (first) return lines_.show(message);
        return message.buttons == platform::MsgButtons::Ok ? platform::MsgAnswer::Ok : platform::MsgAnswer::No;
    }
    bool said() const { return said_; }

private:
    std::ostream& err_;
    const platform::PortIo& port_;
    platform::StderrMessages lines_;
    bool said_ = false;
};

// Runs `command` on a board started up as the main window's load starts it.
template <class Command>
int onStartedBoard(const Options& o, std::ostream& err, Command command) {
    PortResult made = MakePort(o, RunKind::Headless);  // with the board right, only the trace can fail
    if (!made.ok()) {
        err << cli::kProgram << made.error() << '\n';
        return platform::kExitFailure;
    }
    OneLineMessages messages(err, **made);
    link::SharedSettings settings;
    link::Context ctx{**made, messages, settings, o.commandLine};
    ctx.headless = true;
    // A port that has failed (an I/O error mid-read) answers nothing more: every wait ends.
    platform::PortIo& port = **made;
    ctx.stopRequested = [&port] { return !port.failureReason().empty(); };
    // As the main window's load does; a converter that does not answer has been named, and
    // waiting for its results would only end in a time-out.
    int status = link::StartUp(ctx) ? command(ctx) : platform::kExitFailure;
    (*made)->flush();
    // A port or a trace that failed unnoticed is a failure of the run, even when the codes were read.
    const auto* trace = dynamic_cast<platform::TracePort*>(made->get());
    for (const std::string& error : {(*made)->failureReason(), trace ? trace->lastError() : std::string()}) {
        if (error.empty() || messages.said()) continue;
        err << cli::kProgram << error << '\n';
        if (status == platform::kExitOk) status = platform::kExitFailure;
        break;
    }
    return status;
}

// The set-up --acquire, --log and --sweep write first (--setup, the register options over it); one that
// cannot be written is refused, as a usage error, before the board is touched.
std::optional<link::SetUp> setUpToWrite(const Options& o, std::ostream& err) {
    const platform::Result<link::SetUp> setUp = cli::SetUpToWrite(o.setUpFile, o.registers);
    if (setUp.ok()) return *setUp;
    err << cli::kProgram << setUp.error() << '\n';
    return std::nullopt;
}

int acquire(const Options& o, std::ostream& err, bool errIsTerminal) {
    const std::optional<link::SetUp> setUp = setUpToWrite(o, err);
    if (!setUp) return platform::kExitUsage;
    return onStartedBoard(o, err, [&](link::Context& ctx) {
        cli::AcquireRequest request;
        request.setUp = *setUp;
        request.count = o.acquireCount;
        request.outFile = o.outFile;
        request.hex = o.hex;
        request.progress = errIsTerminal || o.progress;
        request.csvFile = o.csvFile;
        return cli::RunAcquire(request, ctx, err);
    });
}

int log(const Options& o, std::ostream& err, bool errIsTerminal) {
    // Bad limits and a set-up that cannot be written are refused before the board is touched.
    cli::LogRequest request;
    request.csvFile = o.csvFile;
    request.progress = errIsTerminal || o.progress;
    if (!o.sweepCount.empty()) {
        const QString text = QString::fromStdString(o.sweepCount);
        bool ok = false;
        request.count = text.toLongLong(&ok);
        if (!ok || *request.count < 1) {
            err << cli::kProgram << "--count takes a number of codes of 1 or more, not \"" << o.sweepCount << "\"\n";
            return platform::kExitUsage;
        }
    }
    if (!o.logDuration.empty()) {
        const std::optional<double> seconds = platform::ParseNumber(o.logDuration);
        if (!seconds || !(*seconds > 0) || !std::isfinite(*seconds)) {
            err << cli::kProgram << "--duration takes a number of seconds above 0, not \"" << o.logDuration << "\"\n";
            return platform::kExitUsage;
        }
        request.durationSeconds = seconds;
    }
    const std::optional<link::SetUp> setUp = setUpToWrite(o, err);
    if (!setUp) return platform::kExitUsage;
    request.setUp = *setUp;
    return onStartedBoard(o, err, [&](link::Context& ctx) { return cli::RunLog(request, ctx, err); });
}

int sweep(const Options& o, std::ostream& out, std::ostream& err) {
    // Bad options are refused before the board is touched.
    const platform::Result<analysis::SweepPlan> plan =
        cli::ParseSweepPlan({o.sweepRanges, o.sweepRates, o.sweepChop, o.sweepCount});
    if (!plan.ok()) {
        err << cli::kProgram << plan.error() << '\n';
        return platform::kExitUsage;
    }
    const std::optional<link::SetUp> setUp = setUpToWrite(o, err);
    if (!setUp) return platform::kExitUsage;
    const cli::SweepRequest request{*plan, o.json, o.csvFile, o.graphFile, *setUp};
    return onStartedBoard(o, err, [&](link::Context& ctx) { return cli::RunSweepCommand(request, ctx, out, err); });
}

int saveSetUp(const Options& o, std::ostream& err) {
    return onStartedBoard(o, err, [&](link::Context& ctx) { return cli::RunSaveSetUp(o.saveSetUpFile, ctx, err); });
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
    // No display is used: Qt's options (-platform among them) are not passed on. Charts are
    // drawn by widgets even when they only go to a PNG file: those runs get a widget application
    // on the display-less platform, whatever QT_QPA_PLATFORM names; everything else needs only
    // the core.
    ArgumentVector argv({arguments.qt.front()});
    const bool drawsCharts = (options.command == Command::Analyse || options.command == Command::FastStep ||
                              options.command == Command::Sweep) &&
                             (!options.graphFile.empty() || !options.histogramFile.empty() ||
                              cli::SpectrumFormOf(options.spectrumFile) == cli::SpectrumForm::Image ||
                              cli::SpectrumFormOf(options.allanFile) == cli::SpectrumForm::Image);
    std::unique_ptr<QCoreApplication> app;
    if (QCoreApplication::instance()) {
        // Already inside an application (the tests run the entry point in theirs): use it.
    } else if (drawsCharts) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argv.argc(), argv.argv());
    } else {
        app = std::make_unique<QCoreApplication>(argv.argc(), argv.argv());
    }
    QCoreApplication::setApplicationName(QStringLiteral("qb4160-eval"));
    QCoreApplication::setApplicationVersion(QString::fromStdString(shell::VersionText()));

    // Before anything touches the port or a file: the board named right, then every output.
    if (options.command != Command::Analyse) {
        if (const auto board = CheckBoardOptions(options); !board.ok()) {
            err << cli::kProgram << board.error() << '\n';
            return platform::kExitUsage;
        }
    }
    if (const int refused = cli::CheckOutputs(outputsOf(options), {options.analyseFile, options.setUpFile}, err))
        return refused;

    // SIGINT, SIGTERM and SIGHUP end every command its own way (see cli/Interrupt.h).
    const cli::InterruptGuard ending;
    if (options.command == Command::Analyse) {
        const int status = analyse(options, out, err);
        return ending.interrupted() ? ending.status() : status;
    }
    if (options.command == Command::FastStep) return fastStep(options, out, err);
    if (options.command == Command::Sweep) return sweep(options, out, err);
    if (options.command == Command::SaveSetUp) return saveSetUp(options, err);
    if (options.command == Command::Log) return log(options, err, errIsTerminal);
    return acquire(options, err, errIsTerminal);
}

} // namespace qb::app
