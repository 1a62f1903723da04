#include "cli/LogCommand.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "analysis/AnalysisRead.h"
#include "analysis/CodesCsv.h"
#include "analysis/ResolutionFigures.h"
#include "cli/Interrupt.h"
#include "cli/Report.h"
#include "link/Conditions.h"
#include "link/ProgramRegisters.h"
#include "link/Register.h"
#include "link/Serial.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/LineFile.h"
#include "platform/base/Text.h"

namespace qb::cli {

namespace {

// The progress line is redrawn at most this often (wall-clock seconds).
constexpr double kProgressSeconds = 0.2;

std::string codesText(int64_t n) { return std::to_string(n) + (n == 1 ? " code" : " codes"); }

// "\rLogged 1234 codes in 24.68 s, 50.00 codes/s"
std::string progressLine(int64_t codes, double seconds) {
    char text[64];
    const double rate = seconds > 0 ? static_cast<double>(codes - 1) / seconds : 0;
    std::snprintf(text, sizeof text, " in %.2f s, %.2f codes/s", seconds, rate);
    return "\rLogged " + codesText(codes) + text;
}

} // namespace

int RunLog(const LogRequest& request, link::Context& ctx, std::ostream& err) {
    if (!WriteSetUp(ctx, request.setUp, "no code was read", err)) return platform::kExitFailure;
    if (!analysis::CheckContinuousMode(ctx)) return platform::kExitFailure;
    const link::Conditions conditions = link::ReadConditions(ctx);
    if (!ctx.port.failureReason().empty()) return platform::kExitFailure;

    const analysis::DataFormat format = analysis::DataFormatOfMode(conditions.mode);
    platform::Result<platform::LineFile> made = platform::LineFile::Create(request.csvFile);
    if (!made.ok()) {
        err << CannotWrite("", request.csvFile, made.error());
        return platform::kExitFailure;
    }
    platform::LineFile& file = *made;
    platform::Result<> wrote =
        file.add(analysis::CodesCsvHeader(conditions, std::chrono::system_clock::now()) + kLogColumns + "\n");
    if (wrote.ok()) wrote = file.flush();

    InterruptGuard guard;
    int64_t logged = 0;
    bool noData = false;
    if (wrote.ok()) {
        // Lines gathered while the board keeps the program waiting go out on time as well.
        link::ReadData reader(link::WithStopHook(ctx, [&] {
            if (wrote.ok()) wrote = file.flushIfDue();
            return guard.interrupted() || !wrote.ok();
        }));
        reader.setReadAddress(link::comms::kStartContinuousRead);
        reader.setWordLength(ctx.settings.WordLengthBits);
        using Wall = std::chrono::steady_clock;
        Wall::time_point shown{};
        double first = 0, seconds = 0;
        std::string line;
        link::StartContinuousRead(ctx);
        while (wrote.ok() && !guard.interrupted() && (!request.count || logged < *request.count)) {
            const int32_t code = reader.Read();
            if (code == link::kStopped) break;
            if (code == link::kNoData) {
                ctx.messages.exclamation(link::kReadErrorMessage);
                noData = true;
                break;
            }
            const double now = ctx.port.clockSeconds();
            if (logged == 0) first = now;
            const double since = std::round((now - first) * 1e9) / 1e9;
            if (request.durationSeconds && since >= *request.durationSeconds) break;
            seconds = since;
            ++logged;
            line = std::to_string(logged) + ',' + platform::ShortestText(seconds) + ',' + std::to_string(code) + ',' +
                   platform::ShortestText(analysis::CodeVolts(code, format)) + '\n';
            wrote = file.add(line);
            if (request.progress && Wall::now() - shown >= std::chrono::duration<double>(kProgressSeconds)) {
                shown = Wall::now();
                err << progressLine(logged, seconds) << std::flush;
            }
        }
        link::StopContinuousRead(ctx);
        if (request.progress && logged > 0) err << progressLine(logged, seconds) << '\n';
    }
    if (wrote.ok()) wrote = file.flush();

    if (!wrote.ok()) {
        err << CannotWrite("", request.csvFile, wrote.error() + "; the lines written before it stay");
        return platform::kExitFailure;
    }
    // A port that failed, or a result that never came, has been named; the file keeps the codes.
    if (noData || !ctx.port.failureReason().empty()) return platform::kExitFailure;
    if (guard.interrupted()) {
        err << kProgram << "stopped by " << guard.name();
        if (logged == 0) err << " before the first code came; " << request.csvFile << " holds the header only\n";
        else err << " after " << codesText(logged) << "; " << request.csvFile << " holds all " << logged << '\n';
        return guard.status();
    }
    return platform::kExitOk;
}

} // namespace qb::cli
