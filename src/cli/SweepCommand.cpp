#include "cli/SweepCommand.h"

#include <cmath>
#include <ostream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "analysis/SweepChart.h"
#include "analysis/SweepText.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Report.h"
#include "link/CodeCount.h"
#include "link/FilterRate.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/Numbers.h"
#include "platform/base/SafeSave.h"
#include "platform/base/Text.h"

namespace qb::cli {

namespace {

using namespace analysis;

QJsonObject registersJson(const SweepRegisters& r) {
    return {{"mode", QString::fromStdString(platform::Hex(r.mode))},
            {"filter", QString::fromStdString(platform::Hex(r.filter))}};
}

void printJson(const SweepResult& result, const link::SharedSettings& s, int codes, std::ostream& out) {
    QJsonArray rows;
    for (const SweepRow& row : result.rows) {
        QJsonObject o{{"chop", row.setting.chop}, {"clipped", row.clipped}};
        for (const SweepField& f : SweepFields(row))
            o.insert(QString::fromUtf8(f.key.data(), qsizetype(f.key.size())), f.value ? QJsonValue(*f.value) : QJsonValue());
        rows.append(o);
    }
    const QJsonObject object{{"master_clock_hz", s.MasterClockHz},
                             {"codes_per_setting", codes},
                             {"complete", result.outcome == SweepOutcome::Complete},
                             {"registers_before", registersJson(result.before)},
                             {"registers_after", registersJson(result.after)},
                             {"rows", rows}};
    out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

void printPlain(const SweepResult& result, const link::SharedSettings& s, int codes, std::ostream& out) {
    out << "Noise Sweep\n"
        << "Master clock " << s.MasterClockHz << " Hz, " << codes << " codes per setting, the first "
        << kSettlingResults << " results after each change dropped while the filter settles\n"
        << "Registers before: mode " << platform::Hex(result.before.mode) << ", filter "
        << platform::Hex(result.before.filter) << "; after: mode " << platform::Hex(result.after.mode) << ", filter "
        << platform::Hex(result.after.filter) << "\n\n"
        << SweepTables(result.rows);
}

} // namespace

platform::Result<SweepPlan> ParseSweepPlan(const SweepOptions& o) {
    SweepPlan plan;
    if (!o.ranges.empty()) {
        auto ranges = ParseRanges(o.ranges);
        if (!ranges.ok()) return platform::Fail("--ranges: " + ranges.error());
        plan.rangesMv = *ranges;
    }
    if (!o.rates.empty()) {
        auto rates = ParseRates(o.rates);
        if (!rates.ok()) return platform::Fail("--rates: " + rates.error());
        plan.ratesHz = *rates;
    }
    if (!o.chop.empty()) {
        const std::optional<ChopChoice> chop = ParseChopChoice(o.chop);
        if (!chop) return platform::Fail("--chop takes on, off or both, not \"" + o.chop + "\"");
        plan.chop = *chop;
    }
    if (!o.count.empty()) {
        const std::optional<double> count = platform::ParseNumber(o.count);
        if (!count || *count != std::floor(*count) || !link::CodeCountAllowed(int(*count)))
            return platform::Fail("--count takes a number of codes from " + std::to_string(link::kMinCodes) + " to " +
                                  std::to_string(link::kMaxCodes) + ", not \"" + o.count + "\"");
        plan.codes = int(*count);
    }
    return plan;
}

int RunSweepCommand(const SweepRequest& request, link::Context& ctx, std::ostream& out, std::ostream& err) {
    const int32_t filter = request.setUp[link::SetUpRegister::Filter].value_or(ctx.settings.FilterRegValue);
    const platform::Result<std::vector<SweepSetting>> settings =
        PlanSettings(request.plan, ctx.settings.MasterClockHz, link::ChopOf(filter));
    if (!settings.ok()) {
        err << kProgram << "--sweep: " << settings.error() << '\n';
        return platform::kExitUsage;
    }
    if (!WriteSetUp(ctx, request.setUp, "no setting was measured", err)) return platform::kExitFailure;

    // A signal stops the sweep as Stop does in the window; the registers still go back, and a
    // second one cannot cut that or the saves short.
    InterruptGuard guard;
    SweepResult result;
    {
        const link::Context run = link::WithStopHook(ctx, [&guard] { return guard.interrupted(); });
        SweepHooks hooks;
        hooks.afterEachResult = [&guard](double) { return !guard.interrupted(); };
        result = RunSweep(run, *settings, request.plan.codes, hooks);
    }

    // The files are made before anything is printed, and saved all or none.
    platform::SaveSet made;
    const struct {
        const char* what;
        const std::string& file;
        platform::Result<> (*save)(const std::vector<SweepRow>&, const std::string&);
    } outputs[] = {{"the rows", request.csvFile,
                    [](const std::vector<SweepRow>& rows, const std::string& file) {
                        return platform::SaveFileSafely(file, SweepCsv(rows));
                    }},
                   {"the chart", request.graphFile, &SaveSweepImage}};
    for (const auto& output : outputs) {
        if (output.file.empty() || result.rows.empty()) continue;
        if (const platform::Result<> saved = output.save(result.rows, output.file); !saved.ok()) {
            err << CannotWrite(output.what, output.file, saved.error());
            return platform::kExitFailure;
        }
    }
    if (request.json)
        printJson(result, ctx.settings, request.plan.codes, out);
    else
        printPlain(result, ctx.settings, request.plan.codes, out);
    out.flush();
    if (const auto saved = made.SaveAll(); !saved.ok()) {
        err << CannotWrite("", made.files()[saved.error().file].path, saved.error().reason);
        return platform::kExitFailure;
    }

    const std::string measured = std::to_string(result.rows.size()) + " of " + std::to_string(settings->size()) +
                                 " settings measured; the mode and filter registers were put back";
    if (result.outcome == SweepOutcome::Stopped) {
        err << kProgram << "stopped by " << guard.name() << ": " << measured << '\n';
        return guard.status();
    }
    if (result.outcome == SweepOutcome::Failed) {
        err << kProgram << result.failure << " (" << measured << ")\n";
        return platform::kExitFailure;
    }
    return out ? platform::kExitOk : platform::kExitFailure;
}

} // namespace qb::cli
