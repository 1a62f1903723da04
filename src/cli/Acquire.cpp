// The headless acquisition and the set-up commands.
#include <ostream>
#include <string>

#include "analysis/AnalysisRead.h"
#include "cli/Commands.h"
#include "cli/Evaluation.h"
#include "cli/Interrupt.h"
#include "cli/Report.h"
#include "files/DataFile.h"
#include "link/CodeCount.h"
#include "link/Conditions.h"
#include "link/ProgramRegisters.h"
#include "link/Register.h"
#include "platform/base/ExitStatus.h"
#include "platform/base/SafeSave.h"

namespace qb::cli {


platform::Result<link::SetUp> SetUpToWrite(const std::string& setUpFile, const RegisterOptions& options) {
    const platform::Result<link::SetUp> given = ParseRegisterOptions(options, true);
    if (!given.ok()) return given;
    link::SetUp setUp;
    if (!setUpFile.empty()) {
        const platform::Result<link::SetUp> file = link::ReadSetUpFile(setUpFile);
        if (!file.ok()) return file;
        setUp = *file;
    }
    setUp.OverrideWith(*given);
    return setUp;
}

int RunAcquire(const AcquireRequest& request, link::Context& ctx, std::ostream& err) {
    if (!link::CodeCountAllowed(request.count)) {
        err << kProgram << "the number of codes to read must be from " << link::kMinCodes
            << " to " << link::kMaxCodes << ", not " << request.count << '\n';
        return platform::kExitUsage;
    }
    if (request.outFile.empty() && request.csvFile.empty()) {
        err << kProgram << "no output file given (--out FILE or --csv=FILE)\n";
        return platform::kExitUsage;
    }
    for (const std::string* file : {&request.outFile, &request.csvFile}) {
        if (file->empty()) continue;
        if (const auto writable = platform::CheckSaveTarget(*file); !writable.ok()) {
            err << CannotWrite("", *file, writable.error());
            return platform::kExitFailure;
        }
    }

    if (!WriteSetUp(ctx, request.setUp, "no code was read", err)) return platform::kExitFailure;
    if (!analysis::CheckContinuousMode(ctx)) return platform::kExitFailure;

    const auto count = static_cast<int16_t>(request.count);
    analysis::ReadOutcome outcome;
    // Until the files are written, a signal only stops the read: a second one cannot cut the
    // saves short.
    InterruptGuard guard;
    {
        // A signal also ends a wait for the next result, not only the read between two results.
        link::ReadData reader(link::WithStopHook(ctx, [&guard] { return guard.interrupted(); }));
        reader.setReadAddress(link::comms::kStartContinuousRead);
        reader.setWordLength(ctx.settings.WordLengthBits);
        outcome = analysis::ReadForAnalysis(ctx, reader, count, [&](int16_t done, int16_t total) {
            if (request.progress) err << "\rRead " << done << " of " << total << " codes" << std::flush;
            return !guard.interrupted();
        });
    }
    if (request.progress) err << '\n';
    // A port that failed during the read gave no codes to trust: the caller names its failure.
    if (outcome == analysis::ReadOutcome::NoData || !ctx.port.failureReason().empty()) return platform::kExitFailure;
    std::string targets;  // the files that are to hold the codes
    for (const std::string* file : {&request.outFile, &request.csvFile})
        if (!file->empty()) targets += (targets.empty() ? "" : " and ") + *file;
    if (ctx.settings.CodesRead < 1) {
        err << kProgram << "stopped before the first code came; " << targets
            << (targets.find(" and ") == std::string::npos ? " was" : " were") << " not written\n";
        return guard.status();
    }

    // Both files are made, then saved together: all or none.
    platform::SaveSet made;
    if (!request.outFile.empty()) {
        const files::CodeForm form = request.hex ? files::CodeForm::Hex : files::CodeForm::Decimal;
        const auto encoded = files::EncodeCodes(ctx.settings.Codes, ctx.settings.CodesRead, form);
        const platform::Result<> saved =
            encoded.ok() ? files::SaveFileSafely(request.outFile, *encoded) : platform::Fail(encoded.error());
        if (!saved.ok()) {
            err << CannotWrite("", request.outFile, saved.error());
            return platform::kExitFailure;
        }
    }
    if (!request.csvFile.empty()) {
        const link::SharedSettings& s = ctx.settings;
        const platform::Result<> saved = WriteCodesCsv(link::HeldCodes(s.Codes, s.CodesRead),
                                                       link::ReadConditions(ctx), s.CodesCapturedAt, request.csvFile);
        if (!saved.ok()) {
            err << CannotWrite("", request.csvFile, saved.error());
            return platform::kExitFailure;
        }
    }
    if (const auto saved = made.SaveAll(); !saved.ok()) {
        err << CannotWrite("", made.files()[saved.error().file].path, saved.error().reason);
        return platform::kExitFailure;
    }
    if (outcome == analysis::ReadOutcome::Stopped) {
        err << kProgram << "stopped after " << ctx.settings.CodesRead << " of " << count << " codes; "
            << targets << (targets.find(" and ") == std::string::npos ? " holds" : " hold") << " those "
            << ctx.settings.CodesRead << " codes\n";
        return guard.status();
    }
    return platform::kExitOk;
}

int RunSaveSetUp(const std::string& file, link::Context& ctx, std::ostream& err) {
    if (const auto writable = platform::CheckSaveTarget(file); !writable.ok()) {
        err << CannotWrite("the set-up", file, writable.error());
        return platform::kExitFailure;
    }
    const link::SetUp setUp = link::ReadRegisters(ctx);
    // A port that failed gave no values to trust: the caller names its failure.
    if (!ctx.port.failureReason().empty()) return platform::kExitFailure;
    if (const platform::Result<> saved = platform::SaveFileSafely(file, link::SetUpJson(setUp)); !saved.ok()) {
        err << CannotWrite("the set-up", file, saved.error());
        return platform::kExitFailure;
    }
    return platform::kExitOk;
}

} // namespace qb::cli
