#include "cli/FastStepCommand.h"

#include <iomanip>
#include <optional>
#include <ostream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "analysis/ChartImages.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Report.h"
#include "faststep/FastStepChart.h"
#include "faststep/FastStepRun.h"
#include "link/Register.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/Numbers.h"
#include "platform/chart/PlotImage.h"
#include "platform/base/SafeSave.h"
#include "platform/widgets/Wait.h"

namespace qb::cli {

namespace {

using namespace faststep;

// Passes messages on and counts them.
struct CountedMessages : platform::MessageSink {
    explicit CountedMessages(platform::MessageSink& next) : next(next) {}
    platform::MsgAnswer show(const platform::Message& message) override {
        ++shown;
        return next.show(message);
    }
    platform::MessageSink& next;
    int shown = 0;
};

QString hex(double value) { return QString::fromStdString(platform::Hex(value)); }

void printPlain(const link::SharedSettings& s, const SavedRegisters& saved, std::ostream& out) {
    out << "Fast Step Demonstration\n"
        << "Registers used: mode " << platform::Hex(kDemoMode) << ", filter " << platform::Hex(kFilterFastStepOff)
        << " (fast step off) and " << platform::Hex(kFilterFastStepOn) << " (fast step on), DAC " << kDacLow
        << " then " << kDacHigh << ", " << s.StepReadCount << " readings per level\n"
        << "Registers restored: mode " << platform::Hex(saved.mode) << ", filter " << platform::Hex(saved.filter)
        << ", DAC " << saved.dac << "\n\n"
        << "Reading  FastStep Off  FastStep On\n";
    for (int i = 1; i <= ReadingsPerSeries(s.StepReadCount); ++i) {
        const auto at = static_cast<std::size_t>(i);
        out << std::right << std::setw(7) << i << "  " << std::setw(12) << std::fixed << std::setprecision(0)
            << s.FastStepOffCodes[at] << "  " << std::setw(11) << s.FastStepOnCodes[at] << '\n';
    }
}

void printJson(const link::SharedSettings& s, const SavedRegisters& saved, std::ostream& out) {
    QJsonArray off, on;
    for (int i = 1; i <= ReadingsPerSeries(s.StepReadCount); ++i) {
        off.append(s.FastStepOffCodes[static_cast<std::size_t>(i)]);
        on.append(s.FastStepOnCodes[static_cast<std::size_t>(i)]);
    }
    QJsonObject object{
        {"readings_per_level", s.StepReadCount},
        {"mode", hex(kDemoMode)},
        {"filter_fast_step_off", hex(kFilterFastStepOff)},
        {"filter_fast_step_on", hex(kFilterFastStepOn)},
        {"dac_low", kDacLow},
        {"dac_high", kDacHigh},
        {"restored", QJsonObject{{"mode", hex(saved.mode)}, {"filter", hex(saved.filter)}, {"dac", saved.dac}}},
        {"fast_step_off", off},
        {"fast_step_on", on}};
    out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

} // namespace

int RunFastStepCommand(const FastStepRequest& request, link::Context& ctx, std::ostream& out, std::ostream& err) {
    // The chart's file is checked before the board is touched.
    std::optional<platform::ChartImageFormat> format;
    if (!request.graphFile.empty()) {
        format = platform::ImageFormatOf(request.graphFile);
        if (!format) {
            err << CannotWrite("the chart", request.graphFile, analysis::kImageNameMessage);
            return platform::kExitUsage;
        }
        if (const platform::Result<> target = platform::CheckSaveTarget(request.graphFile); !target.ok()) {
            err << CannotWrite("the chart", request.graphFile, target.error());
            return platform::kExitFailure;
        }
    }

    int taken = 0;
    bool stopped = false;
    CountedMessages counted(ctx.messages);
    SavedRegisters saved;
    // Until the chart is saved, a signal only ends the run: a second one cannot cut the restore
    // or the save short.
    InterruptGuard guard;
    {
        // A signal ends the run as a close request ends the window's: what was read is kept, reading
        // stops and the registers go back. `ended` turns true only where reading has stopped or
        // the run is about to stop it, so once the run finds it set, the converter is listening
        // again.
        bool ended = false;
        const auto interrupted = [&] { return ended = ended || guard.interrupted(); };
        const link::Context run = link::WithStopHook(
            {ctx.port, counted, ctx.settings, ctx.commandLine, ctx.stopRequested, ctx.preferences, ctx.headless}, interrupted);
        saved = SaveRegisters(run);
        RunHooks hooks;
        hooks.settle = [&](int16_t ms) {
            platform::WaitMs(run.port, ms, [&guard] { return !guard.interrupted(); });
            // Reading has started: the run leaves before its first reading, so it stops here.
            if (interrupted()) link::StopContinuousRead(run);
        };
        hooks.afterReading = [&] {
            ++taken;
            return !interrupted();
        };
        hooks.closing = [&ended] { return ended; };
        RunFastStep(run, hooks);
        RestoreRegisters(run, saved);
        stopped = guard.interrupted();
    }

    const link::SharedSettings& s = ctx.settings;
    if (request.json)
        printJson(s, saved, out);
    else
        printPlain(s, saved, out);
    out.flush();

    int status = out ? platform::kExitOk : platform::kExitFailure;
    if (format) {
        const platform::Result<> image = SaveStepChartImage(s, request.graphFile, *format);
        if (!image.ok()) {
            err << CannotWrite("the chart", request.graphFile, image.error());
            status = platform::kExitFailure;
        }
    }
    const int all = 2 * ReadingsPerSeries(s.StepReadCount);
    if (stopped) {
        err << kProgram << "stopped by " << guard.name() << " after " << taken << " of " << all
            << " readings; the registers were restored\n";
        return guard.status();
    }
    if (taken < all) {
        // A message that said why the readings stopped, or the failed port, is the run's one line.
        if (counted.shown == 0 && ctx.port.failureReason().empty())
            err << kProgram << "only " << taken << " of " << all << " readings came; the registers were restored\n";
        return platform::kExitFailure;
    }
    return status;
}

} // namespace qb::cli
